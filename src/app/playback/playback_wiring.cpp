// Connects the playback controls to their handlers.

#include "app/playback/playback_controller.h"

#include "platform/web/web_browser.h"
#include "playback/player/player_object.h"
#include "skin/controls/se_controls.h"

namespace lanseek::app {

void PlaybackController::wire()
{
    const PlaybackView& v = m_view;
    const auto click = [this](QAbstractButton* button, void (PlaybackController::*handler)()) {
        connectGuarded(button, &QAbstractButton::clicked, this, m_errors, handler);
    };
    click(v.dragplaybtn, &PlaybackController::dragplaybtnClick);
    click(v.playdelbtn, &PlaybackController::playdelbtnClick);
    click(v.playclear, &PlaybackController::playclearClick);
    click(v.playsavebtn, &PlaybackController::playsavebtnClick);
    click(v.playloadbtn, &PlaybackController::playloadbtnClick);
    click(v.SeSkinButton4, &PlaybackController::SeSkinButton4Click);
    connectGuarded(v.WebBrowser3, &TWebBrowser::OnProgressChange, this, m_errors,
                   &PlaybackController::WebBrowser3ProgressChange);
    connectGuarded(v.WebBrowser3, &TWebBrowser::OnDocumentComplete, this, m_errors,
                   &PlaybackController::WebBrowser3DocumentComplete);
    // The player view hosts our player wherever a page asks for one of the two player objects.
    v.WebBrowser3->setObjectFactory(playback::createPlayerObject);
}

} // namespace lanseek::app
