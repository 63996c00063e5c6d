#include "app/desktop/desktop_session.h"

#include "app/desktop/desktop_log.h"

#include <QDBusError>

namespace lanseek::app {

Q_LOGGING_CATEGORY(lcDesktop, "lanseek.desktop")

DesktopSession::DesktopSession(const QDBusConnection& bus, PlayerRemote& player, WindowPresence& window,
                               ErrorPolicy& errors, QObject* parent)
    : QObject(parent), m_mpris(bus, player, window, errors), m_notifier(bus)
{
    if (!bus.isConnected()) {
        qCInfo(lcDesktop).noquote() << "no session bus (" + bus.lastError().message() +
                                           "): no media keys, desktop notes or single-instance check";
        return;
    }
    QString why;
    m_mediaControlsOn = m_mpris.start(&why);
    if (!m_mediaControlsOn)
        qCWarning(lcDesktop).noquote() << "the player is not on the session bus:" << why;
}

void DesktopSession::fileReported(const QString& songName, bool complete)
{
    m_notifier.fileReported(songName, complete ? DownloadOutcome::Complete : DownloadOutcome::Incomplete);
}

} // namespace lanseek::app
