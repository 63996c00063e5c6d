#pragma once

// The program's place on the desktop over one session bus: its player for media keys and media widgets,
// and a note when a download ends. Without a bus the program runs as before and one log line says why.

#include "app/desktop/download_notifier.h"
#include "app/desktop/mpris_service.h"
#include "app/shared/error_policy.h"
#include "app/shared/player_remote.h"
#include "app/shared/window_links.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace lanseek::app {

class DesktopSession : public QObject
{
public:
    DesktopSession(const QDBusConnection& bus, PlayerRemote& player, WindowPresence& window,
                   ErrorPolicy& errors, QObject* parent = nullptr);

    // Takes the downloads' report of a file (see DownloadController::fileReported).
    void fileReported(const QString& songName, bool complete);

    // Whether the player is on the bus.
    bool mediaControlsOn() const { return m_mediaControlsOn; }
    const MprisService& mpris() const { return m_mpris; }

private:
    MprisService m_mpris;
    DownloadNotifier m_notifier;
    bool m_mediaControlsOn = false;
};

} // namespace lanseek::app
