#pragma once

// The main window. It owns every control, browser and timer of the program, and one controller per
// subsystem that owns that subsystem's state and drives its controls (app/search/, app/download/,
// app/playback/, app/card/). The handlers keep the names the window's design gives them; each is a
// one-line forward to its controller (mp3_handlers.cpp).

#include "app/shared/error_policy.h"
#include "app/shared/shared_folders.h"
#include "app/shared/window_links.h"
#include "platform/ui/dialogs.h"
#include "search/search_query.h"
#include "skin/controls/se_controls.h"
#include "skin/forms/se_skin_form.h"

#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>

class TWebBrowser;
class TSeSkinEngine;
namespace lanseek::skin {
class EmbeddedSkinPreload;
} // namespace lanseek::skin
namespace lanseek::app {
class SearchController;
class DownloadController;
class PlaybackController;
class CardController;
class SkinController;
} // namespace lanseek::app
class QCloseEvent;

struct TForm1Options
{
    lanseek::platform::Dialogs* dialogs = nullptr; // required; the window does not own it
    QString programFolder;                         // with a trailing separator; empty: found at start-up
    QSize screenSize;                              // empty: the primary screen's size
    lanseek::search::ServiceEndpoints service;     // the search service's scheme and host
    // The embedded skins, already being decoded (the window takes them); null: decoded by the window.
    lanseek::skin::EmbeddedSkinPreload* skins = nullptr;
    // The card view, hidden when the window appears, is built by finishStartUp (or when it is first
    // needed) instead of before the window's first paint.
    bool cardViewAfterFirstPaint = false;
};

class TForm1 : public QWidget,
               private lanseek::app::ErrorPolicy,
               private lanseek::app::ViewSwitch,
               private lanseek::app::WindowPresence
{
    Q_OBJECT
public:
    explicit TForm1(const TForm1Options& options, QWidget* parent = nullptr);
    ~TForm1() override;
    // What start-up leaves until the window is on screen, since the first paint does not need it: the
    // card view when asked to (see TForm1Options), the card's font families, the large pictures of the
    // icon and the media-type icons. Called once the window has painted; calling it again does nothing.
    void finishStartUp();

    // ---- The subsystems' controllers and the folders they share ------------------------------------
    lanseek::app::SearchController& search() const { return *m_search; }
    lanseek::app::DownloadController& downloads() const { return *m_downloads; }
    lanseek::app::PlaybackController& playback() const { return *m_playback; }
    lanseek::app::CardController& card() const { return *m_card; }
    lanseek::app::SkinController& skins() const { return *m_skins; }
    lanseek::app::SharedFolders& folders() { return m_folders; }
    // The window and its error policy as the desktop integration sees them (desktop_wiring.cpp).
    lanseek::app::WindowPresence& presence() { return *this; }
    lanseek::app::ErrorPolicy& errorPolicy() { return *this; }

    // ---- Components ----------------------------------------------------------------------------------
    lanseek::platform::Dialogs& dialogs() const { return *m_dialogs; }
    TImageList ImageList1;
    // The two skins the window carries: the main look, and the panels, tool bars and download controls.
    TSeSkinEngine* SeSkinEngine1 = nullptr;
    TSeSkinEngine* SeSkinEngine2 = nullptr;
    QTimer* Timer1 = nullptr;
    QWidget* Form2 = nullptr; // the save-folder chooser (TForm2), created hidden after the main window

    // Top bar
    TSeSkinPanel* Panel1 = nullptr;
    TSeSkinComboBox* SeSkinComboBox2 = nullptr; // engine chooser
    TSeSkinComboBox* SeSkinComboBox1 = nullptr; // media type
    TSeSkinEdit* Edit1 = nullptr;               // name box
    TSeSkinButton* Button1 = nullptr;           // "搜索"
    TSeSkinButton* SeSkinButton1 = nullptr;     // "保存目录"
    TSeSkinToolBar* SeSkinToolBar1 = nullptr;   // search toolbar
    TSeSkinSpeedButton* manlistbtn = nullptr;
    TSeSkinSpeedButton* womanlistbtn = nullptr;
    TSeSkinSpeedButton* SeSkinSpeedButton1 = nullptr; // "辑"
    TSeSkinSpeedButton* musiclist = nullptr;
    TSeSkinSpeedButton* singerlistbtn = nullptr;
    TSeSkinSpeedButton* SeSkinSpeedButton2 = nullptr; // "刷"
    TSeSkinSpeedButton* stopbtn = nullptr;
    TSeSkinLabel* resultlabel = nullptr;
    TSeSkinProgressBar* SeSkinProgressBar6 = nullptr; // search progress

    // Left column
    TSeSkinPanel* Panel2 = nullptr;
    TSeSkinButton* Button3 = nullptr; // "在线听歌"
    TSeSkinButton* Button4 = nullptr; // "下载"
    TSeSkinButton* Button5 = nullptr; // "音乐贺卡"

    // First view
    TSeSkinSListView* ListView1 = nullptr;
    TSeSkinPanel* SeSkinPanel1 = nullptr; // play panel
    TSeSkinToolBar* SeSkinToolBar3 = nullptr;
    TSeSkinLabel* sendGroupLabel = nullptr;
    TSeSkinLabel* deleteGroupLabel = nullptr;
    TSeSkinLabel* storeGroupLabel = nullptr;
    TSeSkinSpeedButton* dragplaybtn = nullptr;
    TSeSkinSpeedButton* dragdownbtn = nullptr;
    TSeSkinSpeedButton* dragcardbtn = nullptr;
    TSeSkinSpeedButton* playdelbtn = nullptr;
    TSeSkinSpeedButton* playclear = nullptr;
    TSeSkinSpeedButton* playsavebtn = nullptr;
    TSeSkinSpeedButton* playloadbtn = nullptr;
    TSeSkinButton* SeSkinButton4 = nullptr; // "在线播放"
    TSeSkinSListView* playListView = nullptr;
    TWebBrowser* WebBrowser3 = nullptr;   // player view
    TSeSkinLabel* SeSkinLabel4 = nullptr; // loading label

    // Download panel
    TSeSkinPanel* Iesetpanel = nullptr;
    TSeSkinSListView* downloadlistview = nullptr;
    TSeSkinButton* downbtn = nullptr;
    TSeSkinButton* delbtn = nullptr;
    TSeSkinButton* delallbtn = nullptr;
    TSeSkinButton* SeSkinButton3 = nullptr; // "修改保存地址"
    TSeSkinMemo* downinimemo = nullptr;     // download log
    TSeSkinLabel* progressLabel = nullptr;  // "下载进度"
    TSeSkinSListView* downloadnow = nullptr;
    std::array<TSeSkinProgressBar*, 5> progressBars{}; // SeSkinProgressBar1..5
    TSeSkinProgressBar* SeSkinProgressBar1 = nullptr;
    TSeSkinProgressBar* SeSkinProgressBar2 = nullptr;
    TSeSkinProgressBar* SeSkinProgressBar3 = nullptr;
    TSeSkinProgressBar* SeSkinProgressBar4 = nullptr;
    TSeSkinProgressBar* SeSkinProgressBar5 = nullptr;

    // Card panel
    TSeSkinPanel* setpanel = nullptr;
    TSeSkinSListView* cardlistview = nullptr;
    TSeSkinButton* cancelbtn = nullptr;
    TSeSkinLabel* previewLabel = nullptr; // "预览"
    TWebBrowser* WebBrowser4 = nullptr;   // card preview
    TSeSkinPanel* SeSkinPanel2 = nullptr; // "贺卡内容"
    TSeSkinToolBar* SeSkinToolBar2 = nullptr;
    TSeSkinSpeedButton* htmlrunbtn = nullptr;
    TSeSkinSpeedButton* h1btn = nullptr;
    TSeSkinSpeedButton* h2btn = nullptr;
    TSeSkinSpeedButton* h3btn = nullptr;
    TSeSkinSpeedButton* h4btn = nullptr;
    TSeSkinSpeedButton* bigbtn = nullptr;
    TSeSkinSpeedButton* strongbtn = nullptr;
    TSeSkinSpeedButton* ibtn = nullptr;
    TSeSkinSpeedButton* ubtn = nullptr;
    TSeSkinSpeedButton* centrebtn = nullptr;
    TSeSkinSpeedButton* picbtn = nullptr;
    TSeSkinSpeedButton* backbtn = nullptr;
    TSeSkinComboBox* colorcombox = nullptr;
    TSeSkinComboBox* fontsizecombox = nullptr;
    TSeSkinEdit* nameedit = nullptr; // card title
    TSeSkinMemo* iememo = nullptr;   // card text
    TSeSkinButton* previewbtn = nullptr;
    TSeSkinButton* iesetbtn = nullptr;
    TSeSkinButton* cardsurebtn = nullptr; // hidden

    // Status bar
    TSeSkinStatusBar* SeSkinStatusBar1 = nullptr;

    // Hidden parts
    TWebBrowser* WebBrowser1 = nullptr; // search browser
    TWebBrowser* WebBrowser2 = nullptr; // chart browser
    TSeSkinMemo* Memo1 = nullptr;       // page text
    TSeSkinButton* Button7 = nullptr;   // harvest
    TSeSkinButton* Button9 = nullptr;   // next page
    TSeSkinEdit* Edit2 = nullptr;       // workers per file, "5"
    TSeSkinEdit* threedit = nullptr;    // "15", not read

    // System and tray menus of the frame
    TSeSkinPopupMenu* SeSkinPopupMenu1 = nullptr;
    TSeSkinPopupMenu* SeSkinPopupMenu2 = nullptr;
    // The skinned frame: the window's caption, borders, caption buttons, states and tray icon. Declared
    // as a member so that it goes while the window is still whole.
    std::unique_ptr<TSeSkinForm> SeSkinForm1;

    // ---- Application shell ---------------------------------------------------------------------------
    void Button3Click();
    void Button4Click();
    void Button5Click();
    bool FormCloseQuery();
    void FormClose();
    void CustomItem1Click(); // restore
    void CustomItem2Click(); // minimize
    void CustomItem3Click(); // roll up to the title bar
    void CustomItem4Click(); // minimize to the tray
    void CustomItem7Click(); // restore from the tray
    // The program-wide exception handler: every exception escaping a handler ends here.
    void myexception(const QString& message);
    void myexception(const std::exception& error);
    // Runs a handler, handing any exception it throws to myexception.
    template <typename Fn> void guarded(Fn&& fn) noexcept
    {
        lanseek::app::guarded(static_cast<lanseek::app::ErrorPolicy&>(*this), std::forward<Fn>(fn));
    }

    // ---- Search (app/search/) ------------------------------------------------------------------------
    void Button1Click();
    void SeSkinComboBox1Change();
    void Button9Click();
    void WebBrowser1DocumentComplete(TWebBrowser* sender = nullptr, const QString& url = {});
    void WebBrowser1ProgressChange(int progress, int progressMax);
    void Button7Click();
    void ListView1SelectItem(int index, bool selected);
    void ListView1DblClick();
    void stopbtnClick();
    void SeSkinSpeedButton2Click();
    void manlistbtnClick();
    void womanlistbtnClick();
    void musiclistClick();
    void singerlistbtnClick();
    void menubtnClick();
    void WebBrowser2DocumentComplete(TWebBrowser* sender = nullptr, const QString& url = {});
    void WebBrowser2ProgressChange(int progress, int progressMax);

    // ---- Downloads (app/download/) -------------------------------------------------------------------
    void dragdownbtnClick();
    void delbtnClick();
    void delallbtnClick();
    void downbtnClick();
    void IdHTTP1WorkBegin(std::int64_t announcedLength);
    void IdHTTP1Work(int tag, std::int64_t bytesSoFar);
    void IdHTTP1WorkEnd(int tag, bool segmentComplete = true);
    void Timer1Timer();
    void downloadnowSelectItem(int row, bool selected);
    void SeSkinButton1Click(); // "保存目录"
    void SeSkinButton3Click(); // "修改保存地址"

    // ---- Playback (app/playback/) --------------------------------------------------------------------
    void dragplaybtnClick();
    void playdelbtnClick();
    void playclearClick();
    void playsavebtnClick();
    void playloadbtnClick();
    void SeSkinButton4Click();
    void WebBrowser3ProgressChange(int progress = 0, int progressMax = 0);
    void WebBrowser3DocumentComplete(TWebBrowser* sender = nullptr, const QString& url = {});

    // ---- Music card (app/card/) ----------------------------------------------------------------------
    void htmlrunbtnClick();
    void h1btnClick();
    void h2btnClick();
    void h3btnClick();
    void h4btnClick();
    void bigbtnClick();
    void strongbtnClick();
    void ibtnClick();
    void ubtnClick();
    void centrebtnClick();
    void picbtnClick();
    void backbtnClick();
    void colorcomboxChange();
    void fontsizecomboxChange();
    void dragcardbtnClick();
    void cancelbtnClick();
    void cardsurebtnClick();
    void previewbtnClick();
    void iesetbtnClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    using Handler = void (TForm1::*)();
    struct Click
    {
        QAbstractButton* button;
        Handler handler;
    };
    // Connects each button's click to its handler, through guarded().
    void onClicks(std::initializer_list<Click> clicks);

    // The error policy and the view switch as the controllers see them.
    void handle(const std::exception& error) override { myexception(error); }
    void handle(const QString& message) override { myexception(message); }
    void showResultsView() override { Button3Click(); }
    void showDownloadView() override { Button4Click(); }
    void showCardView() override { Button5Click(); }
    void bringToFront() override;
    void closeAsUser() override;

    void buildWindow(lanseek::skin::EmbeddedSkinPreload* skins);
    void buildTopBar();
    void buildLeftColumn();
    void buildFirstView();
    void buildDownloadPanel();
    void buildCardPanel();
    void buildControllers(const TForm1Options& options);
    // Builds the card view once, dressed, wired, scaled to the screen and named like the rest.
    void ensureCardView();
    void scaleControls(const QList<QWidget*>& controls, int num, int den);
    void buildHiddenParts();
    void buildMenus();
    void buildFrame();
    void wireShell();
    void startUp(const TForm1Options& options);
    void adaptToScreen(QSize screen);
    void alignRegions();
    void growRegions();
    void nameControlsForAccessibility(QWidget* root);
    void showView(bool results, bool download, bool card);

    lanseek::platform::Dialogs* m_dialogs = nullptr;
    lanseek::app::SharedFolders m_folders;
    std::unique_ptr<lanseek::app::CardController> m_card;
    std::unique_ptr<lanseek::app::SearchController> m_search;
    std::unique_ptr<lanseek::app::PlaybackController> m_playback;
    std::unique_ptr<lanseek::app::DownloadController> m_downloads;
    std::unique_ptr<lanseek::app::SkinController> m_skins;
    bool m_closing = false;
    // The screen adaptation's scale (screen width : 1024), for controls built after it.
    int m_scaleNum = 1024;
    int m_scaleDen = 1024;
    // The size the window was laid out for at start-up (its minimum), and how far its regions have
    // grown past it.
    QSize m_laidOutSize;
    QSize m_grown{0, 0};
    QSize m_cardGrown{0, 0}; // what of it the card view has taken
};

// The client size the window was laid out for.
inline constexpr int kDesignWidth = 696;
// The largest picture of the program's icon that the window is given before it first appears.
inline constexpr int kFirstIconSize = 64;
inline constexpr int kDesignHeight = 604;
