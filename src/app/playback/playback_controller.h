#pragma once

// The play list: adding the selected search results to it, its own commands, saving and loading playlist
// files, and showing the generated player pages in the player view. It owns the play list's state (the
// file names last chosen in its dialogs, the row the shown page starts at, the volume) and drives the
// controls of its view; the handlers keep the names the window's design gives them. As the desktop's
// player it answers for the player object the shown page hosts.

#include "app/shared/error_policy.h"
#include "app/shared/player_remote.h"
#include "app/shared/shared_folders.h"
#include "app/shared/window_links.h"
#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace lanseek::platform {
class Dialogs;
class MediaPlayerControl;
} // namespace lanseek::platform

namespace lanseek::app {

// The controls the play list drives. The window owns them all.
struct PlaybackView
{
    QWidget* window = nullptr;             // dialogs open over it
    TSeSkinSListView* ListView1 = nullptr; // the search results songs are taken from
    TSeSkinSpeedButton* dragplaybtn = nullptr;
    TSeSkinSpeedButton* playdelbtn = nullptr;
    TSeSkinSpeedButton* playclear = nullptr;
    TSeSkinSpeedButton* playsavebtn = nullptr;
    TSeSkinSpeedButton* playloadbtn = nullptr;
    TSeSkinButton* SeSkinButton4 = nullptr; // "在线播放"
    TSeSkinSListView* playListView = nullptr;
    TWebBrowser* WebBrowser3 = nullptr;   // player view
    TSeSkinLabel* SeSkinLabel4 = nullptr; // loading label
};

class PlaybackController : public QObject, public PlayerRemote
{
public:
    PlaybackController(const PlaybackView& view, const SharedFolders& folders, const SearchText& searchText,
                       CardIntake& card, platform::Dialogs& dialogs, ErrorPolicy& errors,
                       QObject* parent = nullptr);

    // Connects the view's controls to the handlers below.
    void wire();

    void dragplaybtnClick();   // add the selected search results to the play list (and the card list)
    void playdelbtnClick();    // delete the selected play list row
    void playclearClick();     // empty the play list
    void playsavebtnClick();   // save the play list as an .rpm or .asx file
    void playloadbtnClick();   // load an .rpm or .asx file into the play list and play it
    void SeSkinButton4Click(); // play the selection online
    void WebBrowser3ProgressChange();
    void WebBrowser3DocumentComplete();

    // The file names last chosen in the save and open dialogs, offered again next time.
    const QString& savedPlaylistName() const { return m_saveDialogFileName; }
    const QString& loadedPlaylistName() const { return m_openDialogFileName; }

    // ---- The desktop's player (playback_remote.cpp) ----------------------------------------------------
    PlayStatus playStatus() const override;
    NowPlaying nowPlaying() const override;
    qint64 positionMs() const override;
    double volume() const override { return m_volume; }
    void setVolume(double linear) override;
    bool canPlay() const override;
    bool canPause() const override;
    bool canSeek() const override;
    bool canGoNext() const override;
    bool canGoPrevious() const override;
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void seekTo(qint64 positionMs) override;
    void setPlayerObserver(PlayerObserver* observer) override { m_observer = observer; }

private:
    // The page view made a player for the shown page: it becomes the player the desktop controls.
    void adoptPlayer(platform::MediaPlayerControl* player);
    // The play list row the player is on, or -1.
    int currentRow() const;
    // Chooses the row and plays the play list from it, as play-online does for the whole list.
    void playFromRow(int row);
    void notifyPlayer() const;

    // Writes nothing: shortens a tall play list, brings up the player view and shows the page, a file
    // of the program folder, in it.
    void showPlayerPage(const QString& page, int reduction);

    PlaybackView m_view;
    const SharedFolders& m_folders;
    const SearchText& m_searchText;
    CardIntake& m_card;
    platform::Dialogs& m_dialogs;
    ErrorPolicy& m_errors;
    QString m_saveDialogFileName;                    // SaveDialog1's FileName
    QString m_openDialogFileName;                    // OpenDialog2's FileName
    QPointer<platform::MediaPlayerControl> m_player; // the shown page's player, if it has one
    int m_firstRow = 0;                              // the play list row of the shown player's first item
    int m_pageFirstRow = 0; // the same for the page written last, whose player the view has yet to make
    double m_volume = 1.0;
    PlayerObserver* m_observer = nullptr;
};

} // namespace lanseek::app
