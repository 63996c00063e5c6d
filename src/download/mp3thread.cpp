#include "download/mp3thread.h"

#include "download/download_log.h"
#include "download/segment_writer.h"
#include "platform/log/exception_cause.h"
#include "platform/net/id_http.h"

#include <QMetaObject>

#include <optional>
#include <system_error>

using lanseek::download::ByteSpan;

namespace {

QString systemErrorText(int errorNumber)
{
    return QString::fromStdString(std::generic_category().message(errorNumber));
}

} // namespace

tmp3download::tmp3download(std::shared_ptr<TIdHTTP> client, const lanseek::download::WorkerJob& job,
                           std::shared_ptr<const lanseek::download::WorkerEvents> events, QObject* context,
                           QObject* parent)
    : QThread(parent), m_client(std::move(client)), m_job(job), m_events(std::move(events)),
      m_context(context), m_tag(m_client ? m_client->Tag : 0)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    start();
}

tmp3download::~tmp3download()
{
    stopAndWait();
}

void tmp3download::stopAndWait()
{
    if (m_client)
        m_client->Disconnect();
    wait();
}

void tmp3download::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(m_context, std::move(call), Qt::QueuedConnection);
}

void tmp3download::run()
{
    using namespace lanseek::download;
    const int tag = m_tag;
    const auto events = m_events;
    const ByteSpan owned = ownedSpan(m_job.workerIndex, m_job.workers, m_job.segmentLength, m_job.fileSize);
    const auto range = requestedRange(m_job.workerIndex, m_job.workers, m_job.segmentLength, m_job.fileSize);

    SegmentWriter writer(m_job.savePath);
    if (writer.isOpen() && m_client) {
        TIdHTTP& client = *m_client;
        client.setRange(range.start, range.end);
        client.OnWorkBegin = nullptr;
        client.OnWorkEnd = nullptr;
        client.OnWork = [this, tag, events](TIdHTTP&, std::int64_t bytesSoFar) {
            if (events->work)
                post([events, tag, bytesSoFar] { events->work(tag, bytesSoFar); });
        };
        std::optional<std::optional<std::int64_t>> origin; // decided at the first block
        std::int64_t placed = 0;
        const TIdHTTP::BodySink sink = [&](std::int64_t bodyOffset, const char* data, std::size_t length) {
            if (!origin) {
                origin = replyMatchesFile(client.statusCode(), client.contentRange(), client.contentLength(),
                                          m_job.fileSize)
                             ? bodyOrigin(client.statusCode(), client.contentRange())
                             : std::nullopt;
            }
            if (!*origin)
                return;
            if (const auto slice = sliceOf(owned, **origin, bodyOffset, length)) {
                if (writer.write(slice->fileOffset, data + slice->dataOffset, slice->length))
                    placed += static_cast<std::int64_t>(slice->length);
            }
            // A server that ignored the range goes on with bytes that belong to other workers; once ours
            // are all in, the rest of the body is not needed.
            if (placed == owned.length() && client.statusCode() != 206)
                client.finishTransfer();
        };
        try {
            client.Get(m_job.address, sink);
        } catch (...) {
            // A failing transfer ends the worker; whether its bytes all arrived is told below, as the
            // window's download log expects. The cause is not part of that outcome, so it goes to the log
            // here, where it is still known. A stop the owner asked for is no fault and is only traced.
            const QString cause = lanseek::platform::exceptionCause(std::current_exception());
            const QString address = QString::fromStdString(m_job.address);
            if (client.disconnected())
                qCDebug(downloadLog).noquote() << QStringLiteral("worker %1 stopped while fetching %2: %3")
                                                      .arg(QString::number(tag), address, cause);
            else
                qCWarning(downloadLog).noquote()
                    << QStringLiteral("worker %1 could not fetch bytes %2 of %3: %4")
                           .arg(QString::number(tag), QString::fromStdString(range.boundsText()), address,
                                cause);
        }
        client.OnWork = nullptr;
    } else if (!writer.isOpen()) {
        qCWarning(downloadLog).noquote()
            << QStringLiteral("worker %1 cannot open its target file %2: %3")
                   .arg(QString::number(tag), m_job.savePath, systemErrorText(writer.errorNumber()));
    }
    const bool opened = writer.isOpen();
    writer.finish();
    if (opened && writer.failed())
        qCWarning(downloadLog).noquote()
            << QStringLiteral("worker %1 could not write its bytes into %2: %3")
                   .arg(QString::number(tag), m_job.savePath, systemErrorText(writer.errorNumber()));
    const bool complete = !writer.failed() && writer.bytesWritten() == owned.length();
    if (events->workEnd)
        post([events, tag, complete] { events->workEnd(tag, complete); });
}
