#include "app/mp3.h"

#include "app/card/card_controller.h"
#include "app/download/download_controller.h"
#include "app/download/selectdir.h"
#include "app/playback/playback_controller.h"
#include "app/search/search_controller.h"
#include "app/shared/app_log.h"
#include "app/skin/skin_controller.h"
#include "card/card_background.h"
#include "download/download_recovery.h"
#include "platform/ui/app_icon.h"
#include "platform/ui/media_icons.h"
#include "platform/web/web_browser.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"
#include "skin/skin_preload.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>

namespace {

// Hides a component that exists only for its data or its handler.
template <typename Widget> Widget* hiddenPart(Widget* widget)
{
    widget->hide();
    widget->setGeometry(0, 0, 1, 1);
    return widget;
}

TSeSkinSpeedButton* speedButton(const QString& name, const QString& caption, const QString& hint,
                                QWidget* parent)
{
    auto* button = new TSeSkinSpeedButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->resize(26, 24);
    return button;
}

TSeSkinButton* button(const QString& name, const QString& caption, QWidget* parent, QRect geometry,
                      const QString& hint = {})
{
    auto* b = new TSeSkinButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

// Every control names the engine that dresses it. The first engine gives the window its main look;
// the second dresses the panels, tool bars, progress bars and the download controls. Each control
// asks for its class's own object ("Button", "Edit", "ListBox", ...).
void assignSkins(TForm1& f)
{
    TSeSkinEngine* first = f.SeSkinEngine1;
    TSeSkinEngine* second = f.SeSkinEngine2;

    // The window's own colour is the first skin's form colour, so the corners of rounded panels and
    // the gaps between controls match the skin.
    if (TSeSkinObject* form = first->formObject()) {
        QPalette pal = f.palette();
        pal.setColor(QPalette::Window, lanseek::skin::toQColor(form->Color));
        f.setPalette(pal);
    }

    // Top bar.
    f.Panel1->setSkinEngine(second);
    f.SeSkinComboBox2->setSkinEngine(first);
    f.SeSkinComboBox1->setSkinEngine(first);
    f.Edit1->setSkinEngine(first);
    f.Button1->setSkinEngine(first);
    f.SeSkinButton1->setSkinEngine(first);
    f.SeSkinToolBar1->setSkinEngine(second);
    for (TSeSkinSpeedButton* b : {f.manlistbtn, f.womanlistbtn, f.SeSkinSpeedButton1, f.musiclist,
                                  f.singerlistbtn, f.SeSkinSpeedButton2, f.stopbtn})
        b->setSkinEngine(first);
    f.resultlabel->setSkinEngine(first);
    f.SeSkinProgressBar6->setSkinEngine(second);

    // Left column.
    f.Panel2->setSkinEngine(second);
    f.Button3->setSkinEngine(first);
    f.Button4->setSkinEngine(first);
    f.Button5->setSkinEngine(first);

    // First view: result list and play panel.
    f.ListView1->setSkinEngine(first);
    f.SeSkinPanel1->setSkinEngine(second);
    f.SeSkinToolBar3->setSkinEngine(second);
    f.sendGroupLabel->setSkinEngine(second);
    f.deleteGroupLabel->setSkinEngine(second);
    f.storeGroupLabel->setSkinEngine(second);
    for (TSeSkinSpeedButton* b : {f.dragplaybtn, f.dragdownbtn, f.dragcardbtn, f.playdelbtn, f.playclear,
                                  f.playsavebtn, f.playloadbtn})
        b->setSkinEngine(first);
    f.SeSkinButton4->setSkinEngine(first);
    f.playListView->setSkinEngine(first);
    f.SeSkinLabel4->setSkinEngine(first);

    // Download panel.
    f.Iesetpanel->setSkinEngine(second);
    f.downloadlistview->setSkinEngine(second);
    f.downbtn->setSkinEngine(second);
    f.delbtn->setSkinEngine(second);
    f.delallbtn->setSkinEngine(second);
    f.SeSkinButton3->setSkinEngine(second);
    f.downinimemo->setSkinEngine(first);
    f.progressLabel->setSkinEngine(first);
    f.downloadnow->setSkinEngine(second);
    for (TSeSkinProgressBar* bar : f.progressBars)
        bar->setSkinEngine(second);

    // Status bar, hidden parts and the frame's menus.
    f.SeSkinStatusBar1->setSkinEngine(first);
    f.Memo1->setSkinEngine(first);
    f.Button7->setSkinEngine(first);
    f.Button9->setSkinEngine(first);
    f.Edit2->setSkinEngine(first);
    f.threedit->setSkinEngine(first);
    f.SeSkinPopupMenu1->setSkinEngine(first);
    f.SeSkinPopupMenu2->setSkinEngine(first);
}

// The card view's controls, dressed as assignSkins dresses the rest, when the view is built.
void assignCardSkins(TForm1& f)
{
    TSeSkinEngine* first = f.SeSkinEngine1;
    TSeSkinEngine* second = f.SeSkinEngine2;
    f.setpanel->setSkinEngine(second);
    f.cardlistview->setSkinEngine(first);
    f.cancelbtn->setSkinEngine(first);
    f.previewLabel->setSkinEngine(second);
    f.SeSkinPanel2->setSkinEngine(second);
    f.SeSkinToolBar2->setSkinEngine(second);
    for (TSeSkinSpeedButton* b : {f.htmlrunbtn, f.h1btn, f.h2btn, f.h3btn, f.h4btn, f.bigbtn, f.strongbtn,
                                  f.ibtn, f.ubtn, f.centrebtn, f.picbtn, f.backbtn})
        b->setSkinEngine(first);
    f.colorcombox->setSkinEngine(second);
    f.fontsizecombox->setSkinEngine(second);
    f.nameedit->setSkinEngine(second);
    f.iememo->setSkinEngine(first);
    f.previewbtn->setSkinEngine(first);
    f.iesetbtn->setSkinEngine(first);
    f.cardsurebtn->setSkinEngine(first);
}

// Scales a window's size, keeping a fixed size fixed.
void scaleWindowSize(QWidget* window, int num, int den)
{
    const QSize scaled(window->width() * num / den, window->height() * num / den);
    if (window->minimumSize() == window->maximumSize())
        window->setFixedSize(scaled);
    else
        window->resize(scaled);
}

// The program's files live beside the executable; an installed copy whose folder is not writable keeps
// them in the user's data folder instead.
QString findProgramFolder()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    QFileInfo info(exeFolder);
    if (info.isDir() && info.isWritable())
        return lanseek::app::withSeparator(exeFolder);
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = data + QStringLiteral("/lanseek");
    QDir().mkpath(folder);
    return lanseek::app::withSeparator(folder);
}

QStringList songColumns(const QString& nameHeader)
{
    return {QString(), nameHeader, QStringLiteral("下载地址"), QStringLiteral("大小"),
            QStringLiteral("类型")};
}

} // namespace

TForm1::TForm1(const TForm1Options& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_dialogs(options.dialogs),
      m_folders(options.programFolder.isEmpty() ? findProgramFolder() : options.programFolder)
{
    Q_ASSERT(m_dialogs);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("聆澜"));
    // The small pictures are enough for a window that is about to appear; the rest come after it has.
    setWindowIcon(lanseek::platform::applicationIcon(kFirstIconSize));
    resize(kDesignWidth, kDesignHeight);
    buildWindow(options.skins);
    wireShell();
    buildControllers(options);
    startUp(options);
    nameControlsForAccessibility(this);
    if (!options.cardViewAfterFirstPaint)
        ensureCardView();
    buildFrame();
}

TForm1::~TForm1() = default;

void TForm1::finishStartUp()
{
    ensureCardView();
    // The icon's large pictures, left out of the first paint.
    using lanseek::platform::kLargestIconSize;
    if (windowIcon().actualSize(QSize(kLargestIconSize, kLargestIconSize)).width() < kLargestIconSize)
        setWindowIcon(lanseek::platform::applicationIcon());
    m_card->fillFontBox();
    // The media-type icons are drawn now rather than in the middle of the first search's results.
    ImageList1.Count();
}

void TForm1::buildWindow(lanseek::skin::EmbeddedSkinPreload* skins)
{
    // The skins are part of the window's stored data. Decoded on a helper thread, they are taken once the
    // controls exist, so that the decoding and the building overlap; either way every control gets its
    // engine with the skin in it.
    SeSkinEngine1 = new TSeSkinEngine(this);
    SeSkinEngine1->setObjectName(QStringLiteral("SeSkinEngine1"));
    SeSkinEngine2 = new TSeSkinEngine(this);
    SeSkinEngine2->setObjectName(QStringLiteral("SeSkinEngine2"));

    buildTopBar();
    buildLeftColumn();
    buildFirstView();
    buildDownloadPanel();

    SeSkinStatusBar1 = new TSeSkinStatusBar({150, 100, 80, 50}, this);
    SeSkinStatusBar1->setObjectName(QStringLiteral("SeSkinStatusBar1"));
    SeSkinStatusBar1->setGeometry(0, kDesignHeight - 22, kDesignWidth, 22);

    buildHiddenParts();
    buildMenus();

    int index = 1;
    for (TSeSkinEngine* engine : {SeSkinEngine1, SeSkinEngine2}) {
        if (std::unique_ptr<TSeSkinSource> decoded = skins ? skins->take(index) : nullptr)
            engine->adoptSource(*decoded);
        else
            engine->setSkinStream(lanseek::skin::embeddedSkinStream(index));
        engine->loaded();
        ++index;
    }
    assignSkins(*this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
}

void TForm1::buildTopBar()
{
    Panel1 = new TSeSkinPanel(QString(), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, kDesignWidth, 73);

    SeSkinComboBox2 = new TSeSkinComboBox(Panel1);
    SeSkinComboBox2->setObjectName(QStringLiteral("SeSkinComboBox2"));
    SeSkinComboBox2->addItem(QStringLiteral("默认mp3搜索引擎"));
    SeSkinComboBox2->setEditable(false);
    SeSkinComboBox2->setGeometry(8, 8, 140, 24);

    SeSkinComboBox1 = new TSeSkinComboBox(Panel1);
    SeSkinComboBox1->setObjectName(QStringLiteral("SeSkinComboBox1"));
    SeSkinComboBox1->addItems({QStringLiteral("MP3"), QStringLiteral("RM"), QStringLiteral("WMA"),
                               QStringLiteral("ASF"), QStringLiteral("RAM")});
    SeSkinComboBox1->setCurrentIndex(0);
    SeSkinComboBox1->setGeometry(154, 8, 70, 24);

    Edit1 = new TSeSkinEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setToolTip(QStringLiteral("请输入歌手名或歌曲名,然后点击搜索键"));
    Edit1->setGeometry(230, 8, 268, 24);

    Button1 = button(QStringLiteral("Button1"), QStringLiteral("搜索"), Panel1, {504, 7, 75, 26});
    Button1->setDefault(true);
    SeSkinButton1 =
        button(QStringLiteral("SeSkinButton1"), QStringLiteral("保存目录"), Panel1, {610, 7, 78, 26});

    SeSkinToolBar1 = new TSeSkinToolBar(Panel1);
    SeSkinToolBar1->setObjectName(QStringLiteral("SeSkinToolBar1"));
    SeSkinToolBar1->setGeometry(8, 40, 200, 28);
    manlistbtn =
        speedButton(QStringLiteral("manlistbtn"), QStringLiteral("男"), QStringLiteral("男歌手列表"), Panel1);
    womanlistbtn = speedButton(QStringLiteral("womanlistbtn"), QStringLiteral("女"),
                               QStringLiteral("女歌手列表"), Panel1);
    SeSkinSpeedButton1 = speedButton(QStringLiteral("SeSkinSpeedButton1"), QStringLiteral("辑"),
                                     QStringLiteral("显示相关专辑"), Panel1);
    musiclist =
        speedButton(QStringLiteral("musiclist"), QStringLiteral("歌"), QStringLiteral("歌曲列表"), Panel1);
    singerlistbtn = speedButton(QStringLiteral("singerlistbtn"), QStringLiteral("全"), QString(), Panel1);
    SeSkinSpeedButton2 = speedButton(QStringLiteral("SeSkinSpeedButton2"), QStringLiteral("刷"),
                                     QStringLiteral("刷新搜索结果"), Panel1);
    stopbtn =
        speedButton(QStringLiteral("stopbtn"), QStringLiteral("停"), QStringLiteral("停止搜索"), Panel1);
    for (TSeSkinSpeedButton* b : {manlistbtn, womanlistbtn, SeSkinSpeedButton1, musiclist, singerlistbtn})
        SeSkinToolBar1->addControl(b);
    SeSkinToolBar1->addControl(SeSkinSpeedButton2, 8);
    SeSkinToolBar1->addControl(stopbtn);

    resultlabel = new TSeSkinLabel(QStringLiteral("搜索结果为:"), Panel1);
    resultlabel->setObjectName(QStringLiteral("resultlabel"));
    resultlabel->setGeometry(220, 46, 250, 18);

    SeSkinProgressBar6 = new TSeSkinProgressBar(Panel1);
    SeSkinProgressBar6->setObjectName(QStringLiteral("SeSkinProgressBar6"));
    SeSkinProgressBar6->setGeometry(480, 48, 208, 14);
}

void TForm1::buildLeftColumn()
{
    Panel2 = new TSeSkinPanel(QStringLiteral("功能选项"), this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setShowCaption(true);
    Panel2->setGeometry(0, 73, 121, kDesignHeight - 73 - 22);
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("在线听歌"), Panel2, {23, 40, 75, 60});
    Button4 = button(QStringLiteral("Button4"), QStringLiteral("下载"), Panel2, {23, 120, 75, 60});
    Button5 = button(QStringLiteral("Button5"), QStringLiteral("音乐贺卡"), Panel2, {23, 200, 75, 60});
}

void TForm1::buildFirstView()
{
    ListView1 = new TSeSkinSListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(121, 73, 576, 320);
    ListView1->setColumns(songColumns(QStringLiteral("歌手名")), {56, 170, 250, 45, 45});
    ListView1->setImages(&ImageList1);
    ListView1->setMultiSelect(true);
    ListView1->setToolTip(QStringLiteral("按住Ctrl或Shift键可以选择多项"));

    SeSkinPanel1 = new TSeSkinPanel(QString(), this);
    SeSkinPanel1->setObjectName(QStringLiteral("SeSkinPanel1"));
    SeSkinPanel1->setGeometry(121, 384, 575, 201);
    // The panel's top edge lies under the result list's last pixels, so its contents start below them.
    ListView1->raise();

    SeSkinToolBar3 = new TSeSkinToolBar(SeSkinPanel1);
    SeSkinToolBar3->setObjectName(QStringLiteral("SeSkinToolBar3"));
    SeSkinToolBar3->setGeometry(0, 9, 575, 40);

    auto groupLabel = [this](const QString& name, const QString& caption, int left, int width) {
        auto* label = new TSeSkinLabel(caption, SeSkinToolBar3);
        label->setObjectName(name);
        label->setGeometry(left, 0, width, 15);
        return label;
    };
    sendGroupLabel =
        groupLabel(QStringLiteral("sendGroupLabel"), QStringLiteral("选择想保存到对应列表"), 4, 130);
    deleteGroupLabel =
        groupLabel(QStringLiteral("deleteGroupLabel"), QStringLiteral("当前播放列表删除操作"), 150, 130);
    storeGroupLabel =
        groupLabel(QStringLiteral("storeGroupLabel"), QStringLiteral("播放列表的播放及存储"), 296, 140);

    auto toolButton = [this](const QString& name, const QString& caption, const QString& hint, int left) {
        TSeSkinSpeedButton* b = speedButton(name, caption, hint, SeSkinToolBar3);
        b->setGeometry(left, 15, 30, 24);
        return b;
    };
    dragplaybtn = toolButton(QStringLiteral("dragplaybtn"), QStringLiteral("播"),
                             QStringLiteral("搜索栏所选项保存到播放列表，点击‘唱'进行播放"), 8);
    dragdownbtn = toolButton(QStringLiteral("dragdownbtn"), QStringLiteral("下"),
                             QStringLiteral("搜索栏所选项保存到下载列表，点击‘下载'进行下载"), 44);
    dragcardbtn = toolButton(QStringLiteral("dragcardbtn"), QStringLiteral("卡"),
                             QStringLiteral("搜索栏所选项保存到音乐贺卡列表，点击‘音乐贺卡'进行编辑"), 80);
    playdelbtn = toolButton(QStringLiteral("playdelbtn"), QStringLiteral("删"),
                            QStringLiteral("删除档前播放列表所选项"), 164);
    playclear = toolButton(QStringLiteral("playclear"), QStringLiteral("清"),
                           QStringLiteral("清空当前播放列表"), 200);
    playsavebtn = toolButton(QStringLiteral("playsavebtn"), QStringLiteral("存"),
                             QStringLiteral("保存当前播放列表"), 300);
    playloadbtn =
        toolButton(QStringLiteral("playloadbtn"), QStringLiteral("装"), QStringLiteral("装载播放列表"), 336);
    SeSkinButton4 = button(QStringLiteral("SeSkinButton4"), QStringLiteral("在线播放"), SeSkinToolBar3,
                           {380, 14, 80, 26}, QStringLiteral("播放当前列表"));

    playListView = new TSeSkinSListView(SeSkinPanel1);
    playListView->setObjectName(QStringLiteral("playListView"));
    playListView->setColumns(songColumns(QStringLiteral("歌手名")), {56, 170, 250, 45, 45});
    playListView->setImages(&ImageList1);
    playListView->setGeometry(0, 50, 575, 137);

    WebBrowser3 = new TWebBrowser(SeSkinPanel1);
    WebBrowser3->setObjectName(QStringLiteral("WebBrowser3"));
    // The player view lies below the play list once a shown page has shortened the list by 70 or 75.
    WebBrowser3->setGeometry(0, 119, 575, 80);

    SeSkinLabel4 = new TSeSkinLabel(QStringLiteral("正在装载播放器，清稍侯......."), SeSkinPanel1);
    SeSkinLabel4->setObjectName(QStringLiteral("SeSkinLabel4"));
    SeSkinLabel4->setGeometry(20, 140, 300, 18);
    SeSkinLabel4->hide();
}

void TForm1::buildDownloadPanel()
{
    Iesetpanel = new TSeSkinPanel(QStringLiteral("下载"), this);
    Iesetpanel->setObjectName(QStringLiteral("Iesetpanel"));
    Iesetpanel->setShowCaption(true);
    Iesetpanel->setGeometry(121, 73, 575, kDesignHeight - 73 - 22);

    downloadlistview = new TSeSkinSListView(Iesetpanel);
    downloadlistview->setObjectName(QStringLiteral("downloadlistview"));
    QStringList columns = songColumns(QStringLiteral("歌曲名"));
    columns << QStringLiteral("保存地址");
    downloadlistview->setColumns(columns, {44, 130, 170, 45, 40, 220});
    downloadlistview->setMultiSelect(true);
    downloadlistview->setGeometry(5, 26, 565, 170);

    downbtn = button(QStringLiteral("downbtn"), QStringLiteral("开始下载"), Iesetpanel, {5, 201, 100, 26});
    delbtn = button(QStringLiteral("delbtn"), QStringLiteral("删除所选项"), Iesetpanel, {110, 201, 100, 26});
    delallbtn =
        button(QStringLiteral("delallbtn"), QStringLiteral("清空列表"), Iesetpanel, {215, 201, 100, 26});
    SeSkinButton3 = button(QStringLiteral("SeSkinButton3"), QStringLiteral("修改保存地址"), Iesetpanel,
                           {320, 201, 110, 26});

    downinimemo = new TSeSkinMemo(Iesetpanel);
    downinimemo->setObjectName(QStringLiteral("downinimemo"));
    downinimemo->setReadOnly(true);
    downinimemo->setGeometry(5, 232, 565, 120);

    progressLabel = new TSeSkinLabel(QStringLiteral("下载进度"), Iesetpanel);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    progressLabel->setGeometry(5, 357, 100, 18);

    downloadnow = new TSeSkinSListView(Iesetpanel);
    downloadnow->setObjectName(QStringLiteral("downloadnow"));
    downloadnow->setColumns({QStringLiteral("歌曲名称"), QStringLiteral("进度"), QStringLiteral("时间"),
                             QStringLiteral("相应序列")},
                            {130, 80, 44, 60});
    downloadnow->setGeometry(5, 377, 330, 126);

    for (int k = 0; k < 5; ++k) {
        auto* bar = new TSeSkinProgressBar(Iesetpanel);
        bar->setObjectName(QStringLiteral("SeSkinProgressBar%1").arg(k + 1));
        bar->setGeometry(342, 384 + k * 24, 228, 16);
        progressBars[k] = bar;
    }
    SeSkinProgressBar1 = progressBars[0];
    SeSkinProgressBar2 = progressBars[1];
    SeSkinProgressBar3 = progressBars[2];
    SeSkinProgressBar4 = progressBars[3];
    SeSkinProgressBar5 = progressBars[4];
}

void TForm1::buildCardPanel()
{
    setpanel = new TSeSkinPanel(QStringLiteral("音乐贺卡"), this);
    setpanel->setObjectName(QStringLiteral("setpanel"));
    setpanel->setShowCaption(true);
    setpanel->setToolTip(QStringLiteral("在搜索列表中双击某项变可添加到贺卡列表中，贺卡列表只能有一项 "));
    setpanel->setGeometry(121, 73, 575, kDesignHeight - 73 - 22);

    cardlistview = new TSeSkinSListView(setpanel);
    cardlistview->setObjectName(QStringLiteral("cardlistview"));
    cardlistview->setColumns(songColumns(QStringLiteral("歌手名")), {44, 130, 190, 45, 40});
    cardlistview->setImages(&ImageList1);
    cardlistview->setGeometry(5, 26, 470, 62);
    cancelbtn = button(QStringLiteral("cancelbtn"), QStringLiteral("清空列表"), setpanel, {482, 26, 88, 26});

    previewLabel = new TSeSkinLabel(QStringLiteral("预览"), setpanel);
    previewLabel->setObjectName(QStringLiteral("previewLabel"));
    previewLabel->setGeometry(5, 92, 60, 16);

    WebBrowser4 = new TWebBrowser(setpanel);
    WebBrowser4->setObjectName(QStringLiteral("WebBrowser4"));
    WebBrowser4->setGeometry(5, 110, 565, 206);

    SeSkinPanel2 = new TSeSkinPanel(QStringLiteral("贺卡内容"), setpanel);
    SeSkinPanel2->setObjectName(QStringLiteral("SeSkinPanel2"));
    SeSkinPanel2->setShowCaption(true);
    SeSkinPanel2->setGeometry(5, 320, 565, 184);

    SeSkinToolBar2 = new TSeSkinToolBar(SeSkinPanel2);
    SeSkinToolBar2->setObjectName(QStringLiteral("SeSkinToolBar2"));
    SeSkinToolBar2->setGeometry(4, 24, 557, 28);
    struct Tag
    {
        TSeSkinSpeedButton** slot;
        const char* name;
        QString caption;
        QString hint;
    };
    const Tag tags[] = {
        {&htmlrunbtn, "htmlrunbtn", QStringLiteral("跑"), QStringLiteral("跑马灯效果")},
        {&h1btn, "h1btn", QStringLiteral("1"), QStringLiteral("一号字")},
        {&h2btn, "h2btn", QStringLiteral("2"), QStringLiteral("二号字")},
        {&h3btn, "h3btn", QStringLiteral("3"), QStringLiteral("三号字")},
        {&h4btn, "h4btn", QStringLiteral("4"), QStringLiteral("四号字")},
        {&bigbtn, "bigbtn", QStringLiteral("大"), QStringLiteral("增大")},
        {&strongbtn, "strongbtn", QStringLiteral("重"), QStringLiteral("加粗")},
        {&ibtn, "ibtn", QStringLiteral("斜"), QStringLiteral("斜体")},
        {&ubtn, "ubtn", QStringLiteral("底"), QStringLiteral("底纹")},
        {&centrebtn, "centrebtn", QStringLiteral("中"), QStringLiteral("居中")},
        {&picbtn, "picbtn", QStringLiteral("图"), QStringLiteral("背景图片")},
        {&backbtn, "backbtn", QStringLiteral("返"), QStringLiteral("回溯")},
    };
    for (const Tag& tag : tags) {
        *tag.slot = speedButton(QString::fromLatin1(tag.name), tag.caption, tag.hint, SeSkinToolBar2);
        SeSkinToolBar2->addControl(*tag.slot);
    }
    colorcombox = new TSeSkinComboBox(SeSkinToolBar2);
    colorcombox->setObjectName(QStringLiteral("colorcombox"));
    colorcombox->setToolTip(QStringLiteral("字体颜色"));
    // The twelve buttons and both boxes fill the bar's 557 pixels without running past its end.
    colorcombox->resize(110, 24);
    SeSkinToolBar2->addControl(colorcombox, 6);
    fontsizecombox = new TSeSkinComboBox(SeSkinToolBar2);
    fontsizecombox->setObjectName(QStringLiteral("fontsizecombox"));
    fontsizecombox->setToolTip(QStringLiteral("字体类型"));
    fontsizecombox->resize(110, 24);
    SeSkinToolBar2->addControl(fontsizecombox, 4);

    nameedit = new TSeSkinEdit(SeSkinPanel2);
    nameedit->setObjectName(QStringLiteral("nameedit"));
    nameedit->setText(QStringLiteral("标题"));
    nameedit->setGeometry(4, 56, 557, 24);

    iememo = new TSeSkinMemo(SeSkinPanel2);
    iememo->setObjectName(QStringLiteral("iememo"));
    iememo->setPlainText(QStringLiteral("内容"));
    iememo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    iememo->setGeometry(4, 84, 557, 64);

    previewbtn =
        button(QStringLiteral("previewbtn"), QStringLiteral("预览"), SeSkinPanel2, {380, 153, 85, 26});
    iesetbtn =
        button(QStringLiteral("iesetbtn"), QStringLiteral("保存位置"), SeSkinPanel2, {472, 153, 85, 26});
    cardsurebtn =
        hiddenPart(button(QStringLiteral("cardsurebtn"), QStringLiteral("生成贺卡"), SeSkinPanel2, {}));
}

void TForm1::ensureCardView()
{
    if (setpanel)
        return;
    buildCardPanel();
    // Hidden until its view is chosen: a control added to a window already on screen stays hidden
    // anyway, one added before the window appears would show with it.
    setpanel->hide();
    assignCardSkins(*this);
    m_card->attachView({this,        ListView1,  dragcardbtn, cardlistview, cancelbtn,
                        WebBrowser4, htmlrunbtn, h1btn,       h2btn,        h3btn,
                        h4btn,       bigbtn,     strongbtn,   ibtn,         ubtn,
                        centrebtn,   picbtn,     backbtn,     colorcombox,  fontsizecombox,
                        nameedit,    iememo,     previewbtn,  iesetbtn,     cardsurebtn});
    if (m_scaleNum != m_scaleDen)
        scaleControls(setpanel->findChildren<QWidget*>(), m_scaleNum, m_scaleDen);
    alignRegions();
    nameControlsForAccessibility(setpanel);
}

void TForm1::buildHiddenParts()
{
    WebBrowser1 = hiddenPart(new TWebBrowser(this));
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser2 = hiddenPart(new TWebBrowser(this));
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    Memo1 = hiddenPart(new TSeSkinMemo(this));
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Button7 = hiddenPart(button(QStringLiteral("Button7"), QStringLiteral("Button7"), this, {}));
    Button9 = hiddenPart(button(QStringLiteral("Button9"), QStringLiteral("Button9"), this, {}));
    Edit2 = hiddenPart(new TSeSkinEdit(this));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setText(QStringLiteral("5"));
    threedit = hiddenPart(new TSeSkinEdit(this));
    threedit->setObjectName(QStringLiteral("threedit"));
    threedit->setText(QStringLiteral("15"));
}

void TForm1::buildMenus()
{
    SeSkinPopupMenu1 = new TSeSkinPopupMenu(this);
    SeSkinPopupMenu1->setObjectName(QStringLiteral("SeSkinPopupMenu1"));
    SeSkinPopupMenu2 = new TSeSkinPopupMenu(this);
    SeSkinPopupMenu2->setObjectName(QStringLiteral("SeSkinPopupMenu2"));
    SeSkinPopupMenu1->setAccessibleName(QStringLiteral("系统菜单"));
    SeSkinPopupMenu2->setAccessibleName(QStringLiteral("托盘菜单"));
    struct MenuItem
    {
        TSeSkinPopupMenu* menu;
        const char* name;
        QString caption;
        Handler handler;
    };
    const MenuItem items[] = {
        {SeSkinPopupMenu1, "CustomItem1", QStringLiteral("还原(&R)"), &TForm1::CustomItem1Click},
        {SeSkinPopupMenu1, "CustomItem2", QStringLiteral("最小化(&N)"), &TForm1::CustomItem2Click},
        {SeSkinPopupMenu1, "CustomItem3", QStringLiteral("收缩(&U)"), &TForm1::CustomItem3Click},
        {SeSkinPopupMenu1, "CustomItem4", QStringLiteral("缩为图标(&T)"), &TForm1::CustomItem4Click},
        {SeSkinPopupMenu2, "CustomItem7", QStringLiteral("还原(&R)"), &TForm1::CustomItem7Click}};
    for (const MenuItem& item : items) {
        TSeSkinItem* entry = item.menu->addItem(item.caption);
        entry->setObjectName(QString::fromLatin1(item.name));
        lanseek::app::connectGuarded(entry, &QAction::triggered, this,
                                     static_cast<lanseek::app::ErrorPolicy&>(*this), item.handler);
    }
}

void TForm1::onClicks(std::initializer_list<Click> clicks)
{
    for (const Click& click : clicks)
        lanseek::app::connectGuarded(click.button, &QAbstractButton::clicked, this,
                                     static_cast<lanseek::app::ErrorPolicy&>(*this), click.handler);
}

void TForm1::buildControllers(const TForm1Options& options)
{
    using namespace lanseek::app;
    ErrorPolicy& errors = *this;
    ViewSwitch& views = *this;
    m_card =
        std::make_unique<CardController>(m_folders, views, *m_dialogs, errors, [this] { ensureCardView(); });
    m_search = std::make_unique<SearchController>(SearchView{this,
                                                             SeSkinComboBox2,
                                                             SeSkinComboBox1,
                                                             Edit1,
                                                             Button1,
                                                             Button7,
                                                             Button9,
                                                             manlistbtn,
                                                             womanlistbtn,
                                                             SeSkinSpeedButton1,
                                                             musiclist,
                                                             singerlistbtn,
                                                             SeSkinSpeedButton2,
                                                             stopbtn,
                                                             resultlabel,
                                                             SeSkinProgressBar6,
                                                             ListView1,
                                                             WebBrowser1,
                                                             WebBrowser2,
                                                             Memo1},
                                                  options.service, *m_dialogs, *m_card, errors);
    m_search->wire();
    m_downloads = std::make_unique<DownloadController>(
        DownloadView{this, ListView1, dragdownbtn, SeSkinButton1, downloadlistview, downbtn, delbtn,
                     delallbtn, SeSkinButton3, downinimemo, downloadnow, progressBars, SeSkinStatusBar1,
                     Edit2, Timer1, SeSkinEngine1},
        m_folders, *m_search, views, *m_dialogs, errors);
    m_downloads->wire();
    Form2 = m_downloads->chooser();
    m_playback = std::make_unique<PlaybackController>(
        PlaybackView{this, ListView1, dragplaybtn, playdelbtn, playclear, playsavebtn, playloadbtn,
                     SeSkinButton4, playListView, WebBrowser3, SeSkinLabel4},
        m_folders, *m_search, *m_card, *m_dialogs, errors);
    m_playback->wire();
    m_skins = std::make_unique<SkinController>(
        SkinView{this, SeSkinEngine1, SeSkinEngine2, {SeSkinPopupMenu1, SeSkinPopupMenu2}}, *m_dialogs,
        errors);
    m_skins->wire();
}

void TForm1::buildFrame()
{
    // A tool window with close, system-menu, minimize and tray buttons; its menus are the two above.
    SeSkinForm1 = std::make_unique<TSeSkinForm>(this);
    SeSkinForm1->setObjectName(QStringLiteral("SeSkinForm1"));
    SeSkinForm1->BorderIcons = {kbiClose, kbiSystemMenu, kbiMinimize, kbiTray};
    SeSkinForm1->Performance = ksfpNoBuffer;
    SeSkinForm1->StayOnTop = false;
    SeSkinForm1->SystemMenuLink = SeSkinPopupMenu1;
    SeSkinForm1->TrayMenuLink = SeSkinPopupMenu2;
    SeSkinForm1->setSkinEngine(SeSkinEngine1);
    SeSkinForm1->setBorderStyle(kbsToolWindow);
}

void TForm1::wireShell()
{
    onClicks({{Button3, &TForm1::Button3Click},
              {Button4, &TForm1::Button4Click},
              {Button5, &TForm1::Button5Click}});
}

// ---- Start-up ----------------------------------------------------------------------------------------

void TForm1::startUp(const TForm1Options& options)
{
    // 1. The counters start from zero in their controllers.
    // 2. Hints are on for the whole application by default in Qt.
    // 3. The player view stays out of sight, behind its siblings, until a page is shown.
    WebBrowser3->setVisible(false);
    WebBrowser3->lower();
    // 4. The exception handler is installed by the application object (see app/application.h).
    // 5. and 11. The media-type icons.
    ImageList1.Clear();
    // 6. Program and music folders (set when the window was made).
    QDir().mkdir(m_folders.musicFolder()); // one level; a failure is not reported
    // 7. The row-path mode and the quit confirmation start off in the download controller.
    // 8. and 9. The card picture folder and the card background.
    const QString pictures = m_folders.programFolder() + QStringLiteral("pic") + QDir::separator();
    m_card->setPictureFolder(pictures);
    m_card->setCardBackground(pictures + QStringLiteral("0103.jpg"));
    lanseek::card::ensureDefaultBackground(m_card->cardBackground());
    // 10. The stop flag starts off in the search controller.
    // 11.
    ImageList1.AddLater([] { return lanseek::platform::mediaTypeIcons(16); });
    ListView1->setImages(&ImageList1);
    playListView->setImages(&ImageList1);
    // 12. First view.
    Button3Click();
    // 13. Screen adaptation.
    QSize screen = options.screenSize;
    if (screen.isEmpty()) {
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            screen = primary->size();
    }
    if (!screen.isEmpty())
        adaptToScreen(screen);
    // 14. Multiple selection in the result list (set when the list was built).
    ListView1->setMultiSelect(true);
    // The window grows from the size laid out for the screen; its frame takes that as its minimum.
    setMinimumSize(size());
    m_laidOutSize = size();
    Edit1->setFocus();
}

void TForm1::adaptToScreen(QSize screen)
{
    if (screen.width() == 1024)
        return;
    // The window was laid out for a 4:3 screen and is scaled by the width's ratio. On a screen wider than
    // that (16:9, 16:10) the width's ratio would make it taller than the screen, its caption out of reach;
    // there the height's ratio scales it.
    const bool wide = qint64(screen.width()) * 768 > qint64(screen.height()) * 1024;
    const int num = wide ? screen.height() : screen.width();
    const int den = wide ? 768 : 1024;
    int h = screen.height() * height() / 768;
    int w = num * width() / den;
    resize(w, h);
    // Scale every child control by that ratio: positions, sizes and fonts.
    m_scaleNum = num;
    m_scaleDen = den;
    scaleControls(findChildren<QWidget*>(), num, den);
    QFont f = font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * num / den);
    setFont(f);
    w = Panel2->width() + ListView1->width() + 10;
    h = ListView1->height() + SeSkinPanel1->height() + playListView->height();
    resize(w, h);
    alignRegions();
}

void TForm1::scaleControls(const QList<QWidget*>& controls, int num, int den)
{
    for (QWidget* child : controls) {
        // Only the program's own controls; the inner parts of Qt's widgets follow their owners.
        if (child->objectName().isEmpty() || child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        // The windows the main window owns (the save-folder chooser, inside its own skinned frame) grow
        // with the controls inside them, or those would lie outside their edges; the frame follows its
        // window by itself. Menus size themselves to their items.
        const bool framed =
            !child->isWindow() && child->parentWidget()->isWindow() && child->parentWidget() != window();
        if (child->isWindow() || framed) {
            if (framed || (child->windowFlags() & Qt::WindowType_Mask) == Qt::Window)
                scaleWindowSize(child, num, den);
            continue;
        }
        const QRect g = child->geometry();
        child->setGeometry(g.x() * num / den, g.y() * num / den, g.width() * num / den,
                           g.height() * num / den);
        if (auto* list = qobject_cast<TSeSkinSListView*>(child))
            list->scaleColumns(num, den);
    }
}

void TForm1::alignRegions()
{
    // Aligned regions keep to their edge whatever the window's size: the top bar across the top, the
    // status bar across the bottom, the left column between them, and the download and card panels fill
    // what is left right of the column. Their other extent (height or width) stays as laid out.
    if (!Panel1 || !Panel2 || !SeSkinStatusBar1)
        return;
    const int top = Panel1->height();
    const int bottom = std::max(top, height() - SeSkinStatusBar1->height());
    Panel1->setGeometry(0, 0, width(), top);
    SeSkinStatusBar1->setGeometry(0, bottom, width(), SeSkinStatusBar1->height());
    Panel2->setGeometry(0, top, Panel2->width(), bottom - top);
    for (QWidget* panel : {static_cast<QWidget*>(Iesetpanel), static_cast<QWidget*>(setpanel)}) {
        if (panel) // the card view may not be built yet
            panel->setGeometry(Panel2->width(), top, std::max(0, width() - Panel2->width()), bottom - top);
    }
    growRegions();
}

void TForm1::growRegions()
{
    // Past the size laid out at start-up the lists and the download log take the room; tool bars,
    // buttons and labels keep their size and move with what lies above them. The change is applied as a
    // difference, so heights the views set themselves (the play list under a player) stay theirs.
    if (!m_laidOutSize.isValid())
        return;
    const QSize total = (size() - m_laidOutSize).expandedTo(QSize(0, 0));
    const int dw = total.width() - m_grown.width();
    const int dh = total.height() - m_grown.height();
    const int listShare = total.height() / 2 - m_grown.height() / 2; // the download list's half
    m_grown = total;
    auto grow = [](QWidget* w, int dx, int dy, int dWidth, int dHeight) {
        w->setGeometry(w->x() + dx, w->y() + dy, w->width() + dWidth, w->height() + dHeight);
    };
    grow(ListView1, 0, 0, dw, dh);
    grow(SeSkinPanel1, 0, dh, dw, 0);
    grow(playListView, 0, 0, dw, 0);
    grow(WebBrowser3, 0, 0, dw, 0);
    grow(downloadlistview, 0, 0, dw, listShare);
    for (QWidget* w : {downbtn, delbtn, delallbtn, SeSkinButton3})
        grow(w, 0, listShare, 0, 0);
    grow(downinimemo, 0, listShare, dw, dh - listShare);
    grow(progressLabel, 0, dh, 0, 0);
    grow(downloadnow, 0, dh, dw, 0);
    for (QWidget* bar : progressBars)
        grow(bar, dw, dh, 0, 0);
    // The card view, built when first needed, catches up with what the window grew before it existed:
    // the preview takes the room, the editor below it widens, its buttons keep to the right.
    if (cardlistview) {
        const int cw = total.width() - m_cardGrown.width();
        const int ch = total.height() - m_cardGrown.height();
        m_cardGrown = total;
        grow(cardlistview, 0, 0, cw, 0);
        grow(cancelbtn, cw, 0, 0, 0);
        grow(WebBrowser4, 0, 0, cw, ch);
        grow(SeSkinPanel2, 0, ch, cw, 0);
        for (QWidget* w : {static_cast<QWidget*>(nameedit), static_cast<QWidget*>(iememo)})
            grow(w, 0, 0, cw, 0);
        for (QWidget* w : {previewbtn, iesetbtn})
            grow(w, cw, 0, 0, 0);
    }
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    alignRegions();
}

// Every control names itself to screen readers: by its caption, else its hint, else its component name.
void TForm1::nameControlsForAccessibility(QWidget* root)
{
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (w->objectName().isEmpty() || !w->accessibleName().isEmpty())
            continue; // not ours, or already named
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            caption = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            caption = l->text();
        else if (auto* p = dynamic_cast<TSeSkinPanel*>(w))
            caption = p->Caption();
        if (!caption.isEmpty())
            continue; // Qt already reads the caption; it follows later caption changes by itself.
        w->setAccessibleName(w->toolTip().isEmpty() ? w->objectName() : w->toolTip());
    }
    QList<TSeSkinPanel*> panels = root->findChildren<TSeSkinPanel*>();
    if (auto* self = dynamic_cast<TSeSkinPanel*>(root))
        panels.append(self);
    for (TSeSkinPanel* panel : panels)
        if (!panel->Caption().isEmpty())
            panel->setAccessibleName(panel->Caption());
}

// ---- Views -------------------------------------------------------------------------------------------

void TForm1::showView(bool results, bool download, bool card)
{
    if (card)
        ensureCardView();
    ListView1->setVisible(results);
    SeSkinPanel1->setVisible(results);
    Iesetpanel->setVisible(download);
    if (setpanel)
        setpanel->setVisible(card);
}

void TForm1::Button3Click()
{
    showView(true, false, false);
}

void TForm1::Button4Click()
{
    showView(false, true, false);
}

void TForm1::Button5Click()
{
    showView(false, false, true);
}

// ---- Close -------------------------------------------------------------------------------------------

bool TForm1::FormCloseQuery()
{
    return m_downloads->closeQuery();
}

void TForm1::FormClose()
{
    m_downloads->closeDown();
    m_closing = true;
    m_dialogs->exitProcess(0);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    bool allowed = false;
    guarded([&] { allowed = FormCloseQuery(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    event->accept();
    guarded([this] { FormClose(); });
}

// ---- Frame menus -------------------------------------------------------------------------------------

void TForm1::CustomItem1Click()
{
    SeSkinForm1->restore();
}

void TForm1::CustomItem2Click()
{
    SeSkinForm1->minimize();
}

void TForm1::CustomItem3Click()
{
    SeSkinForm1->rollUp();
}

void TForm1::CustomItem4Click()
{
    SeSkinForm1->minimizeToTray();
}

void TForm1::CustomItem7Click()
{
    SeSkinForm1->restore();
}

// ---- The window on the desktop -----------------------------------------------------------------------

void TForm1::bringToFront()
{
    // From the tray, minimized or rolled up, the window comes back as the frame's restore brings it.
    const TSeWindowState state = SeSkinForm1->WindowState();
    if (state == kwsTray || state == kwsMinimized || state == kwsRollup)
        SeSkinForm1->restore();
    QWidget* shown = window();
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void TForm1::closeAsUser()
{
    SeSkinForm1->close();
}

// ---- Exception policy --------------------------------------------------------------------------------

void TForm1::myexception(const std::exception& error)
{
    using lanseek::platform::FailureKind;
    const QString message = QString::fromUtf8(error.what());
    const FailureKind kind = lanseek::download::kindOf(error);
    if (kind != FailureKind::Unknown)
        qCWarning(lanseek::app::appLog).noquote() << QStringLiteral("a handler failed: %1").arg(message);
    switch (kind) {
    case FailureKind::Unknown:
        // Raised outside the program: its words are all there is to decide by.
        myexception(message);
        return;
    case FailureKind::TargetFile:
        // Its text carries a path; only the message and the row it concerns are logged.
        m_downloads->logFailure(message);
        return;
    case FailureKind::Network:
    case FailureKind::HttpStatus:
        m_downloads->logFailure(message);
        m_downloads->applyRecovery(kind);
        return;
    case FailureKind::Fatal:
        m_downloads->logFailure(message);
        m_dialogs->message(this, QStringLiteral("出现致命错误，应用程序将关闭！！！"));
        if (Form2)
            Form2->close();
        close();
        return;
    case FailureKind::PlaylistFile:
    case FailureKind::CardFile:
        // These happen in the play list and card views, where the download log is out of sight: the user
        // is told as well. The downloads are not touched.
        m_downloads->logLine(message);
        m_dialogs->message(this, message);
        return;
    }
}

void TForm1::myexception(const QString& message)
{
    qCWarning(lanseek::app::appLog).noquote() << QStringLiteral("a handler failed: %1").arg(message);
    m_downloads->logFailure(message);
    if (message.toLower().contains(QStringLiteral("access"))) {
        m_dialogs->message(this, QStringLiteral("出现致命错误，应用程序将关闭！！！"));
        if (Form2)
            Form2->close();
        if (close())
            return;
    }
    m_downloads->applyRecovery(message);
}
