#include "app/desktop/download_notifier.h"

#include "app/desktop/desktop_log.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace lanseek::app {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// How long the note stays, in milliseconds; the service's own choice would be -1.
constexpr int kShownFor = 8000;

} // namespace

DownloadNotifier::DownloadNotifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus)
{
}

void DownloadNotifier::fileReported(const QString& songName, DownloadOutcome outcome)
{
    if (!m_bus.isConnected())
        return;
    const bool complete = outcome == DownloadOutcome::Complete;
    const QString summary = complete ? QStringLiteral("下载已经完成") : QStringLiteral("下载不完整");
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    // The body may be read as markup, and a song's name comes from a web page or a LAN peer: it is
    // escaped so that it shows as written and never as markup of its own.
    const QVariantMap hints = {
        {QStringLiteral("desktop-entry"), QStringLiteral("org.lanseek.lanseek")},
        {QStringLiteral("category"), QString::fromLatin1(complete ? "transfer.complete" : "transfer.error")}};
    call << QStringLiteral("聆澜") << 0u << QStringLiteral("lanseek") << summary << songName.toHtmlEscaped()
         << QStringList() << hints << kShownFor;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<uint> reply = *done;
        // Without a notification service every note fails alike; the log says so once.
        if (reply.isError() && !m_failureLogged) {
            m_failureLogged = true;
            qCInfo(lcDesktop) << "no desktop note for ended downloads:" << reply.error().message();
        }
    });
}

} // namespace lanseek::app
