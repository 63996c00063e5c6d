#include "app/card/card_controller.h"
#include "app/download/download_controller.h"
#include "app/search/search_controller.h"
#include "support/form_fixture.h"

#include "app/download/selectdir.h"
#include "platform/web/web_browser.h"
#include "skin/controls/se_list_box.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"
#include "skin/skin_preload.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QSystemTrayIcon>
#include <QTreeView>

using lanseek::test::FormTest;

namespace {

bool shown(QWidget* w, QWidget* window)
{
    return w->isVisibleTo(window);
}

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

using StartUp = FormTest;

TEST_F(StartUp, SharedStateHasItsStartValues)
{
    EXPECT_EQ(form->downloads().state().resumeRow, 0);
    EXPECT_EQ(form->search().rowCounter(), 0);
    EXPECT_EQ(form->downloads().state().activeWorkers, 0);
    EXPECT_EQ(form->search().pageNumber(), 2);
    EXPECT_FALSE(form->search().stopFlag());
    EXPECT_FALSE(form->downloads().state().quitConfirmed);
    EXPECT_FALSE(form->downloads().state().rowPathMode);
    EXPECT_TRUE(form->search().localIp().isEmpty());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("5"));
    EXPECT_EQ(form->threedit->text(), QStringLiteral("15"));
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral("搜索结果为:"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("聆澜"));
}

TEST_F(StartUp, BothEmbeddedSkinsAreLoaded)
{
    ASSERT_NE(form->SeSkinEngine1, nullptr);
    ASSERT_NE(form->SeSkinEngine2, nullptr);
    EXPECT_TRUE(form->SeSkinEngine1->isSkinAvailable());
    EXPECT_TRUE(form->SeSkinEngine2->isSkinAvailable());
    EXPECT_NE(form->SeSkinEngine1->findObject(QByteArrayLiteral("Form")), nullptr);
    EXPECT_NE(form->SeSkinEngine2->findObject(QByteArrayLiteral("ProgressBar")), nullptr);
    // The window relies on these two being absent.
    EXPECT_EQ(form->SeSkinEngine1->findObject(QByteArrayLiteral("ToolWindow")), nullptr);
    EXPECT_EQ(form->SeSkinEngine2->findObject(QByteArrayLiteral("Label")), nullptr);
}

TEST_F(StartUp, FoldersEndWithASeparatorAndMusicFolderExists)
{
    const QString sep = QDir::separator();
    EXPECT_TRUE(form->folders().programFolder().endsWith(sep));
    EXPECT_EQ(QDir(form->folders().programFolder()).canonicalPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(form->folders().musicFolder(), form->folders().programFolder() + "music" + sep);
    EXPECT_TRUE(QFileInfo(form->folders().musicFolder()).isDir());
    EXPECT_EQ(form->card().cardBackground(), form->folders().programFolder() + "pic" + sep + "0103.jpg");
    EXPECT_EQ(form->card().pictureFolder(), form->folders().programFolder() + "pic" + sep);
}

TEST_F(StartUp, FiveDistinctMediaIcons)
{
    ASSERT_EQ(form->ImageList1.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form->ImageList1.image(i).size(), QSize(16, 16));
        for (int j = 0; j < i; ++j)
            EXPECT_NE(form->ImageList1.image(i).toImage(), form->ImageList1.image(j).toImage())
                << i << " " << j;
    }
    EXPECT_TRUE(form->ImageList1.image(5).isNull());
}

TEST_F(StartUp, WhatTheFirstPaintDoesNotNeedComesAfterIt)
{
    // Before: the font box names what it chooses but holds no family yet, and the chooser has read no
    // folder.
    EXPECT_EQ(form->fontsizecombox->count(), 0);
    EXPECT_EQ(form->fontsizecombox->placeholderText(), QStringLiteral("字体类型"));
    auto* chooser = qobject_cast<TForm2*>(form->Form2);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->ShellTreeView1->model(), nullptr);

    form->finishStartUp();
    const QStringList families = QFontDatabase::families();
    ASSERT_EQ(form->fontsizecombox->count(), families.size());
    for (int i = 0; i < form->fontsizecombox->count(); ++i) {
        const QString family = form->fontsizecombox->itemText(i);
        EXPECT_TRUE(families.contains(family)) << family.toStdString();
        EXPECT_EQ(form->fontsizecombox->itemData(i, Qt::FontRole).value<QFont>().family(), family);
        if (i > 0) {
            EXPECT_LE(form->fontsizecombox->itemText(i - 1).compare(family, Qt::CaseInsensitive), 0);
        }
    }
    // Each family is drawn in its own font, so the box's items are measured one by one.
    EXPECT_FALSE(form->fontsizecombox->listBox()->uniformItemSizes());
    EXPECT_TRUE(form->colorcombox->listBox()->uniformItemSizes());
    EXPECT_EQ(form->fontsizecombox->currentIndex(), -1); // still no family chosen
    form->finishStartUp();
    EXPECT_EQ(form->fontsizecombox->count(), families.size());

    // Showing the chooser reads its places.
    form->SeSkinButton1Click();
    ASSERT_NE(chooser->ShellTreeView1->model(), nullptr);
    QAbstractItemModel* folders = chooser->ShellTreeView1->model();
    EXPECT_EQ(static_cast<void*>(folders), static_cast<void*>(chooser->folderModel()));
    EXPECT_GE(folders->rowCount(), 2);
}

TEST_F(StartUp, ToolBarsHoldTheirControlsOnEveryScreen)
{
    for (QSize screen : {QSize(1024, 768), QSize(1280, 1024), QSize(800, 600)}) {
        makeForm(screen);
        for (TSeSkinToolBar* bar : {form->SeSkinToolBar1, form->SeSkinToolBar2, form->SeSkinToolBar3}) {
            for (QWidget* control : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (control->isWindow() || control->isHidden())
                    continue;
                EXPECT_TRUE(bar->rect().contains(control->geometry()))
                    << bar->objectName().toStdString() << " " << control->objectName().toStdString() << " at "
                    << screen.width();
            }
        }
    }
}

// A wide screen scales the window by its height, so that the whole window, caption included, fits on it;
// a 4:3 or 5:4 screen scales it by its width as before.
TEST_F(StartUp, TheWholeWindowFitsOnWideScreensToo)
{
    for (QSize screen : {QSize(1920, 1080), QSize(1280, 800), QSize(1366, 768), QSize(1280, 1024)}) {
        makeForm(screen);
        const QSize framed = form->window()->size();
        EXPECT_LE(framed.height(), screen.height()) << screen.width() << "x" << screen.height();
        EXPECT_LE(framed.width(), screen.width()) << screen.width() << "x" << screen.height();
    }
    makeForm(QSize(1280, 1024));
    EXPECT_EQ(form->ListView1->width(), 576 * 1280 / 1024);
    makeForm(QSize(1920, 1080));
    EXPECT_EQ(form->ListView1->width(), 576 * 1080 / 768);
}

namespace {

// Options for a window of its own, outside the fixture: the given dialogs, program folder and screen,
// and a search service that is never reached.
TForm1Options windowOptions(lanseek::platform::Dialogs* dialogs, const QTemporaryDir& folder, QSize screen)
{
    TForm1Options options;
    options.dialogs = dialogs;
    options.programFolder = folder.path();
    options.screenSize = screen;
    options.service.base = QStringLiteral("http://127.0.0.1:9");
    return options;
}

// What a user and a screen reader get of the card view: each named control's place in the window,
// size, visibility, font, accessible name and the engine that dresses it, and the order Tab takes
// through the view.
QStringList cardViewDescription(TForm1& form)
{
    QStringList out;
    QList<QWidget*> controls = form.setpanel->findChildren<QWidget*>();
    controls.prepend(form.setpanel);
    for (QWidget* w : controls) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const auto* skinned = dynamic_cast<TSeSkinControl*>(w);
        const QRect at(w->mapTo(&form, QPoint(0, 0)), w->size());
        out << QStringLiteral("%1 %2,%3 %4x%5 %6 %7 %8 %9")
                   .arg(w->objectName())
                   .arg(at.x())
                   .arg(at.y())
                   .arg(at.width())
                   .arg(at.height())
                   .arg(w->isVisibleTo(&form))
                   .arg(w->font().toString(), accessibleName(w),
                        skinned && skinned->SkinEngine() ? skinned->SkinEngine()->objectName()
                                                         : QStringLiteral("-"));
    }
    out.sort();
    QStringList tabs;
    for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain()) {
        if (w->isVisibleTo(&form) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            tabs << w->objectName();
    }
    out << tabs.join(QLatin1Char(' '));
    return out;
}

} // namespace

TEST(StartUpCardLater, TheCardViewBuiltAfterTheFirstPaintIsTheOneBuiltBeforeIt)
{
    lanseek::test::ScriptedDialogs dialogs;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (QSize screen : {QSize(1024, 768), QSize(1280, 1024), QSize(800, 600)}) {
        TForm1Options options = windowOptions(&dialogs, folder, screen);
        TForm1 before(options);
        options.cardViewAfterFirstPaint = true;
        TForm1 later(options);
        EXPECT_EQ(later.setpanel, nullptr);
        EXPECT_EQ(later.cardlistview, nullptr);
        // The window appears without it, then start-up finishes.
        later.show();
        QApplication::processEvents();
        later.finishStartUp();
        ASSERT_NE(later.setpanel, nullptr);
        EXPECT_FALSE(later.setpanel->isVisibleTo(&later));
        before.show();
        for (TForm1* form : {&before, &later}) {
            form->Button5Click();
            QApplication::processEvents();
        }
        EXPECT_EQ(cardViewDescription(later), cardViewDescription(before)) << screen.width();
        // Both scaled to the screen like every other control (designed for 1024 pixels across).
        const int across = screen.width();
        EXPECT_EQ(later.cardlistview->geometry(),
                  QRect(5 * across / 1024, 26 * across / 1024, 470 * across / 1024, 62 * across / 1024));
        EXPECT_EQ(later.colorcombox->accessibleName(), QStringLiteral("字体颜色"));
        EXPECT_EQ(later.fontsizecombox->count(), QFontDatabase::families().size());
        EXPECT_EQ(later.colorcombox->count(), before.colorcombox->count());
        // Wired like the rest: a click of a tag button marks up the chosen text in both alike.
        for (TForm1* form : {&before, &later}) {
            // The mark-up goes to the editor with the focus, which only the active window has.
            QApplication::setActiveWindow(form->window());
            form->iememo->setPlainText(QStringLiteral("你好"));
            form->iememo->selectAll();
            form->iememo->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), form->iememo);
            form->h1btn->click();
        }
        EXPECT_NE(later.iememo->toPlainText(), QStringLiteral("你好"));
        EXPECT_EQ(later.iememo->toPlainText(), before.iememo->toPlainText());
    }
}

TEST(StartUpCardLater, WhatNeedsTheCardViewBeforeStartUpFinishesBuildsIt)
{
    lanseek::test::ScriptedDialogs dialogs;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    TForm1Options options = windowOptions(&dialogs, folder, QSize(1024, 768));
    options.cardViewAfterFirstPaint = true;
    {
        // A result double-clicked goes to the card list.
        TForm1 form(options);
        form.ListView1->appendRow({QStringLiteral("1"),
                                   0,
                                   {QStringLiteral("海边"), QStringLiteral("http://h/a.mp3"),
                                    QStringLiteral("3.5M"), QStringLiteral("mp3")}});
        form.ListView1->setRowSelected(0, true);
        form.ListView1DblClick();
        ASSERT_NE(form.cardlistview, nullptr);
        EXPECT_EQ(form.cardlistview->Count(), 1);
        EXPECT_FALSE(form.setpanel->isVisibleTo(&form));
        // Finishing start-up afterwards keeps the view it has.
        TSeSkinPanel* panel = form.setpanel;
        form.finishStartUp();
        EXPECT_EQ(form.setpanel, panel);
        EXPECT_EQ(form.cardlistview->Count(), 1);
    }
    {
        // Choosing the card view shows it.
        TForm1 form(options);
        form.show();
        form.Button5Click();
        ASSERT_NE(form.setpanel, nullptr);
        EXPECT_TRUE(form.setpanel->isVisibleTo(&form));
        EXPECT_FALSE(form.ListView1->isVisibleTo(&form));
    }
}

TEST(StartUpWithPreload, TheWindowWearsTheSkinsDecodedAhead)
{
    lanseek::test::ScriptedDialogs dialogs;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    lanseek::skin::EmbeddedSkinPreload preload;
    TForm1Options options = windowOptions(&dialogs, folder, QSize(1024, 768));
    options.skins = &preload;
    TForm1 form(options);
    for (int index : {1, 2}) {
        TSeSkinEngine direct;
        direct.setSkinStream(lanseek::skin::embeddedSkinStream(index));
        TSeSkinEngine* worn = index == 1 ? form.SeSkinEngine1 : form.SeSkinEngine2;
        ASSERT_TRUE(worn->isSkinAvailable());
        EXPECT_EQ(worn->skinStream(), direct.skinStream()) << index;
        EXPECT_EQ(preload.take(index), nullptr); // the window took it
    }
    EXPECT_TRUE(form.Button1->isSkinned());
    EXPECT_EQ(form.Button1->SkinEngine(), form.SeSkinEngine1);
}

TEST_F(StartUp, FirstViewShowsResultsAndPlayPanel)
{
    QWidget* w = form.get();
    EXPECT_TRUE(shown(form->ListView1, w));
    EXPECT_TRUE(shown(form->SeSkinPanel1, w));
    EXPECT_FALSE(shown(form->Iesetpanel, w));
    EXPECT_FALSE(shown(form->setpanel, w));
    EXPECT_FALSE(shown(form->WebBrowser3, w));
    EXPECT_FALSE(shown(form->WebBrowser1, w));
    EXPECT_FALSE(shown(form->WebBrowser2, w));
    EXPECT_FALSE(shown(form->Memo1, w));
    EXPECT_EQ(form->ListView1->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(StartUp, ViewButtonsSwitchTheRightHandArea)
{
    QWidget* w = form.get();
    struct Case
    {
        QPushButton* button;
        bool results, download, card;
    };
    const Case cases[] = {{form->Button4, false, true, false},
                          {form->Button5, false, false, true},
                          {form->Button3, true, false, false},
                          {form->Button5, false, false, true},
                          {form->Button4, false, true, false}};
    for (const Case& c : cases) {
        c.button->click();
        EXPECT_EQ(shown(form->ListView1, w), c.results) << c.button->text().toStdString();
        EXPECT_EQ(shown(form->SeSkinPanel1, w), c.results);
        EXPECT_EQ(shown(form->Iesetpanel, w), c.download);
        EXPECT_EQ(shown(form->setpanel, w), c.card);
    }
}

TEST_F(StartUp, DesignLayoutOnA1024Screen)
{
    EXPECT_EQ(form->size(), QSize(696, 604));
    EXPECT_EQ(form->ListView1->geometry(), QRect(121, 73, 576, 320));
    EXPECT_EQ(form->SeSkinPanel1->geometry(), QRect(121, 384, 575, 201));
    EXPECT_EQ(form->Panel2->width(), 121);
    EXPECT_EQ(form->Button3->size(), QSize(75, 60));
    EXPECT_EQ(form->SeSkinStatusBar1->height(), 22);
    EXPECT_EQ(form->playListView->height(), 137);
    EXPECT_EQ(form->SeSkinStatusBar1->panelCount(), 4);
    EXPECT_EQ(form->SeSkinStatusBar1->panel(0)->width(), 150);
    EXPECT_EQ(form->SeSkinStatusBar1->panel(3)->width(), 50);
}

TEST_F(StartUp, OtherScreenWidthsRescaleThenFitTheColumns)
{
    makeForm(QSize(1280, 1024));
    // Children scale by 1280 : 1024.
    EXPECT_EQ(form->ListView1->geometry(), QRect(151, 91, 720, 400));
    EXPECT_EQ(form->Button3->size(), QSize(93, 75));
    // Then the window is as wide as the left column and the list plus 10, as high as list, play panel and
    // play list.
    EXPECT_EQ(form->width(), form->Panel2->width() + form->ListView1->width() + 10);
    EXPECT_EQ(form->height(),
              form->ListView1->height() + form->SeSkinPanel1->height() + form->playListView->height());
    EXPECT_EQ(form->width(), 151 + 720 + 10);

    makeForm(QSize(800, 600));
    EXPECT_EQ(form->ListView1->geometry(),
              QRect(121 * 800 / 1024, 73 * 800 / 1024, 576 * 800 / 1024, 320 * 800 / 1024));
    EXPECT_EQ(form->width(), form->Panel2->width() + form->ListView1->width() + 10);
}

// The regions aligned to an edge of the window: top bar, left column, status bar, and the panels that fill
// the rest right of the column.
static void expectAlignedRegions(const TForm1& form)
{
    const int w = form.width();
    const int h = form.height();
    const int bar = form.SeSkinStatusBar1->height();
    EXPECT_EQ(form.SeSkinStatusBar1->geometry(), QRect(0, h - bar, w, bar));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, w, form.Panel1->height()));
    EXPECT_EQ(form.Panel2->geometry(),
              QRect(0, form.Panel1->height(), form.Panel2->width(), h - bar - form.Panel1->height()));
    const QRect rest(form.Panel2->width(), form.Panel1->height(), w - form.Panel2->width(),
                     h - bar - form.Panel1->height());
    EXPECT_EQ(form.Iesetpanel->geometry(), rest);
    EXPECT_EQ(form.setpanel->geometry(), rest);
}

TEST_F(StartUp, AlignedRegionsFollowTheWindowAtEveryScreenSize)
{
    expectAlignedRegions(*form);
    EXPECT_EQ(form->SeSkinStatusBar1->geometry(), QRect(0, 582, 696, 22));

    makeForm(QSize(1280, 1024));
    expectAlignedRegions(*form);
    // The status bar keeps its scaled height and sits on the window's bottom edge, no band below it.
    EXPECT_EQ(form->SeSkinStatusBar1->height(), 22 * 1280 / 1024);
    EXPECT_EQ(form->SeSkinStatusBar1->geometry().bottom(), form->height() - 1);

    makeForm(QSize(800, 600));
    expectAlignedRegions(*form);

    // Any later size, too.
    form->setFixedSize(900, 700);
    form->show();
    expectAlignedRegions(*form);
    form->setFixedSize(640, 480);
    expectAlignedRegions(*form);
}

TEST_F(StartUp, WindowShowsTheProgramsOwnIcon)
{
    // Before the first paint the small pictures only; after it every size, in the frame and the tray
    // as well.
    QList<QSize> sizes = form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(kFirstIconSize, kFirstIconSize)));
    EXPECT_FALSE(sizes.contains(QSize(256, 256)));
    EXPECT_EQ(form->window()->windowIcon().availableSizes(), sizes);

    form->finishStartUp();
    sizes = form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
    EXPECT_EQ(form->SeSkinForm1->trayIcon()->icon().availableSizes(), sizes);
    EXPECT_EQ(form->window()->windowIcon().availableSizes(), sizes);
    // Once is enough: a second call keeps the icon it has.
    const qint64 key = form->windowIcon().cacheKey();
    form->finishStartUp();
    EXPECT_EQ(form->windowIcon().cacheKey(), key);
}

TEST_F(StartUp, ControlsAreNamedForScreenReaders)
{
    EXPECT_EQ(accessibleName(form->Button1), QStringLiteral("搜索"));
    EXPECT_EQ(accessibleName(form->Button4), QStringLiteral("下载"));
    EXPECT_EQ(accessibleName(form->Edit1), QStringLiteral("请输入歌手名或歌曲名,然后点击搜索键"));
    EXPECT_EQ(accessibleName(form->singerlistbtn), QStringLiteral("全"));
    // Combo boxes report their current entry as the name on this desktop; their own name is the hint.
    EXPECT_EQ(form->colorcombox->accessibleName(), QStringLiteral("字体颜色"));
    EXPECT_EQ(accessibleName(form->downinimemo), QStringLiteral("downinimemo"));
    EXPECT_EQ(accessibleName(form->Iesetpanel), QStringLiteral("下载"));
    // Captions that change later are read afresh.
    form->resultlabel->setText(QStringLiteral(" 搜索结果  12"));
    EXPECT_EQ(accessibleName(form->resultlabel), QStringLiteral(" 搜索结果  12"));
}

TEST_F(StartUp, ListViewsExposeRowsAndColumns)
{
    form->ListView1->appendRow({QStringLiteral("1"),
                                0,
                                {QStringLiteral("海边"), QStringLiteral("http://h/a.mp3"),
                                 QStringLiteral("3.5M"), QStringLiteral("mp3")}});
    form->ListView1->appendRow({QStringLiteral("2"),
                                1,
                                {QStringLiteral("夜车"), QStringLiteral("http://h/b.rm"),
                                 QStringLiteral("2.1M"), QStringLiteral("rm")}});
    form->show();
    form->ListView1->doItemsLayout();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(form->ListView1);
    ASSERT_NE(iface, nullptr);
    QAccessibleTableInterface* table = iface->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->columnCount(), 5);
    QAccessibleInterface* cell = table->cellAt(1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("夜车"));
}

TEST(ListRows, SubItemCountsAreKeptPerRow)
{
    TSeSkinSListView list;
    list.setColumns(
        {QString(), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")},
        {10, 10, 10, 10, 10});
    list.appendRow({QStringLiteral("1"), 2, {QStringLiteral("x"), QStringLiteral("y")}});
    list.appendRow({QStringLiteral("2"), -1, {}});
    list.appendRow({QStringLiteral("3"), 0, {"n", "u", "s", "t"}});
    EXPECT_EQ(list.subItemCount(0), 2);
    EXPECT_EQ(list.subItemCount(1), 0);
    EXPECT_EQ(list.subItemCount(2), 4);
    EXPECT_EQ(list.row(0).imageIndex, 2);
    EXPECT_EQ(list.row(1).imageIndex, -1);
    EXPECT_EQ(list.subItem(0, 3), QString());
    list.setRow(2, {QStringLiteral("3"), 0, {"only"}});
    EXPECT_EQ(list.subItemCount(2), 1);
    EXPECT_EQ(list.subItem(5, 0), QString()); // past the end reads nothing
}

TEST(ImageLists, PicturesAddedLaterAreDrawnOnFirstUseAndInOrder)
{
    auto square = [](QColor colour) {
        QPixmap p(4, 4);
        p.fill(colour);
        return p;
    };
    TImageList images;
    int made = 0;
    images.AddLater([&] {
        ++made;
        return QList<QPixmap>{square(Qt::red), square(Qt::green)};
    });
    // No picture is asked for: nothing is drawn.
    EXPECT_TRUE(images.image(-1).isNull());
    EXPECT_TRUE(images.icon(-1).isNull());
    EXPECT_EQ(made, 0);
    // A picture added now stays behind the ones promised before it.
    images.Add(square(Qt::blue));
    EXPECT_EQ(made, 1);
    ASSERT_EQ(images.Count(), 3);
    EXPECT_EQ(images.image(0).toImage().pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(images.image(1).toImage().pixel(0, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(images.image(2).toImage().pixel(0, 0), QColor(Qt::blue).rgb());
    EXPECT_TRUE(images.image(3).isNull());
    EXPECT_EQ(made, 1); // drawn once

    // Clearing drops promised pictures too.
    images.AddLater([&] {
        ++made;
        return QList<QPixmap>{square(Qt::black)};
    });
    images.Clear();
    EXPECT_EQ(images.Count(), 0);
    EXPECT_EQ(made, 1);
}

TEST(ProgressBars, PositionIsStoredEvenOutsideTheRange)
{
    TSeSkinProgressBar bar;
    bar.setMax(100);
    bar.setPosition(150);
    EXPECT_EQ(bar.Position(), 150);
    EXPECT_EQ(bar.value(), 100);
}
