#pragma once

// A desktop note for each file whose download has ended, through the desktop's notification service on
// the session bus. The note is sent without waiting for an answer: with no such service running, or no
// bus at all, nothing is shown and nothing waits.

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace lanseek::app {

enum class DownloadOutcome { Complete, Incomplete };

class DownloadNotifier : public QObject
{
public:
    explicit DownloadNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

    // One note for one file: whether every byte arrived, and the song's name.
    void fileReported(const QString& songName, DownloadOutcome outcome);

private:
    QDBusConnection m_bus;
    bool m_failureLogged = false;
};

} // namespace lanseek::app
