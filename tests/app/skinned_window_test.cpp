// The main window and the save-folder chooser dressed by their two skin engines.

#include "app/download/selectdir.h"
#include "platform/web/web_browser.h"
#include "skin/forms/frame_geometry.h"
#include "skin/skin_engine.h"
#include "support/form_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTreeWidget>
#include <gtest/gtest.h>

using lanseek::skin::FrameZone;
using lanseek::skin::frameZoneAt;
using lanseek::test::FormTest;

namespace {

// A pixel of the transparent key, or the dark magenta fringe that anti-aliased text leaves over it.
bool looksLikeKey(QRgb p)
{
    const int r = qRed(p), g = qGreen(p), b = qBlue(p);
    return r > 0x50 && b > 0x50 && g < 0x30 && std::abs(r - b) < 0x30;
}

int keyPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += looksLikeKey(image.pixel(x, y)) ? 1 : 0;
    return count;
}

} // namespace

using SkinnedWindow = FormTest;

TEST_F(SkinnedWindow, EveryControlNamesTheEngineThatDressesIt)
{
    TSeSkinEngine* first = form->SeSkinEngine1;
    TSeSkinEngine* second = form->SeSkinEngine2;
    // The second engine dresses the panels, tool bars, progress bars, the download lists and buttons,
    // the card's colour and font boxes, its title edit and four labels; the first everything else.
    const QList<TSeSkinControl*> secondEngine = {
        form->Panel1,           form->Panel2,           form->SeSkinPanel1,      form->Iesetpanel,
        form->setpanel,         form->SeSkinPanel2,     form->SeSkinToolBar1,    form->SeSkinToolBar2,
        form->SeSkinToolBar3,   form->downloadlistview, form->downloadnow,       form->downbtn,
        form->delbtn,           form->delallbtn,        form->SeSkinButton3,     form->colorcombox,
        form->fontsizecombox,   form->nameedit,         form->previewLabel,      form->sendGroupLabel,
        form->deleteGroupLabel, form->storeGroupLabel,  form->SeSkinProgressBar6};
    for (TSeSkinControl* control : secondEngine)
        EXPECT_EQ(control->SkinEngine(), second)
            << dynamic_cast<QWidget*>(control)->objectName().toStdString();
    for (TSeSkinProgressBar* bar : form->progressBars)
        EXPECT_EQ(bar->SkinEngine(), second);

    int controls = 0;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        auto* control = dynamic_cast<TSeSkinControl*>(widget);
        if (!control || widget->objectName().isEmpty())
            continue;
        ++controls;
        ASSERT_NE(control->SkinEngine(), nullptr) << widget->objectName().toStdString();
        if (!secondEngine.contains(control) && !qobject_cast<TSeSkinProgressBar*>(widget)) {
            EXPECT_EQ(control->SkinEngine(), first) << widget->objectName().toStdString();
        }
        // Labels ask for "Label", which neither skin has; every other control is skinned.
        const bool label = qobject_cast<TSeSkinLabel*>(widget) != nullptr;
        EXPECT_EQ(control->isSkinned(), !label) << widget->objectName().toStdString();
    }
    EXPECT_GE(controls, 70);
    for (TSeSkinPopupMenu* menu : {form->SeSkinPopupMenu1, form->SeSkinPopupMenu2}) {
        EXPECT_EQ(menu->SkinEngine(), first);
        EXPECT_TRUE(menu->isSkinned());
    }

    auto* chooser = qobject_cast<TForm2*>(form->Form2);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->pathedit->SkinEngine(), first);
    EXPECT_EQ(chooser->pathbtn->SkinEngine(), first);
    EXPECT_TRUE(chooser->pathbtn->isSkinned());
}

TEST_F(SkinnedWindow, NoViewShowsTheTransparentKey)
{
    form->show();
    QApplication::processEvents();
    for (TSeSkinButton* view : {form->Button3, form->Button4, form->Button5}) {
        view->click();
        QApplication::processEvents();
        const QImage shot = form->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(keyPixels(shot), 0) << view->text().toStdString();
    }
    form->hide();
}

TEST_F(SkinnedWindow, SkinChangeAtRunTimeRedressesTheWindow)
{
    form->show();
    QApplication::processEvents();
    const QRgb before = form->Button3->grab().toImage().pixel(3, 30);
    form->SeSkinEngine1->setDeltaHue(100);
    QApplication::processEvents();
    EXPECT_TRUE(form->Button3->isSkinned());
    EXPECT_NE(form->Button3->grab().toImage().pixel(3, 30), before);
    // The second engine's controls are not touched by the first engine's change.
    EXPECT_TRUE(form->Iesetpanel->isSkinned());
    form->SeSkinEngine1->setDeltaHue(0);
    QApplication::processEvents();
    // Back at hue 0 the face is the original one again, up to the rounding of the two shifts.
    const QRgb after = form->Button3->grab().toImage().pixel(3, 30);
    EXPECT_LE(std::abs(qRed(after) - qRed(before)) + std::abs(qGreen(after) - qGreen(before)) +
                  std::abs(qBlue(after) - qBlue(before)),
              6);
    form->hide();
}

namespace {

// Texts of a list that do not fit their column: the header captions, and the cells of the given rows.
QStringList cutShort(TSeSkinSListView* list)
{
    QStringList cut;
    QHeaderView* header = list->header();
    const QFontMetrics headerFont(header->font());
    const int headerMargin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int cellMargin = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const QFontMetrics cellFont(list->font());
    QTreeWidgetItem* titles = list->headerItem();
    for (int c = 0; c < list->columnCount(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        const int room = header->sectionSize(c);
        if (headerFont.horizontalAdvance(titles->text(c)) + headerMargin > room)
            cut << list->objectName() + QStringLiteral(" header ") + titles->text(c);
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            QTreeWidgetItem* item = list->topLevelItem(r);
            const int icon = item->icon(c).isNull() ? 0 : list->iconSize().width() + 4;
            if (cellFont.horizontalAdvance(item->text(c)) + cellMargin + icon > room &&
                list->cutCellText(r, c) != item->text(c))
                cut << list->objectName() + QStringLiteral(" cell ") + item->text(c);
        }
    }
    return cut;
}

} // namespace

// At the screen sizes people use, no caption, column header or state text is cut short: the chooser is
// as wide as its caption, the state column holds every state, and a cell that must stay narrow carries
// its whole text as its tooltip.
TEST_F(SkinnedWindow, EveryTextFitsAtCommonScreenSizes)
{
    for (const QSize screen : {QSize(1024, 768), QSize(1280, 1024), QSize(1920, 1080)}) {
        makeForm(screen);
        form->show();
        form->Button4->click();
        for (const QString& state : {QStringLiteral("下载已经完成"), QStringLiteral("下载不完整"),
                                     QStringLiteral("正在下载"), QStringLiteral("下载结束")}) {
            form->downloadnow->appendRow({QStringLiteral("一首名字很长很长很长很长的歌曲.mp3"),
                                          0,
                                          {state, QStringLiteral("128"), QStringLiteral("1")}});
        }
        addDownloadRow(QStringLiteral("1"),
                       QStringLiteral("一位名字很长很长很长的歌手 - 一首名字很长很长的歌"));
        QApplication::processEvents();
        QStringList cut;
        for (TSeSkinSListView* list : form->findChildren<TSeSkinSListView*>())
            cut << cutShort(list);
        EXPECT_TRUE(cut.isEmpty()) << screen.width() << ": " << cut.join(QStringLiteral("; ")).toStdString();

        auto* chooser = qobject_cast<TForm2*>(form->Form2);
        chooser->showChooser();
        QApplication::processEvents();
        EXPECT_EQ(chooser->SeSkinForm1->captionShortfall(), 0) << screen.width();
        EXPECT_EQ(chooser->pathbtn->width(), chooser->width());
        chooser->hide();
        form->hide();
    }
}

namespace {

// Presses the left button at `at` of `widget`, drags by `by` and lets go.
void drag(QWidget* widget, const QPoint& at, const QPoint& by)
{
    const QPoint global = widget->mapToGlobal(at);
    auto send = [widget](QEvent::Type type, QPoint p, QPoint g, Qt::MouseButton button,
                         Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(p), QPointF(g), button, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, at + by, global + by, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at + by, global + by, Qt::LeftButton, Qt::NoButton);
}

} // namespace

TEST_F(SkinnedWindow, TheCornerAndTheStatusBarsGripSizeTheWindowDownToItsLaidOutSize)
{
    form->show();
    QApplication::processEvents();
    TSeSkinForm* frame = form->SeSkinForm1.get();
    QWidget* window = frame->frameWindow();
    // The test screen is narrower than the grown window; the maximum is lifted past it.
    frame->Constraints.MaxWidth = frame->Constraints.MaxHeight = 2000;
    const QSize start = window->size(), list = form->ListView1->size(), log = form->downinimemo->size();
    const QSize preview = form->WebBrowser4->size();
    const int cardText = form->iememo->width();
    const QRect toolBar = form->SeSkinToolBar3->geometry();
    QPoint corner; // searched inward from the window's corner
    for (int d = 1; d < 12 && corner.isNull(); ++d) {
        const QPoint p(window->width() - d, window->height() - d);
        if (frameZoneAt(frame->formTree(), p, frame->Dragging, false) == FrameZone::BottomRight)
            corner = p;
    }
    ASSERT_FALSE(corner.isNull());
    drag(window, corner, QPoint(120, 80));
    EXPECT_EQ(window->size(), start + QSize(120, 80));
    EXPECT_EQ(form->ListView1->size(), list + QSize(120, 80));
    EXPECT_EQ(form->SeSkinToolBar3->geometry(), toolBar);
    EXPECT_EQ(form->downinimemo->width(), log.width() + 120);
    // The card view's preview takes the room, its editor widens.
    EXPECT_EQ(form->WebBrowser4->size(), preview + QSize(120, 80));
    EXPECT_EQ(form->iememo->width(), cardText + 120);

    TSeSkinStatusBar* bar = form->SeSkinStatusBar1;
    ASSERT_FALSE(bar->gripRect().isEmpty());
    drag(bar, bar->gripRect().center(), QPoint(120, 80));
    EXPECT_EQ(window->size(), start + QSize(240, 160));
    EXPECT_EQ(form->ListView1->size(), list + QSize(240, 160));
    // The size laid out at start-up is the least the window can be made.
    drag(bar, bar->gripRect().center(), QPoint(-2000, -2000));
    EXPECT_EQ(window->size(), start);
    EXPECT_EQ(form->ListView1->size(), list);
    EXPECT_EQ(form->downinimemo->size(), log);
}

TEST_F(SkinnedWindow, MinimizingTheApplicationTakesTheChooserAlongAndTheTrayTipIsItsTitle)
{
    form->show();
    form->Form2->show();
    QWidget* chooser = form->Form2->window();
    form->CustomItem2Click(); // the menu's minimize, then its restore
    EXPECT_TRUE(form->window()->isMinimized());
    EXPECT_TRUE(chooser->isMinimized());
    form->CustomItem1Click();
    EXPECT_FALSE(form->window()->isMinimized());
    EXPECT_FALSE(chooser->isMinimized());
    // The tray shows the application, whatever the caption says.
    QApplication::setApplicationDisplayName(QStringLiteral("聆澜"));
    form->setWindowTitle(QStringLiteral("聆澜 本机ip为: 127.0.0.1"));
    EXPECT_EQ(form->SeSkinForm1->trayIcon()->toolTip(), QStringLiteral("聆澜"));
}
