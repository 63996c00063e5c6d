#pragma once

// The play list: adding the selected search results to it, its own commands, saving and loading playlist
// files, and showing the generated player pages in the player view. It owns the play list's state (the
// file names last chosen in its dialogs) and drives the controls of its view; the handlers keep the names
// the window's design gives them.

#include "app/shared/error_policy.h"
#include "app/shared/shared_folders.h"
#include "app/shared/window_links.h"
#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <QObject>
#include <QString>

namespace lanseek::platform {
class Dialogs;
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

class PlaybackController : public QObject
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

private:
    // Writes nothing: shortens a tall play list, brings up the player view and shows the page, a file
    // of the program folder, in it.
    void showPlayerPage(const QString& page, int reduction);

    PlaybackView m_view;
    const SharedFolders& m_folders;
    const SearchText& m_searchText;
    CardIntake& m_card;
    platform::Dialogs& m_dialogs;
    ErrorPolicy& m_errors;
    QString m_saveDialogFileName; // SaveDialog1's FileName
    QString m_openDialogFileName; // OpenDialog2's FileName
};

} // namespace lanseek::app
