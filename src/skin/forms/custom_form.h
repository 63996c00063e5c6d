#pragma once

// TSeCustomForm: the frame logic of a window whose frame the program draws itself. The owner window
// becomes the client area of a frameless top-level window (the frame window) that this component
// makes, so the owner's own size and its children's positions stay client coordinates. The component
// moves and sizes the frame window itself, runs the window-state machine, opens the system menu and
// keeps the tray icon. Without a skin it draws a plain frame; TSeSkinForm draws the skin's.
//
// The owner keeps the component (it must be destroyed while the owner is still whole, e.g. as a member
// of the owner's class): the destructor gives the owner back its own window.

#include "skin/forms/frame_state.h"
#include "skin/forms/frame_types.h"
#include "skin/forms/se_hook.h"
#include "skin/skin_events.h"

#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QMouseEvent;
class QPainter;
class QRubberBand;
class QSystemTrayIcon;
class TSeSkinObject;
class TSeSystemButton;

namespace lanseek::skin {
class FrameWindow;
}

class TSeCustomForm : public TSeHook, public lanseek::skin::SeFrameHost
{
    Q_OBJECT
public:
    explicit TSeCustomForm(QWidget* owner);
    ~TSeCustomForm() override;

    // ---- published properties ----
    bool Active = true;
    TSeBorderIcons BorderIcons = TSeBorderIcons::standard();
    TSeBorderStyle BorderStyle() const { return m_borderStyle; }
    virtual void setBorderStyle(TSeBorderStyle style);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    TSeFormDragging Dragging;
    TSeFormGravitation Gravitation;
    // Limits of the window's size. Unless set otherwise, they are the owner's minimum and maximum size
    // (when it has them) with the frame's bands added, taken on attach and again when the frame changes.
    TSeSizeConstraints Constraints;
    QPointer<QMenu> SystemMenuLink;
    QPointer<QMenu> TrayMenuLink;
    bool MinimizeApplication = true;
    TSeFormPerformance Performance = ksfpNoBuffer;
    bool StayOnTop = false;
    // Set before the window is first shown, the state is applied once it is on screen.
    TSeWindowState WindowState() const { return m_machine.state(); }
    void setWindowState(TSeWindowState state);

    std::function<void(TSeCustomForm*)> OnCreate;
    std::function<void(TSeCustomForm*)> OnResize;
    // Action events: `allow` is true before the call; a handler that clears it cancels the operation.
    using ActionEvent = std::function<void(TSeCustomForm* sender, bool& allow)>;
    ActionEvent OnClose, OnMinimize, OnMaximize, OnRollup, OnMinToTray;

    // ---- operations ----
    void close();
    void maximize();
    void minimize();
    void rollUp();
    void minimizeToTray();
    void restore();
    void help();
    // At `globalPos`, or at the client area's origin when none is given.
    void showSystemMenu(const QPoint& globalPos = QPoint(-1, -1));
    // Sets the tray icon's tip anew, after MinimizeApplication or the application's title changed.
    void updateTrayTip();

    // The top-level window that wears the frame, and the client rectangle in its coordinates.
    QWidget* frameWindow() const;
    QRect clientRect() const;
    // The tray icon the frame shows in the tray state. Its tip is the application's title when the
    // frame minimizes the application, else the caption; cut to 63 characters.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    // The menu the system menu shows when nothing is linked, made afresh for the current state.
    QMenu* builtInMenu();
    virtual bool isSkinned() const { return false; }
    // What the frame is drawn from: the skinned form's copy of its object, or nullptr for the plain frame.
    virtual TSeSkinObject* formTree() const { return nullptr; }

    // ---- what caption buttons ask of the frame ----
    bool hasBorderIcon(TSeBorderIcon icon) const override { return BorderIcons.has(icon); }
    void runFrameAction(TSeAction action, TSeSystemButton* button) override;
    QIcon frameIcon() const override;
    // The frame's icon, else the look's standard menu icon, at the look's small icon size.
    QIcon menuButtonIcon() const override;
    int menuButtonIconSize() const override;
    std::function<void(TSeSystemButton*)> OnCustomAction;

protected:
    bool hookEvent(QEvent* event) override;
    // Also sees the events of the owner's skinned status bars, whose size grips size the window.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Paints the frame (everything but the client area) of the frame window; the painter comes without
    // a clip of its own.
    virtual void paintFrame(QPainter& painter);
    // The frame window changed size: lay the frame out again and shape the window.
    virtual void frameResized();
    // An event of the frame window that the skinned form wants (engine notifications, repaint requests).
    virtual bool frameEvent(QEvent* event);
    // Re-reads the frame after a change of skin or style, keeping the client area's size.
    void applyFrame();
    // Something the frame shows changed (size, state, activation, caption, a part's look): paint anew.
    void repaintFrame();
    virtual void frameChanged() {}
    lanseek::skin::FrameWindow* window() const { return m_window; }
    // The objects of the form tree are about to go: nothing of the frame may point into it afterwards.
    void forgetSkinObjects();
    // Around a change of the engine's skin: the hover timer stops (and what is pending for the frame
    // window is delivered while the old tree still exists), then starts again with the new tree.
    void pauseHover();
    void resumeHover();

private:
    friend class lanseek::skin::FrameWindow;
    void frameMousePress(QMouseEvent* event);
    void frameMouseMove(QMouseEvent* event);
    void frameMouseRelease(QMouseEvent* event);
    void frameMouseDoubleClick(QMouseEvent* event);
    void frameLeave();
    void frameClose(QCloseEvent* event);
    void trackHover();

    lanseek::skin::FrameContext context() const;
    void apply(const lanseek::skin::FrameSteps& steps);
    bool allowed(const ActionEvent& event);
    void layoutClient();
    void fitToOwner();
    QRect workArea() const;
    lanseek::skin::FrameZone zoneAt(const QPoint& point) const;
    bool sizeable() const;
    QRect gripRect() const;
    bool gripEvent(QWidget* bar, QEvent* event);
    void watchGrips();
    void takeOwnerConstraints();
    // The drag of the window by the mouse (moving or sizing), in screen coordinates.
    void beginDrag(lanseek::skin::FrameZone zone, const QPoint& globalPos);
    void dragTo(const QPoint& globalPos);
    void endDrag();
    void minimizeApplicationWindows();
    void restoreApplicationWindows();
    bool showCaptionButtonHint(const QPoint& at, const QPoint& globalPos);

    lanseek::skin::FrameWindow* m_window = nullptr;
    lanseek::skin::FrameStateMachine m_machine;
    TSeBorderStyle m_borderStyle = kbsStandard;
    QString m_caption;
    TSeWindowState m_initialState = kwsNormal;
    bool m_shownOnce = false;
    bool m_layingOut = false;
    bool m_closing = false;
    bool m_applying = false;      // the frame itself is changing the window's state
    bool m_clientPutAway = false; // the owner is hidden while the window is rolled up

    // Mouse in the frame.
    lanseek::skin::FrameZone m_pressedZone = lanseek::skin::FrameZone::Client;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
    QRect m_dragRect;
    TSeSkinObject* m_hovered = nullptr;
    TSeSkinObject* m_pressed = nullptr;
    QTimer m_hoverTimer;
    QRubberBand* m_outline = nullptr;
    bool m_gripDrag = false; // a drag that began on a status bar's size grip
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<QMenu> m_builtInMenu;
    TSeSizeConstraints m_ownerConstraints; // the constraints last taken from the owner
    // The application's other windows that the frame minimized with its own, to restore with it.
    std::vector<QPointer<QWidget>> m_minimizedWithApplication;
};
