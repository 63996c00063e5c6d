#include "skin/controls/widget_skin_owner.h"
#include "skin/forms/frame_accessible.h"
#include "skin/forms/frame_geometry.h"
#include "skin/forms/frame_menu.h"
#include "skin/forms/se_skin_form.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"
#include "skin/skin_objects.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace lanseek::skin;

namespace {

// A window with one control, as the program's windows are before they get their frame.
class Owner : public QWidget
{
public:
    Owner()
    {
        resize(400, 300);
        setWindowTitle(QStringLiteral("选择保存目录"));
        button = new QPushButton(QStringLiteral("确定"), this);
        button->setGeometry(10, 250, 80, 30);
    }
    bool refuseClose = false;
    QPushButton* button;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (refuseClose)
            event->ignore();
        else
            event->accept();
    }
};

class SkinFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        engine.setSkinStream(embeddedSkinStream(1));
        ASSERT_TRUE(engine.isSkinAvailable());
        owner = std::make_unique<Owner>();
        owner->move(100, 100);
        form = std::make_unique<TSeSkinForm>(owner.get());
        form->setSkinEngine(&engine);
        owner->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        form.reset();
        owner.reset();
    }

    void mouse(QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QWidget* w = form->frameWindow();
        QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
    QPoint captionPoint() const
    {
        // A point of the caption band that no caption button covers.
        const QRect client = form->clientRect();
        for (int x = 20; x < client.width(); x += 5) {
            const QPoint p(x, client.y() / 2);
            if (frameZoneAt(form->formTree(), p, form->Dragging, false) == FrameZone::Caption)
                return p;
        }
        return {};
    }

    TSeSkinEngine engine;
    std::unique_ptr<Owner> owner;
    std::unique_ptr<TSeSkinForm> form;
};

} // namespace

TEST_F(SkinFormTest, TheOwnerBecomesTheClientAreaAndKeepsItsSize)
{
    ASSERT_TRUE(form->isSkinned());
    QWidget* frame = form->frameWindow();
    EXPECT_TRUE(frame->isWindow());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(owner->parentWidget(), frame);
    EXPECT_EQ(owner->size(), QSize(400, 300));
    EXPECT_EQ(owner->geometry(), form->clientRect());
    EXPECT_GT(frame->height(), 300);
    EXPECT_EQ(owner->button->geometry(), QRect(10, 250, 80, 30)); // still client coordinates
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("选择保存目录"));
}

TEST_F(SkinFormTest, AnIconGivenToTheShownOwnerReachesTheFrame)
{
    // The frame's own change comes back to the owner inside it; it must end there, not go round.
    QPixmap first(16, 16);
    first.fill(Qt::red);
    QPixmap second(32, 32);
    second.fill(Qt::blue);
    for (const QPixmap& picture : {first, second}) {
        owner->setWindowIcon(QIcon(picture));
        QApplication::processEvents();
        EXPECT_EQ(form->frameWindow()->windowIcon().cacheKey(), owner->windowIcon().cacheKey());
    }
    EXPECT_EQ(form->frameWindow()->windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
}

TEST_F(SkinFormTest, TheOwnerGrowingGrowsTheFrame)
{
    QWidget* frame = form->frameWindow();
    const QSize before = frame->size();
    owner->resize(500, 320);
    QApplication::processEvents();
    EXPECT_EQ(frame->size(), before + QSize(100, 20));
    EXPECT_EQ(owner->geometry(), form->clientRect());
}

TEST_F(SkinFormTest, TheWindowIsShapedByTheObjectTreesRegion)
{
    QWidget* frame = form->frameWindow();
    const QRegion region = form->frameRegion();
    EXPECT_FALSE(region.isEmpty());
    EXPECT_EQ(frame->mask(), region);
    owner->resize(460, 300);
    QApplication::processEvents();
    EXPECT_EQ(frame->mask(), form->frameRegion());
    EXPECT_TRUE(frame->mask().boundingRect().right() >= frame->width() - 8);
}

TEST_F(SkinFormTest, TheCaptionIsDrawnFromTheFormObject)
{
    QWidget* frame = form->frameWindow();
    const QImage shot = frame->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // The oracle: a fresh copy of the skin's form object drawn alone at the window's size. It is bound
    // to the frame window, as the form's own copy is, so that its system-menu button asks the same
    // frame for the icon it shows.
    std::unique_ptr<TSeSkinObject> copy = engine.formObject()->createCopy();
    WidgetSkinOwner frameOwner(frame);
    copy->bindOwner(&frameOwner);
    copy->setBounds(0, 0, frame->width(), frame->height());
    copy->setActive(frame->isActiveWindow());
    copy->setState(0);
    if (TSeSkinObject* title = copy->findObjectByKind(skTitle))
        title->setText(form->Caption());
    if (TSeSkinObject* client = copy->findObjectByKind(skClient))
        client->setVisible(false);
    TSeBitmap expected(frame->width(), frame->height());
    expected.fill(colorToPixel(copy->Color != clNone ? copy->Color : clBtnFace));
    copy->draw(TSeCanvas(&expected));
    const QImage oracle = expected.toDisplayImage();
    // Every pixel of the frame around the client area (the caption band, the edges and the bottom,
    // however the frame's painting is cut up) is the oracle's; no transparent key reaches the screen.
    const QRect client = form->clientRect();
    const QRegion region = form->frameRegion();
    int compared = 0, differing = 0, belowClient = 0;
    for (int y = 0; y < frame->height(); ++y) {
        for (int x = 0; x < frame->width(); ++x) {
            if (client.contains(x, y) || !region.contains(QPoint(x, y)))
                continue;
            ++compared;
            belowClient += y > client.bottom();
            if (shot.pixel(x, y) != oracle.pixel(x, y))
                ++differing;
            ASSERT_NE(shot.pixel(x, y) & 0xFFFFFF, 0x7F007Fu) << x << "," << y;
        }
    }
    EXPECT_GT(compared, 1000);
    EXPECT_GT(belowClient, 100);
    EXPECT_EQ(differing, 0);
}

TEST_F(SkinFormTest, ADragByTheCaptionMovesTheWindow)
{
    QWidget* frame = form->frameWindow();
    form->Gravitation.Enabled = false;
    const QPoint grip = captionPoint();
    ASSERT_FALSE(grip.isNull());
    const QPoint start = frame->pos();
    mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, grip + QPoint(37, 21), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, grip + QPoint(37, 21), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(frame->pos(), start + QPoint(37, 21));
}

TEST_F(SkinFormTest, RollUpLeavesTheCaptionAndRestoreBringsTheClientBack)
{
    QWidget* frame = form->frameWindow();
    const QRect normal = frame->geometry();
    const int band = form->clientRect().y();
    form->rollUp();
    EXPECT_EQ(form->WindowState(), kwsRollup);
    EXPECT_LT(frame->height(), band + 20);
    // Only the caption and borders show; the window itself stays on screen.
    EXPECT_FALSE(owner->isVisible());
    EXPECT_TRUE(frame->isVisible());
    form->restore();
    EXPECT_TRUE(owner->isVisible());
    EXPECT_EQ(form->WindowState(), kwsNormal);
    EXPECT_EQ(frame->geometry(), normal);
    EXPECT_EQ(owner->size(), QSize(400, 300));
}

TEST_F(SkinFormTest, CloseAsksTheOwner)
{
    owner->refuseClose = true;
    form->close();
    EXPECT_TRUE(form->frameWindow()->isVisible());
    owner->refuseClose = false;
    form->close();
    EXPECT_FALSE(form->frameWindow()->isVisible());
}

TEST_F(SkinFormTest, AnActionEventCanCancel)
{
    form->OnRollup = [](TSeCustomForm*, bool& allow) { allow = false; };
    form->rollUp();
    EXPECT_EQ(form->WindowState(), kwsNormal);
}

TEST_F(SkinFormTest, AToolWindowWithoutItsObjectWearsTheForm)
{
    form->setBorderStyle(kbsToolWindow);
    EXPECT_EQ(form->SkinObject(), QByteArray("ToolWindow"));
    ASSERT_TRUE(form->isSkinned());
    EXPECT_EQ(form->formTree()->name().toLower(), engine.formObject()->name().toLower());
}

TEST_F(SkinFormTest, WithoutASkinThePlainFrameStandsIn)
{
    form->setSkinEngine(nullptr);
    EXPECT_FALSE(form->isSkinned());
    EXPECT_TRUE(form->frameWindow()->mask().isEmpty());
    const PlainFrameMetrics m = plainFrameMetrics(kbsStandard);
    EXPECT_EQ(form->clientRect().topLeft(), QPoint(m.border, m.border + m.caption));
    EXPECT_EQ(owner->size(), QSize(400, 300));
    EXPECT_EQ(owner->geometry(), form->clientRect());
}

TEST_F(SkinFormTest, MovingShowsTheSameFrameAndAChangeIsPaintedAnew)
{
    QWidget* frame = form->frameWindow();
    const QImage before = frame->grab().toImage();
    frame->move(frame->pos() + QPoint(5, 5));
    EXPECT_EQ(frame->grab().toImage(), before);
    form->setCaption(QStringLiteral("聆澜 本机ip为: 127.0.0.1"));
    const QImage renamed = frame->grab().toImage();
    const QRect band(0, 0, frame->width(), form->clientRect().y());
    EXPECT_NE(renamed.copy(band), before.copy(band));
    form->setCaption(QStringLiteral("选择保存目录"));
    EXPECT_EQ(frame->grab().toImage().copy(band), before.copy(band));
}

TEST_F(SkinFormTest, TheSystemMenuAndTheStatePropertyTakeTheSameSteps)
{
    // The menu item for a command, found by the caption the menu gives it in the present state.
    auto trigger = [this](FrameCommand command) {
        QMenu* menu = form->builtInMenu();
        for (const FrameMenuItem& item : builtInSystemMenu(form->WindowState(), form->BorderIcons)) {
            if (item.separator || item.command != command)
                continue;
            for (QAction* action : menu->actions()) {
                if (action->text() == item.caption) {
                    action->trigger();
                    return true;
                }
            }
        }
        return false;
    };
    ASSERT_TRUE(trigger(FrameCommand::Rollup));
    EXPECT_EQ(form->WindowState(), kwsRollup);
    ASSERT_TRUE(trigger(FrameCommand::Restore));
    EXPECT_EQ(form->WindowState(), kwsNormal);

    form->setWindowState(kwsRollup);
    EXPECT_EQ(form->WindowState(), kwsRollup);
    // Asking for the state the window is in leaves it there (rolling up again would restore it).
    form->setWindowState(kwsRollup);
    EXPECT_EQ(form->WindowState(), kwsRollup);
    form->setWindowState(kwsNormal);
    EXPECT_EQ(form->WindowState(), kwsNormal);
    EXPECT_EQ(owner->size(), QSize(400, 300));
}

TEST_F(SkinFormTest, TheFrameIsAClientOfItsEngineOnly)
{
    EXPECT_EQ(engine.clients(), QList<QObject*>{form.get()});
    // A change of skin reaches the frame through the list: it drops its copy and takes a fresh one.
    // (The copy is marked; a fresh copy carries the master's empty text.)
    form->formTree()->setText(QStringLiteral("marked"));
    engine.setDeltaHue(40);
    ASSERT_TRUE(form->isSkinned());
    EXPECT_TRUE(form->formTree()->text().isEmpty());

    TSeSkinEngine other;
    other.setSkinStream(embeddedSkinStream(2));
    form->setSkinEngine(&other);
    EXPECT_TRUE(engine.clients().isEmpty());
    EXPECT_EQ(other.clients(), QList<QObject*>{form.get()});
    form->formTree()->setText(QStringLiteral("marked"));
    engine.setDeltaHue(80); // no longer its engine: the frame keeps what it has
    EXPECT_EQ(form->formTree()->text(), QStringLiteral("marked"));

    form.reset();
    EXPECT_TRUE(other.clients().isEmpty());
}

namespace {

// Runs the event loop until `done` holds or a second has passed; the frame follows the mouse on a timer.
bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

int mouseStateOf(TSeSkinForm& form, TSeAction action)
{
    for (const TSeSystemButton* b : captionButtons(form.formTree()))
        if (b->Action == action)
            return b->mouseState();
    return -1;
}

} // namespace

TEST_F(SkinFormTest, EveryChangeOfSkinIsSafeWhileACaptionButtonIsHoveredOrPressed)
{
    TSeSkinEngine other;
    other.setSkinStream(embeddedSkinStream(2));
    QWidget* frame = form->frameWindow();
    int hue = 0;
    const std::vector<std::function<void()>> changes = {
        [&] { engine.setDeltaHue(hue = 40 - hue); }, [&] { form->setSkinObject("Form"); },
        [&] { form->setBorderStyle(kbsStandard); },
        [&] { form->setSkinEngine(&other), form->setSkinEngine(&engine); }};
    frame->grab(); // the buttons take their visibility from the state when the frame paints
    const std::vector<TSeSystemButton*> buttons = captionButtons(form->formTree());
    ASSERT_GE(buttons.size(), 3u);
    std::vector<std::pair<TSeAction, QPoint>> targets;
    for (const TSeSystemButton* b : buttons)
        targets.emplace_back(b->Action, b->boundsRect().center());
    for (const auto& [action, centre] : targets) {
        for (const auto& change : changes) {
            QCursor::setPos(frame->mapToGlobal(centre));
            ASSERT_TRUE(waitFor([&] { return mouseStateOf(*form, action) == TSeSystemButton::Hot; }));
            change();
            // The new tree's button under the mouse is hovered in its turn.
            EXPECT_TRUE(waitFor([&] { return mouseStateOf(*form, action) == TSeSystemButton::Hot; }));
            // Pressed, changed, dragged and let go: the gone button hears nothing, no action runs.
            mouse(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
            change();
            mouse(QEvent::MouseMove, centre + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
            mouse(QEvent::MouseButtonRelease, centre + QPoint(1, 0), Qt::LeftButton, Qt::NoButton);
            QCursor::setPos(frame->mapToGlobal(form->clientRect().center()));
            ASSERT_TRUE(waitFor([&] { return mouseStateOf(*form, action) == TSeSystemButton::Idle; }));
        }
    }
    EXPECT_EQ(form->WindowState(), kwsNormal);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(SkinFormTest, ScreenReadersFindTheCaptionButtonsAndPressThem)
{
    QWidget* frame = form->frameWindow();
    frame->grab();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(frame);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("选择保存目录"));
    const std::vector<TSeSystemButton*> buttons = captionButtons(form->formTree());
    ASSERT_EQ(window->childCount(), int(buttons.size()) + 1);
    EXPECT_EQ(window->child(int(buttons.size()))->object(), owner.get());
    QAccessibleInterface* minimize = nullptr;
    for (int i = 0; i < int(buttons.size()); ++i) {
        QAccessibleInterface* button = window->child(i);
        EXPECT_EQ(button->role(), QAccessible::Button);
        EXPECT_EQ(window->indexOfChild(button), i);
        const QRect bounds = buttons[size_t(i)]->boundsRect();
        EXPECT_EQ(button->rect(), QRect(frame->mapToGlobal(bounds.topLeft()), bounds.size()));
        // The hint over the button is its name.
        QHelpEvent hint(QEvent::ToolTip, bounds.center(), frame->mapToGlobal(bounds.center()));
        QApplication::sendEvent(frame, &hint);
        EXPECT_EQ(QToolTip::text(), button->text(QAccessible::Name));
        if (button->text(QAccessible::Name) == QStringLiteral("最小化"))
            minimize = button;
    }
    ASSERT_NE(minimize, nullptr);
    // The button keeps its interface across a change of skin, and pressing it runs its action.
    engine.setDeltaHue(30);
    frame->grab();
    EXPECT_GE(window->indexOfChild(minimize), 0);
    ASSERT_NE(minimize->actionInterface(), nullptr);
    minimize->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form->WindowState(), kwsMinimized);
    form->restore();
}
