// Connects the playback controls to their handlers.

#include "app/playback/playback_controller.h"

#include "platform/media/media_player_control.h"
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
    // The player view hosts our player wherever a page asks for one of the two player objects; the one it
    // made last is the one the desktop's media controls drive.
    v.WebBrowser3->setObjectFactory([this](const platform::HtmlNode& object, QWidget* parent) {
        QWidget* made = playback::createPlayerObject(object, parent);
        if (auto* player = qobject_cast<platform::MediaPlayerControl*>(made))
            adoptPlayer(player);
        return made;
    });
    // Whether there is a next or a previous row changes with the play list's rows.
    const QAbstractItemModel* rows = v.playListView->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &PlaybackController::notifyPlayer);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &PlaybackController::notifyPlayer);
    connect(rows, &QAbstractItemModel::modelReset, this, &PlaybackController::notifyPlayer);
}

} // namespace lanseek::app
