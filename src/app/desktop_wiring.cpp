#include "app/desktop_wiring.h"

#include "app/download/download_controller.h"
#include "app/mp3.h"
#include "app/playback/playback_controller.h"

std::unique_ptr<lanseek::app::DesktopSession> attachToDesktop(TForm1& form, const QDBusConnection& bus)
{
    using lanseek::app::DesktopSession;
    auto session =
        std::make_unique<DesktopSession>(bus, form.playback(), form.presence(), form.errorPolicy());
    QObject::connect(&form.downloads(), &lanseek::app::DownloadController::fileReported, session.get(),
                     [desktop = session.get()](const QString& songName, bool complete) {
                         desktop->fileReported(songName, complete);
                     });
    return session;
}
