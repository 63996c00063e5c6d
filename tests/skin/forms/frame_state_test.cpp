#include "skin/forms/frame_state.h"

#include <gtest/gtest.h>

using namespace lanseek::skin;
using Kind = FrameStep::Kind;

namespace {

const QRect kNormal(100, 80, 700, 640); // 40 pixels of frame above a 600-pixel client area
const QRect kMaximized(0, 0, 1280, 994);
const QRect kWork(0, 0, 1280, 994);

FrameContext at(const QRect& window, int clientHeight = 600, bool minimizeApplication = true)
{
    FrameContext c;
    c.window = window;
    c.clientHeight = clientHeight;
    c.maximized = kMaximized;
    c.workArea = kWork;
    c.minimizeApplication = minimizeApplication;
    return c;
}

FrameStep setBounds(const QRect& r)
{
    return {Kind::SetBounds, r};
}
FrameStep only(Kind k)
{
    return {k, {}};
}

} // namespace

TEST(FrameStates, MaximizeSavesTheNormalBoundsAndRestoreBringsThemBack)
{
    FrameStateMachine m;
    EXPECT_EQ(m.maximize(at(kNormal)), FrameSteps{setBounds(kMaximized)});
    EXPECT_EQ(m.state(), kwsMaximized);
    EXPECT_EQ(m.previousState(), kwsNormal);
    EXPECT_EQ(m.savedBounds(), kNormal);
    // Maximize again toggles back.
    EXPECT_EQ(m.maximize(at(kMaximized, 954)), FrameSteps{setBounds(kNormal)});
    EXPECT_EQ(m.state(), kwsNormal);
}

TEST(FrameStates, RollUpKeepsTheCaptionBandAndRestoresAtTheNewPosition)
{
    FrameStateMachine m;
    EXPECT_EQ(m.rollUp(at(kNormal)), FrameSteps{setBounds(QRect(100, 80, 700, 40))});
    EXPECT_EQ(m.state(), kwsRollup);
    // The rolled-up window was moved; restoring keeps the new place with the old size.
    EXPECT_EQ(m.restore(at(QRect(300, 200, 700, 40), 0)), FrameSteps{setBounds(QRect(300, 200, 700, 640))});
    EXPECT_EQ(m.state(), kwsNormal);
}

TEST(FrameStates, RestoringARolledUpWindowAsWideAsTheScreenMaximizes)
{
    FrameStateMachine m;
    m.maximize(at(kNormal));
    m.rollUp(at(kMaximized, 954));
    EXPECT_EQ(m.previousState(), kwsMaximized);
    EXPECT_EQ(m.restore(at(QRect(0, 0, 1280, 40), 0)), FrameSteps{setBounds(kMaximized)});
    EXPECT_EQ(m.state(), kwsMaximized);
}

TEST(FrameStates, RestoringMaximizedAfterRollUpRollsUpAgain)
{
    FrameStateMachine m;
    m.rollUp(at(kNormal));
    m.maximize(at(QRect(100, 80, 700, 40), 0));
    EXPECT_EQ(m.previousState(), kwsRollup);
    const FrameSteps steps = m.restore(at(kMaximized, 954));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], setBounds(kNormal));
    EXPECT_EQ(steps[1], setBounds(QRect(100, 80, 700, 40)));
    EXPECT_EQ(m.state(), kwsRollup);
}

TEST(FrameStates, MinimizeHandsOverToTheApplicationOrTakesTheMinimizedRectangle)
{
    FrameStateMachine app;
    EXPECT_EQ(app.minimize(at(kNormal)), FrameSteps{only(Kind::MinimizeApplication)});
    EXPECT_EQ(app.state(), kwsMinimized);
    EXPECT_EQ(app.restore(at(kNormal)), (FrameSteps{only(Kind::RestoreApplication), setBounds(kNormal)}));
    EXPECT_EQ(app.state(), kwsNormal);

    FrameStateMachine own;
    EXPECT_EQ(own.minimize(at(kNormal, 600, false)), FrameSteps{setBounds(QRect(0, 954, 160, 40))});
    EXPECT_EQ(own.minimize(at(QRect(0, 954, 160, 40), 0, false)), FrameSteps{setBounds(kNormal)});
    EXPECT_EQ(own.state(), kwsNormal);
}

TEST(FrameStates, MinimizedComesBackToTheStateItLeft)
{
    FrameStateMachine m;
    m.maximize(at(kNormal));
    m.minimize(at(kMaximized, 954));
    EXPECT_EQ(m.restore(at(kMaximized, 954)), FrameSteps{only(Kind::RestoreApplication)});
    EXPECT_EQ(m.state(), kwsMaximized);
}

TEST(FrameStates, TheTrayHidesTheWindowAndRestoringShowsItAgain)
{
    FrameStateMachine m;
    EXPECT_EQ(m.minimizeToTray(at(kNormal)), (FrameSteps{only(Kind::HideWindow), only(Kind::AddTrayIcon)}));
    EXPECT_EQ(m.state(), kwsTray);
    // Asking for the tray again restores.
    EXPECT_EQ(m.minimizeToTray(at(kNormal)),
              (FrameSteps{only(Kind::ShowWindow), only(Kind::RemoveTrayIcon), setBounds(kNormal)}));
    EXPECT_EQ(m.state(), kwsNormal);
}

TEST(FrameStates, FromTheTrayARolledUpWindowStaysRolledUp)
{
    FrameStateMachine m;
    m.rollUp(at(kNormal));
    m.minimizeToTray(at(QRect(100, 80, 700, 40), 0));
    EXPECT_EQ(m.restore(at(QRect(100, 80, 700, 40), 0)),
              (FrameSteps{only(Kind::ShowWindow), only(Kind::RemoveTrayIcon)}));
    EXPECT_EQ(m.state(), kwsRollup);
    // And from there the normal size comes back.
    EXPECT_EQ(m.restore(at(QRect(100, 80, 700, 40), 0)), FrameSteps{setBounds(kNormal)});
}

TEST(FrameStates, MaximizingFromTheTrayShowsTheWindow)
{
    FrameStateMachine m;
    m.minimizeToTray(at(kNormal));
    EXPECT_EQ(m.maximize(at(kNormal)),
              (FrameSteps{only(Kind::ShowWindow), only(Kind::RemoveTrayIcon), setBounds(kMaximized)}));
    EXPECT_EQ(m.previousState(), kwsTray);
}

TEST(FrameStates, AModalWindowNeitherMinimizesNorGoesToTheTray)
{
    FrameStateMachine m;
    FrameContext modal = at(kNormal);
    modal.modal = true;
    EXPECT_TRUE(m.minimize(modal).empty());
    EXPECT_TRUE(m.minimizeToTray(modal).empty());
    EXPECT_EQ(m.state(), kwsNormal);
}

TEST(FrameStates, ObjectStatesForEachWindowState)
{
    EXPECT_EQ(FrameStateMachine::objectState(kwsNormal), 0);
    EXPECT_EQ(FrameStateMachine::objectState(kwsMaximized), 2);
    EXPECT_EQ(FrameStateMachine::objectState(kwsMinimized), 3);
    EXPECT_EQ(FrameStateMachine::objectState(kwsRollup), 4);
    EXPECT_EQ(FrameStateMachine::objectState(kwsTray), 3);
}

TEST(FrameStates, TheDesktopMinimizingAndRestoringIsFollowed)
{
    FrameStateMachine m;
    m.maximize(at(kNormal));
    m.noteApplicationMinimized(at(kMaximized, 954));
    EXPECT_EQ(m.state(), kwsMinimized);
    EXPECT_EQ(m.previousState(), kwsMaximized);
    // Restored by the desktop: back to maximized without asking the application again.
    EXPECT_TRUE(m.noteApplicationRestored(at(kMaximized, 954)).empty());
    EXPECT_EQ(m.state(), kwsMaximized);
    // A window in the tray is not made minimized, and a restore of a window that is not minimized
    // changes nothing.
    FrameStateMachine tray;
    tray.minimizeToTray(at(kNormal));
    tray.noteApplicationMinimized(at(kNormal));
    EXPECT_EQ(tray.state(), kwsTray);
    EXPECT_TRUE(tray.noteApplicationRestored(at(kNormal)).empty());
    EXPECT_EQ(tray.state(), kwsTray);
    // From normal, the normal bounds come back.
    FrameStateMachine normal;
    normal.noteApplicationMinimized(at(kNormal));
    EXPECT_EQ(normal.noteApplicationRestored(at(kNormal)), FrameSteps{setBounds(kNormal)});
    EXPECT_EQ(normal.state(), kwsNormal);
}

TEST(FrameStates, RestoreFromMaximizedAfterMinimizedReturnsToNormal)
{
    for (const bool application : {true, false}) {
        FrameStateMachine m;
        m.minimize(at(kNormal, 600, application));
        m.maximize(at(kNormal, 600, application));
        EXPECT_EQ(m.restore(at(kMaximized, 954, application)), FrameSteps{setBounds(kNormal)});
        EXPECT_EQ(m.state(), kwsNormal);
    }
}
