#include "skin/forms/custom_form.h"

#include "skin/controls/se_status_bar.h"
#include "skin/forms/frame_accessible.h"
#include "skin/forms/frame_geometry.h"
#include "skin/forms/frame_menu.h"
#include "skin/forms/frame_window.h"
#include "skin/skin_objects.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QWhatsThis>
#include <QWindow>

using namespace lanseek::skin;

namespace {

constexpr int kTrayTipLength = 63;

// The step that carries out each of the frame's own commands. The system menu and the window state
// property both run commands through this table, so the two can never take a window to a state by
// different steps.
struct CommandStep
{
    FrameCommand command;
    void (TSeCustomForm::*step)();
};
constexpr CommandStep kCommandSteps[] = {
    {FrameCommand::Restore, &TSeCustomForm::restore},
    {FrameCommand::Minimize, &TSeCustomForm::minimize},
    {FrameCommand::Maximize, &TSeCustomForm::maximize},
    {FrameCommand::Rollup, &TSeCustomForm::rollUp},
    {FrameCommand::MinimizeToTray, &TSeCustomForm::minimizeToTray},
    {FrameCommand::Close, &TSeCustomForm::close},
};

void runFrameCommand(TSeCustomForm& form, FrameCommand command)
{
    for (const CommandStep& entry : kCommandSteps) {
        if (entry.command == command) {
            (form.*entry.step)();
            return;
        }
    }
}

// The command that takes a window to a state.
FrameCommand commandFor(TSeWindowState state)
{
    switch (state) {
    case kwsMaximized:
        return FrameCommand::Maximize;
    case kwsMinimized:
        return FrameCommand::Minimize;
    case kwsRollup:
        return FrameCommand::Rollup;
    case kwsTray:
        return FrameCommand::MinimizeToTray;
    case kwsNormal:
        break;
    }
    return FrameCommand::Restore;
}

Qt::CursorShape cursorFor(FrameZone zone)
{
    switch (zone) {
    case FrameZone::Left:
    case FrameZone::Right:
        return Qt::SizeHorCursor;
    case FrameZone::Top:
    case FrameZone::Bottom:
        return Qt::SizeVerCursor;
    case FrameZone::TopLeft:
    case FrameZone::BottomRight:
        return Qt::SizeFDiagCursor;
    case FrameZone::TopRight:
    case FrameZone::BottomLeft:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

// The edges of the window that a sizing zone moves, as the compositor names them.
Qt::Edges edgesFor(FrameZone zone)
{
    switch (zone) {
    case FrameZone::Left:
        return Qt::LeftEdge;
    case FrameZone::Right:
        return Qt::RightEdge;
    case FrameZone::Top:
        return Qt::TopEdge;
    case FrameZone::Bottom:
        return Qt::BottomEdge;
    case FrameZone::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case FrameZone::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case FrameZone::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case FrameZone::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

TSeCustomForm::TSeCustomForm(QWidget* owner) : TSeHook(owner)
{
    installFrameAccessibility();
    m_window = new FrameWindow(this, owner->parentWidget());
    m_caption = owner->windowTitle();
    m_window->setWindowTitle(m_caption);
    m_window->setWindowIcon(owner->windowIcon());
    const QPoint at = owner->pos();
    // The owner becomes the client area; it keeps its size, the frame grows around it.
    owner->setParent(m_window);
    m_window->move(at);
    fitToOwner();
    takeOwnerConstraints();
    watchGrips();

    m_hoverTimer.setInterval(100);
    connect(&m_hoverTimer, &QTimer::timeout, this, &TSeCustomForm::trackHover);

    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), m_window);
    menuKey->setContext(Qt::WindowShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] { showSystemMenu(); });

    m_tray = new QSystemTrayIcon(frameIcon(), this);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            restore();
        else if (reason == QSystemTrayIcon::Context)
            showSystemMenu(QCursor::pos());
    });
    updateTrayTip();
}

TSeCustomForm::~TSeCustomForm()
{
    m_hoverTimer.stop();
    if (m_tray)
        m_tray->hide();
    if (!m_window)
        return; // the frame window went first, with the window that owned it, and took the owner along
    if (QWidget* o = owner()) {
        o->removeEventFilter(this);
        o->setParent(nullptr);
    }
    delete m_window;
}

QWidget* TSeCustomForm::frameWindow() const
{
    return m_window;
}

QRect TSeCustomForm::clientRect() const
{
    return frameClientRect(formTree(), m_window->size(), m_borderStyle);
}

void TSeCustomForm::setBorderStyle(TSeBorderStyle style)
{
    m_borderStyle = style;
    applyFrame();
}

void TSeCustomForm::setCaption(const QString& caption)
{
    m_caption = caption;
    m_window->setWindowTitle(caption);
    updateTrayTip();
    repaintFrame();
}

void TSeCustomForm::updateTrayTip()
{
    // The tray stands for the whole application when the frame minimizes it, else for this window.
    const QString tip = MinimizeApplication ? QGuiApplication::applicationDisplayName() : m_caption;
    if (m_tray)
        m_tray->setToolTip(tip.left(kTrayTipLength));
}

void TSeCustomForm::setWindowState(TSeWindowState state)
{
    if (!m_shownOnce) {
        m_initialState = state;
        return;
    }
    // A state the window is already in needs no step; most steps toggle and would take it back out.
    if (m_machine.state() != state)
        runFrameCommand(*this, commandFor(state));
}

// ---- events of the owner -------------------------------------------------------------------------------

bool TSeCustomForm::hookEvent(QEvent* event)
{
    if (!m_window)
        return false;
    // The frame's own showing and hiding of the client is not the owner's.
    if (m_layingOut && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        return false;
    switch (event->type()) {
    case QEvent::ShowToParent:
        if (m_machine.state() != kwsTray)
            m_window->show();
        if (!m_shownOnce) {
            m_shownOnce = true;
            watchGrips(); // status bars made after the frame was attached
            if (Active)
                m_hoverTimer.start();
            if (OnCreate)
                OnCreate(this);
            if (m_initialState != kwsNormal) {
                // The state a window is created with is applied once it is on screen, as a queued step.
                const TSeWindowState state = m_initialState;
                QMetaObject::invokeMethod(
                    this, [this, state] { setWindowState(state); }, Qt::QueuedConnection);
            }
        }
        break;
    case QEvent::HideToParent:
        // While the frame closes, the owner's close hides it first: the frame window closes after it.
        if (!m_closing)
            m_window->hide();
        break;
    case QEvent::Resize:
        if (!m_layingOut)
            fitToOwner();
        break;
    case QEvent::WindowTitleChange:
        if (QWidget* o = owner())
            setCaption(o->windowTitle());
        break;
    case QEvent::WindowIconChange:
        // The frame's new icon comes back to the owner inside it as a change of its own; passing it on
        // only when it differs ends the round there.
        if (QWidget* o = owner(); o && o->windowIcon().cacheKey() != m_window->windowIcon().cacheKey())
            m_window->setWindowIcon(o->windowIcon());
        if (m_tray)
            m_tray->setIcon(frameIcon());
        break;
    default:
        break;
    }
    return false;
}

void TSeCustomForm::fitToOwner()
{
    QWidget* o = owner();
    if (!o)
        return;
    // The frame's bands keep their widths; the window is the owner's size plus them.
    const QRect client = clientRect();
    const int left = client.x();
    const int top = client.y();
    const int right = m_window->width() - client.x() - client.width();
    const int bottom = m_window->height() - client.y() - client.height();
    const QSize wanted(o->width() + left + right, o->height() + top + bottom);
    if (m_machine.state() == kwsRollup || m_machine.state() == kwsMinimized)
        return;
    if (m_window->size() != wanted)
        m_window->resize(wanted);
    else
        layoutClient();
}

void TSeCustomForm::layoutClient()
{
    QWidget* o = owner();
    if (!o)
        return;
    const QRect client = clientRect();
    const bool rolledUp = m_machine.state() == kwsRollup;
    m_layingOut = true;
    o->move(client.topLeft());
    if (client.height() > 0 && client.width() > 0 && !rolledUp)
        o->resize(client.size());
    // Rolled up, the window is its caption and borders: the client must not show through the bottom
    // border, so it is put away until the window unrolls.
    if (rolledUp && o->isVisible()) {
        o->hide();
        m_clientPutAway = true;
    } else if (!rolledUp && m_clientPutAway) {
        o->show();
        m_clientPutAway = false;
    }
    m_layingOut = false;
}

void TSeCustomForm::applyFrame()
{
    QWidget* o = owner();
    if (!o)
        return;
    const QSize clientSize = o->size();
    frameResized();
    // Keep the client area's size: grow or shrink the window by what the new frame takes.
    const QRect client = clientRect();
    if (client.size() != clientSize && m_machine.state() == kwsNormal)
        m_window->resize(m_window->width() + clientSize.width() - client.width(),
                         m_window->height() + clientSize.height() - client.height());
    takeOwnerConstraints();
    repaintFrame();
}

void TSeCustomForm::takeOwnerConstraints()
{
    // Constraints someone has set stay as they are; those taken from the owner follow the frame's bands.
    QWidget* o = owner();
    if (!o || Constraints != m_ownerConstraints || m_machine.state() != kwsNormal)
        return;
    const QRect client = clientRect();
    const QSize bands = m_window->size() - client.size();
    TSeSizeConstraints taken;
    if (o->minimumWidth() > 0)
        taken.MinWidth = o->minimumWidth() + bands.width();
    if (o->minimumHeight() > 0)
        taken.MinHeight = o->minimumHeight() + bands.height();
    if (o->maximumWidth() < QWIDGETSIZE_MAX)
        taken.MaxWidth = o->maximumWidth() + bands.width();
    if (o->maximumHeight() < QWIDGETSIZE_MAX)
        taken.MaxHeight = o->maximumHeight() + bands.height();
    Constraints = m_ownerConstraints = taken;
}

void TSeCustomForm::forgetSkinObjects()
{
    m_hovered = nullptr;
    m_pressed = nullptr;
}

void TSeCustomForm::pauseHover()
{
    m_hoverTimer.stop();
    if (m_window)
        QCoreApplication::sendPostedEvents(m_window);
    forgetSkinObjects();
}

void TSeCustomForm::resumeHover()
{
    if (Active && m_shownOnce)
        m_hoverTimer.start();
}

void TSeCustomForm::repaintFrame()
{
    frameChanged();
    m_window->update();
}

void TSeCustomForm::frameResized()
{
    layoutClient();
    if (OnResize)
        OnResize(this);
    repaintFrame();
}

bool TSeCustomForm::frameEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        return showCaptionButtonHint(help->pos(), help->globalPos());
    }
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        repaintFrame();
    if (event->type() == QEvent::WindowStateChange && MinimizeApplication && !m_applying) {
        // The desktop minimized or restored the window (its task bar, a keyboard shortcut): the frame's
        // state follows.
        if (m_window->isMinimized()) {
            m_machine.noteApplicationMinimized(context());
        } else {
            const FrameSteps steps = m_machine.noteApplicationRestored(context());
            restoreApplicationWindows();
            if (!steps.empty())
                QMetaObject::invokeMethod(
                    this, [this, steps] { apply(steps); }, Qt::QueuedConnection);
            repaintFrame();
        }
    }
    return false;
}

// ---- painting --------------------------------------------------------------------------------------------

void TSeCustomForm::paintFrame(QPainter& painter)
{
    // The plain frame: a raised border and a caption band in the desktop's colours, the caption text in it.
    const QPalette palette = m_window->palette();
    const PlainFrameMetrics m = plainFrameMetrics(m_borderStyle);
    const QRect all = m_window->rect();
    // The owner paints the client area.
    painter.setClipRegion(QRegion(all).subtracted(clientRect()));
    painter.fillRect(all, palette.color(QPalette::Window));
    if (m.border == 0 && m.caption == 0)
        return;
    const bool active = m_window->isActiveWindow();
    const QRect caption(m.border, m.border, all.width() - 2 * m.border, m.caption);
    painter.fillRect(caption, active ? palette.color(QPalette::Highlight) : palette.color(QPalette::Mid));
    painter.setPen(palette.color(QPalette::Light));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
    painter.setPen(active ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::WindowText));
    painter.drawText(caption.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, m_caption);
}

// ---- mouse in the frame --------------------------------------------------------------------------------

QRect TSeCustomForm::gripRect() const
{
    // The size grip of a visible skinned status bar of the window counts as the bottom-right corner.
    QWidget* o = owner();
    if (!o)
        return {};
    for (const TSeSkinStatusBar* bar : o->findChildren<TSeSkinStatusBar*>()) {
        const QRect grip = bar->isVisible() ? bar->gripRect() : QRect();
        if (!grip.isEmpty())
            return QRect(bar->mapTo(m_window, grip.topLeft()), grip.size());
    }
    return {};
}

bool TSeCustomForm::sizeable() const
{
    // An owner of fixed size cannot follow its frame, so such a window is not sized by the mouse.
    const QWidget* o = owner();
    const bool fixed = o && o->minimumSize() == o->maximumSize();
    return Dragging.Sizeable && !fixed && m_machine.state() != kwsMaximized;
}

FrameZone TSeCustomForm::zoneAt(const QPoint& point) const
{
    // The grip lies inside the client area, over the status bar: it is found first.
    if (gripRect().contains(point))
        return sizeable() ? FrameZone::BottomRight : FrameZone::Client;
    if (clientRect().contains(point))
        return FrameZone::Client;
    if (TSeSkinObject* tree = formTree()) {
        TSeFormDragging dragging = Dragging;
        dragging.Sizeable = sizeable();
        return frameZoneAt(tree, point, dragging, m_machine.state() == kwsMaximized, gripRect());
    }
    // The plain frame: its border sizes, its caption band moves.
    const PlainFrameMetrics m = plainFrameMetrics(m_borderStyle);
    const QRect all = m_window->rect();
    const bool canSize = sizeable();
    const int corner = m.border * 3;
    const bool left = point.x() < m.border, right = point.x() >= all.width() - m.border;
    const bool top = point.y() < m.border, bottom = point.y() >= all.height() - m.border;
    if (canSize && (left || right || top || bottom)) {
        const bool nearLeft = point.x() < corner, nearRight = point.x() >= all.width() - corner;
        const bool nearTop = point.y() < corner, nearBottom = point.y() >= all.height() - corner;
        if ((top && nearLeft) || (left && nearTop))
            return FrameZone::TopLeft;
        if ((top && nearRight) || (right && nearTop))
            return FrameZone::TopRight;
        if ((bottom && nearLeft) || (left && nearBottom))
            return FrameZone::BottomLeft;
        if ((bottom && nearRight) || (right && nearBottom))
            return FrameZone::BottomRight;
        return left ? FrameZone::Left : right ? FrameZone::Right : top ? FrameZone::Top : FrameZone::Bottom;
    }
    if (point.y() < m.border + m.caption && Dragging.Moveable)
        return FrameZone::Caption;
    return FrameZone::Client;
}

void TSeCustomForm::frameMousePress(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (TSeSkinObject* tree = formTree()) {
        if (TSeSkinObject* object = tree->objectAt(at)) {
            // Kept before the object hears of it, so that a change of skin the press sets off forgets it.
            m_pressed = object;
            object->mouseDown(event->button(), at - object->boundsRect().topLeft());
        }
    }
    if (event->button() == Qt::LeftButton)
        beginDrag(zoneAt(at), event->globalPosition().toPoint());
}

void TSeCustomForm::beginDrag(FrameZone zone, const QPoint& globalPos)
{
    m_pressedZone = zone;
    m_pressGlobal = globalPos;
    m_pressGeometry = m_window->geometry();
    m_dragRect = m_pressGeometry;
    const bool moving = m_pressedZone == FrameZone::Caption && m_machine.state() != kwsMaximized;
    const bool sizing = m_pressedZone != FrameZone::Client && m_pressedZone != FrameZone::Caption &&
                        m_pressedZone != FrameZone::CaptionButton && m_machine.state() == kwsNormal;
    if (onWayland() && m_window->windowHandle() && (moving || sizing)) {
        // The compositor places and sizes windows there; ask it to run the drag. It keeps the window
        // within the limits the window states, which the next change of state lifts again.
        if (moving) {
            m_window->windowHandle()->startSystemMove();
        } else {
            m_window->setMinimumSize(frameMinimumSize(Constraints));
            m_window->windowHandle()->startSystemResize(edgesFor(m_pressedZone));
        }
        m_pressedZone = FrameZone::Client;
        return;
    }
    if (!moving && !sizing)
        m_pressedZone =
            m_pressedZone == FrameZone::CaptionButton ? FrameZone::CaptionButton : FrameZone::Client;
    if ((moving || sizing) && Dragging.DragMode == kfdmBorder) {
        if (!m_outline)
            m_outline = new QRubberBand(QRubberBand::Rectangle);
        m_outline->setGeometry(m_pressGeometry);
        m_outline->show();
    }
}

void TSeCustomForm::frameMouseMove(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (TSeSkinObject* tree = formTree()) {
        if (event->buttons() == Qt::NoButton) {
            if (TSeSkinObject* object = tree->objectAt(at))
                object->mouseMove(event->buttons(), at - object->boundsRect().topLeft());
        } else if (m_pressed) {
            m_pressed->mouseMove(event->buttons(), at - m_pressed->boundsRect().topLeft());
        }
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        m_window->setCursor(cursorFor(zoneAt(at)));
        return;
    }
    dragTo(event->globalPosition().toPoint());
}

void TSeCustomForm::dragTo(const QPoint& globalPos)
{
    const QPoint delta = globalPos - m_pressGlobal;
    QRect next;
    if (m_pressedZone == FrameZone::Caption) {
        next = m_pressGeometry.translated(delta);
        if (Gravitation.Enabled)
            next = snapToArea(next, workArea(), Gravitation.Size);
    } else if (m_pressedZone != FrameZone::Client && m_pressedZone != FrameZone::CaptionButton) {
        const QSize maximum =
            frameMaximumSize(Constraints, maximizedRect(workArea(), workArea(), StayOnTop).size());
        next = resizedRect(m_pressGeometry, m_pressedZone, delta, frameMinimumSize(Constraints), maximum);
    } else {
        return;
    }
    m_dragRect = next;
    if (Dragging.DragMode == kfdmBorder && m_outline)
        m_outline->setGeometry(next);
    else
        m_window->setGeometry(next);
}

void TSeCustomForm::endDrag()
{
    if (m_outline && m_outline->isVisible()) {
        m_outline->hide();
        m_window->setGeometry(m_dragRect);
    }
    m_pressedZone = FrameZone::Client;
}

void TSeCustomForm::frameMouseRelease(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (TSeSkinObject* tree = formTree()) {
        TSeSkinObject* pressed = m_pressed;
        m_pressed = nullptr;
        if (pressed && tree->objectAt(at) == pressed)
            pressed->mouseUp(event->button(), at - pressed->boundsRect().topLeft());
    }
    endDrag();
    if (event->button() == Qt::RightButton && zoneAt(at) == FrameZone::Caption)
        showSystemMenu(event->globalPosition().toPoint());
}

void TSeCustomForm::watchGrips()
{
    if (QWidget* o = owner()) {
        for (TSeSkinStatusBar* bar : o->findChildren<TSeSkinStatusBar*>())
            bar->installEventFilter(this);
    }
}

bool TSeCustomForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != owner() && m_window) {
        if (auto* bar = qobject_cast<TSeSkinStatusBar*>(watched))
            return gripEvent(bar, event);
    }
    return TSeHook::eventFilter(watched, event);
}

bool TSeCustomForm::gripEvent(QWidget* bar, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    // The status bar has the mouse while it is pressed on it; what happens on its grip is the frame's.
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = bar->mapTo(m_window, mouse->position().toPoint());
    const QPoint global = mouse->globalPosition().toPoint();
    const bool onGrip = zoneAt(at) == FrameZone::BottomRight && gripRect().contains(at);
    if (!m_gripDrag) {
        if (type == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
            if (onGrip)
                bar->setCursor(Qt::SizeFDiagCursor);
            else
                bar->unsetCursor();
        }
        if (type != QEvent::MouseButtonPress || mouse->button() != Qt::LeftButton || !onGrip)
            return false;
        m_gripDrag = true;
        beginDrag(FrameZone::BottomRight, global);
        return true;
    }
    if (type == QEvent::MouseMove) {
        dragTo(global);
    } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
        m_gripDrag = false;
        endDrag();
    }
    return true;
}

void TSeCustomForm::frameMouseDoubleClick(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (TSeSkinObject* tree = formTree()) {
        if (TSeSkinObject* object = tree->objectAt(at)) {
            m_pressed = object;
            object->dblClick();
        }
    }
    if (event->button() == Qt::LeftButton && zoneAt(at) == FrameZone::Caption &&
        BorderIcons.has(kbiMaximize)) {
        if (m_machine.state() == kwsMinimized)
            restore();
        else
            maximize();
    }
}

void TSeCustomForm::frameLeave()
{
    m_window->unsetCursor();
}

void TSeCustomForm::trackHover()
{
    TSeSkinObject* tree = formTree();
    if (!tree || !m_window->isVisible()) {
        m_hovered = nullptr;
        return;
    }
    const QPoint at = m_window->mapFromGlobal(QCursor::pos());
    TSeSkinObject* under =
        m_window->rect().contains(at) && !clientRect().contains(at) ? tree->objectAt(at) : nullptr;
    if (under == m_hovered)
        return;
    if (m_hovered)
        m_hovered->mouseLeave();
    if (under && (!m_pressed || m_pressed == under))
        under->mouseEnter(QApplication::mouseButtons());
    m_hovered = under;
}

// ---- states ----------------------------------------------------------------------------------------------

QRect TSeCustomForm::workArea() const
{
    QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

FrameContext TSeCustomForm::context() const
{
    FrameContext c;
    c.window = m_window->geometry();
    c.clientHeight = clientRect().height();
    QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    c.maximized = maximizedRect(workArea(), screen ? screen->geometry() : QRect(), StayOnTop);
    c.workArea = workArea();
    c.minimizeApplication = MinimizeApplication;
    c.modal = owner() && owner()->isModal();
    return c;
}

bool TSeCustomForm::allowed(const ActionEvent& event)
{
    bool allow = true;
    if (event)
        event(this, allow);
    return allow;
}

void TSeCustomForm::apply(const FrameSteps& steps)
{
    const QScopedValueRollback<bool> applying(m_applying, true);
    // A size the compositor was held to while it sized the window does not hold in other states.
    if (onWayland())
        m_window->setMinimumSize(0, 0);
    for (const FrameStep& step : steps) {
        switch (step.kind) {
        case FrameStep::Kind::SetBounds:
            m_window->setGeometry(step.bounds);
            break;
        case FrameStep::Kind::MinimizeApplication:
            minimizeApplicationWindows();
            break;
        case FrameStep::Kind::RestoreApplication:
            m_window->showNormal();
            restoreApplicationWindows();
            break;
        case FrameStep::Kind::HideWindow:
            m_window->hide();
            break;
        case FrameStep::Kind::ShowWindow:
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
            break;
        case FrameStep::Kind::AddTrayIcon:
            updateTrayTip();
            m_tray->setIcon(frameIcon());
            m_tray->show();
            break;
        case FrameStep::Kind::RemoveTrayIcon:
            m_tray->hide();
            break;
        }
    }
    layoutClient();
    repaintFrame();
}

void TSeCustomForm::minimizeApplicationWindows()
{
    // The application minimizes: every window of it on screen goes down with this one (menus, hints and
    // other passing windows aside), and comes back when this one is restored.
    m_minimizedWithApplication.clear();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w == m_window || !w->isVisible() || w->isMinimized() ||
            (type != Qt::Window && type != Qt::Dialog))
            continue;
        m_minimizedWithApplication.emplace_back(w);
        w->showMinimized();
    }
    m_window->showMinimized();
}

void TSeCustomForm::restoreApplicationWindows()
{
    const std::vector<QPointer<QWidget>> windows = std::move(m_minimizedWithApplication);
    m_minimizedWithApplication.clear();
    for (const QPointer<QWidget>& w : windows) {
        if (w && w->isMinimized())
            w->showNormal();
    }
}

void TSeCustomForm::maximize()
{
    if (m_machine.state() != kwsMaximized && !allowed(OnMaximize))
        return;
    apply(m_machine.maximize(context()));
}

void TSeCustomForm::minimize()
{
    if (m_machine.state() != kwsMinimized && !allowed(OnMinimize))
        return;
    apply(m_machine.minimize(context()));
}

void TSeCustomForm::rollUp()
{
    if (m_machine.state() != kwsRollup && !allowed(OnRollup))
        return;
    apply(m_machine.rollUp(context()));
}

void TSeCustomForm::minimizeToTray()
{
    if (m_machine.state() != kwsTray) {
        if (!allowed(OnMinToTray))
            return;
        // Without a tray the window minimizes instead.
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            minimize();
            return;
        }
    }
    apply(m_machine.minimizeToTray(context()));
}

void TSeCustomForm::restore()
{
    apply(m_machine.restore(context()));
}

void TSeCustomForm::help()
{
    QWhatsThis::enterWhatsThisMode();
}

void TSeCustomForm::close()
{
    if (!allowed(OnClose))
        return;
    QWidget* o = owner();
    if (o && o->isModal()) {
        o->hide();
        return;
    }
    // The owner's close query and close run as they would for its own window.
    m_closing = true;
    if (!o || o->close())
        m_window->close();
    m_closing = false;
}

void TSeCustomForm::frameClose(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    // A close from outside (the window system): ask the owner, then close the frame window with it.
    QWidget* o = owner();
    m_closing = true;
    const bool closed = !o || o->close();
    m_closing = false;
    if (closed)
        event->accept();
    else
        event->ignore();
}

// ---- menus ----------------------------------------------------------------------------------------------

QMenu* TSeCustomForm::builtInMenu()
{
    m_builtInMenu = std::make_unique<QMenu>();
    for (const FrameMenuItem& item : builtInSystemMenu(m_machine.state(), BorderIcons)) {
        if (item.separator) {
            m_builtInMenu->addSeparator();
            continue;
        }
        QAction* action = m_builtInMenu->addAction(item.caption);
        if (!item.shortcut.isEmpty())
            action->setShortcut(QKeySequence(item.shortcut));
        const FrameCommand command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { runFrameCommand(*this, command); });
    }
    return m_builtInMenu.get();
}

void TSeCustomForm::showSystemMenu(const QPoint& globalPos)
{
    QMenu* menu = m_machine.state() == kwsTray ? TrayMenuLink.data() : SystemMenuLink.data();
    if (!menu)
        menu = builtInMenu();
    const QPoint at = globalPos.x() >= 0             ? globalPos
                      : m_machine.state() == kwsTray ? QCursor::pos()
                                                     : m_window->mapToGlobal(clientRect().topLeft());
    menu->popup(at);
}

bool TSeCustomForm::showCaptionButtonHint(const QPoint& at, const QPoint& globalPos)
{
    // A caption button's hint is the name a screen reader reads out for it.
    const TSeSystemButton* button = captionButtonAt(formTree(), at);
    const QString hint = button ? captionButtonName(button->Action) : QString();
    if (hint.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(globalPos, hint, m_window, button->boundsRect());
    return true;
}

void TSeCustomForm::runFrameAction(TSeAction action, TSeSystemButton* button)
{
    switch (action) {
    case sbaClose:
        close();
        break;
    case sbaHelp:
        help();
        break;
    case sbaMinimize:
        minimize();
        break;
    case sbaMaximize:
        maximize();
        break;
    case sbaRestore:
    case sbaRollDown:
        restore();
        break;
    case sbaRollUp:
        rollUp();
        break;
    case sbaTray:
        minimizeToTray();
        break;
    case sbaSysMenu: {
        QPoint at(-1, -1);
        if (button)
            at = m_window->mapToGlobal(button->boundsRect().bottomLeft() + QPoint(0, 1));
        showSystemMenu(at);
        break;
    }
    case sbaCustom:
        if (OnCustomAction)
            OnCustomAction(button);
        break;
    default:
        break;
    }
}

QIcon TSeCustomForm::frameIcon() const
{
    if (QWidget* o = owner(); o && !o->windowIcon().isNull())
        return o->windowIcon();
    return QApplication::windowIcon();
}

QIcon TSeCustomForm::menuButtonIcon() const
{
    QIcon icon = frameIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
    return icon;
}

int TSeCustomForm::menuButtonIconSize() const
{
    const int size = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
    return size > 0 ? size : QApplication::style()->pixelMetric(QStyle::PM_TitleBarButtonIconSize);
}
