#pragma once

// The main window. It owns every control, browser, timer and HTTP client of the program and the state
// that the subsystems share. The handlers of each subsystem are defined in that subsystem's folder
// (search/search_handlers.cpp, download/download_handlers.cpp, ...); this file declares them all.

#include "download/download_run.h"
#include "platform/ui/dialogs.h"
#include "search/search_query.h"
#include "skin/controls/se_controls.h"
#include "skin/forms/se_skin_form.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>

class TWebBrowser;
class TSeSkinEngine;
namespace lanseek::card {
struct TagCommand;
struct MarkupOutcome;
} // namespace lanseek::card
namespace lanseek::platform {
struct WebDocument;
} // namespace lanseek::platform
namespace lanseek::skin {
class EmbeddedSkinPreload;
} // namespace lanseek::skin
class TIdHTTP;
class TForm2;
class QMenu;
class QCloseEvent;
class QLabel;

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

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(const TForm1Options& options, QWidget* parent = nullptr);
    ~TForm1() override;
    // What start-up leaves until the window is on screen, since the first paint does not need it: the
    // card view when asked to (see TForm1Options), the card's font families, the large pictures of the
    // icon and the media-type icons. Called once the window has painted; calling it again does nothing.
    void finishStartUp();

    // ---- Shared state ------------------------------------------------------------------------------
    QString programFolder;         // folder of the program, with a trailing separator
    QString musicFolder;           // where new download rows are saved, with a trailing separator
    QString cardBackground;        // picture behind the music card
    QString OpenDialog1InitialDir; // where the card picture dialog opens
    bool stopFlag = false;
    int pageNumber = 2;
    int rowCounter = 0;
    QString localIp;
    bool quitConfirmed = false;
    bool rowPathMode = false;
    int resumeRow = 0;
    bool sizeProbeFlag = false;
    int activeWorkers = 0;
    std::array<int, 3> slotWorkers{0, 0, 0};
    // Per file slot, room for eleven HTTP clients of its transfer workers. A client stays alive while a
    // worker still holds it (shared ownership), even after the slot has given it up.
    std::array<std::array<std::shared_ptr<TIdHTTP>, 11>, 3> slotClients;

    // ---- Components ----------------------------------------------------------------------------------
    lanseek::platform::Dialogs& dialogs() const { return *m_dialogs; }
    lanseek::search::ServiceEndpoints service;
    TImageList ImageList1;
    // The two skins the window carries: the main look, and the panels, tool bars and download controls.
    TSeSkinEngine* SeSkinEngine1 = nullptr;
    TSeSkinEngine* SeSkinEngine2 = nullptr;
    QTimer* Timer1 = nullptr;
    std::shared_ptr<TIdHTTP> IdHTTP1; // the size probe's client
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
        try {
            fn();
        } catch (const std::exception& e) {
            myexception(e);
        } catch (...) {
            myexception(QStringLiteral("未知错误"));
        }
    }

    // ---- Wiring: every control event reaches its handler through guarded() -------------------------
    using Handler = void (TForm1::*)();
    struct Click
    {
        QAbstractButton* button;
        Handler handler;
    };
    // Connects each button's click to its handler.
    void onClicks(std::initializer_list<Click> clicks);
    // Connects a signal to a handler of the window. A handler that takes the signal's arguments gets
    // them; one that takes none is called without.
    template <typename Sender, typename Signal, typename Method>
    void on(Sender* sender, Signal signal, Method method)
    {
        connect(sender, signal, this, [this, method](const auto&... args) {
            guarded([&] {
                if constexpr (std::is_invocable_v<Method, TForm1*, decltype(args)...>)
                    std::invoke(method, this, args...);
                else
                    std::invoke(method, this);
            });
        });
    }

    // ---- Search ------------------------------------------------------------------------------------
    void Button1Click();
    void SeSkinComboBox1Change();
    void Button9Click();

    // ---- Search: harvesting, result list, charts (search/) -------------------------------------------
    void WebBrowser1DocumentComplete(TWebBrowser* sender, const QString& url);
    void WebBrowser1ProgressChange(int progress, int progressMax);
    void Button7Click(); // reads the page in Memo1 and the search browser's links into result rows
    void ListView1SelectItem(int index, bool selected);
    void ListView1DblClick();
    void stopbtnClick();
    void SeSkinSpeedButton2Click(); // refresh
    void manlistbtnClick();
    void womanlistbtnClick();
    void musiclistClick();
    void singerlistbtnClick();
    void menubtnClick(); // album search ("辑", SeSkinSpeedButton1)
    void WebBrowser2DocumentComplete(TWebBrowser* sender, const QString& url);
    void WebBrowser2ProgressChange(int progress, int progressMax);
    void loadChartPage(const QString& path); // the four chart buttons differ only in the page

    // ---- Downloads: queue, workers, progress, save-folder chooser (download/) ------------------------
    void dragdownbtnClick();
    void delbtnClick();
    void delallbtnClick();
    void downbtnClick();
    // The clients' events, applied on the UI thread. tag names the client (100 x (slot + 1) + worker,
    // 6789 for the size probe). segmentComplete tells whether a worker got every byte it owns.
    void IdHTTP1WorkBegin(std::int64_t announcedLength);
    void IdHTTP1Work(int tag, std::int64_t bytesSoFar);
    void IdHTTP1WorkEnd(int tag, bool segmentComplete = true);
    void Timer1Timer();
    void downloadnowSelectItem(int row, bool selected);
    void SeSkinButton1Click(); // "保存目录"
    void SeSkinButton3Click(); // "修改保存地址"
    // The bookkeeping of the queue's runs that only the download handlers use.
    lanseek::download::DownloadRun downloadRun;
    // Receives the workers' events on the UI thread and, when the window goes, ends the running workers.
    class DownloadHub;
    DownloadHub* downloadHub = nullptr;
    // True when the probe's GET went through; the length is then in downloadRun.fileSize.
    bool probeSize(const QString& address);
    void startFile(int slot, const lanseek::platform::ListRow& row, const QString& savePath);
    int shownSlot() const;
    void setBarMaximum(std::int64_t maximum);
    void setBarValue(int bar, std::int64_t value);
    void fileReport(int progressRow);
    // The file of in-progress row `progressRow` has ended: the row shows "下载结束" until it is reported.
    void fileEnded(int progressRow);
    // Gives every ended row its final state and its report, in the order the files ended.
    void reportEndedFiles();
    // With no worker left, the ended files are reported before Timer1 stops, so that none waits for a tick
    // that would not come.
    void allEndedReport();
    // Enables Timer1 without restarting a countdown that already runs.
    void enableTimer1();

    // ---- Playback: play list, playlist files, player pages (playback/) -------------------------------
    void dragplaybtnClick();   // add the selected search results to the play list (and the card list)
    void playdelbtnClick();    // delete the selected play list row
    void playclearClick();     // empty the play list
    void playsavebtnClick();   // save the play list as an .rpm or .asx file
    void playloadbtnClick();   // load an .rpm or .asx file into the play list and play it
    void SeSkinButton4Click(); // play the selection online
    // Writes nothing: shortens a tall play list, brings up the player view and shows the page, a file
    // of the program folder, in it.
    void showPlayerPage(const QString& page, int reduction);
    void WebBrowser3ProgressChange(int progress, int progressMax);
    void WebBrowser3DocumentComplete(TWebBrowser* sender, const QString& url);
    // The file names last chosen in the save and open dialogs of the play list, offered again next time.
    QString SaveDialog1FileName;
    QString OpenDialog2FileName;

    // ---- Music card (card/) --------------------------------------------------------------------------
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
    // The card preview's save as: asks where, then writes the shown card and a copy of its picture.
    void saveCardAs(const lanseek::platform::WebDocument& document);
    void runTagCommand(const lanseek::card::TagCommand& command);
    void applyCardMarkup(const lanseek::card::MarkupOutcome& outcome);
    void writeCard();
    void fillFontBox();

    // ---- Subsystem wiring: each subsystem folder connects its own controls ----------------------------
    void wireSearch();
    void wireDownload();
    void wirePlayback();
    void wireCard();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWindow(lanseek::skin::EmbeddedSkinPreload* skins);
    void buildTopBar();
    void buildLeftColumn();
    void buildFirstView();
    void buildDownloadPanel();
    void buildCardPanel();
    // Builds the card view once, dressed, wired, scaled to the screen and named like the rest.
    void ensureCardView();
    void wireCardPlayer();
    void scaleControls(const QList<QWidget*>& controls, int num, int den);
    void buildHiddenParts();
    void buildMenus();
    void buildFrame();
    void wireShell();
    void startUp(const TForm1Options& options);
    void adaptToScreen(QSize screen);
    void alignRegions();
    void nameControlsForAccessibility(QWidget* root);
    void showView(bool results, bool download, bool card);
    void disconnectSlotClients(int slot, int count);
    void disconnectClient(const std::shared_ptr<TIdHTTP>& client);

    lanseek::platform::Dialogs* m_dialogs = nullptr;
    bool m_closing = false;
    // The screen adaptation's scale (screen width : 1024), for controls built after it.
    int m_scaleNum = 1024;
    int m_scaleDen = 1024;
};

// The client size the window was laid out for.
inline constexpr int kDesignWidth = 696;
// The largest picture of the program's icon that the window is given before it first appears.
inline constexpr int kFirstIconSize = 64;
inline constexpr int kDesignHeight = 604;
