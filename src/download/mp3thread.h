#pragma once

// The transfer worker: one thread that fetches one segment of one file and writes it into the target file
// at the segment's place. The workers of a file run side by side on one target file, which the queue has
// created beforehand; each writes only the bytes it owns, so nothing joins parts afterwards.
//
// The bytes are written as they arrive (gathered into writes of up to a megabyte) instead of being held
// until the transfer ends: a worker's memory stays small whatever the file's size, and a server that
// ignores the range, sending the whole file to every worker, costs no memory either. The worker still
// raises the client's work events while the body arrives, and reports its end once, after its last byte
// is on disk, with whether it received every byte it owns.
//
// Events go to the thread of `context` (the user-interface thread) as queued calls, in the order raised; the
// worker touches nothing else that the window owns. A worker frees itself when it ends.

#include "download/segments.h"

#include <QPointer>
#include <QString>
#include <QThread>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TIdHTTP;

namespace lanseek::download {

struct WorkerEvents
{
    // Bytes of the body received so far by the worker's client.
    std::function<void(int tag, std::int64_t bytesSoFar)> work;
    // Once per worker, after it has written what it got. complete: every owned byte reached the file.
    std::function<void(int tag, bool complete)> workEnd;
};

struct WorkerJob
{
    std::int64_t segmentLength = 0;
    int workerIndex = 0;
    int workers = 1; // of this file; the last worker's range runs to the end of the file
    QString savePath;
    std::string address;
    std::int64_t fileSize = 0;
};

} // namespace lanseek::download

class tmp3download : public QThread
{
    Q_OBJECT
public:
    // Starts at once. The client must carry the worker's tag; the worker keeps it alive until it ends.
    // parent: the owner that waits for running workers when it goes away (see stopAndWait).
    tmp3download(std::shared_ptr<TIdHTTP> client, const lanseek::download::WorkerJob& job,
                 std::shared_ptr<const lanseek::download::WorkerEvents> events, QObject* context,
                 QObject* parent);
    ~tmp3download() override;

    int tag() const { return m_tag; }
    // Ends the transfer (from any thread) and waits for the worker to end.
    void stopAndWait();

protected:
    void run() override;

private:
    void post(std::function<void()> call);

    std::shared_ptr<TIdHTTP> m_client;
    lanseek::download::WorkerJob m_job;
    std::shared_ptr<const lanseek::download::WorkerEvents> m_events;
    QObject* m_context;
    int m_tag;
};
