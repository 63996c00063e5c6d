#include "skin/forms/frame_geometry.h"
#include "skin/skin_objects.h"

#include <QRegion>
#include <gtest/gtest.h>

#include <memory>

using namespace lanseek::skin;

namespace {

std::unique_ptr<TSeSkinObject> part(TSeKind kind, const QRect& bounds)
{
    auto o = std::make_unique<TSeSkinObject>();
    o->Kind = kind;
    o->setBounds(bounds);
    return o;
}

// A 300 × 200 window: 4-pixel edges, 8-pixel corners, a 24-pixel caption with one caption button and a
// plain decoration in it, and the client area inside.
std::unique_ptr<TSeSkinObject> formTree(bool withClient = true, QRect client = QRect(4, 28, 292, 168))
{
    auto form = part(skForm, QRect(0, 0, 300, 200));
    auto caption = part(skCaption, QRect(4, 4, 292, 24));
    caption->addChild(part(skSysButton, QRect(270, 6, 20, 18)));
    caption->addChild(part(skNone, QRect(10, 8, 16, 16)));
    form->addChild(std::move(caption));
    form->addChild(part(skLeft, QRect(0, 8, 4, 184)));
    form->addChild(part(skRight, QRect(296, 8, 4, 184)));
    form->addChild(part(skTop, QRect(8, 0, 284, 4)));
    form->addChild(part(skBottom, QRect(8, 196, 284, 4)));
    form->addChild(part(skTopLeft, QRect(0, 0, 8, 8)));
    form->addChild(part(skTopRight, QRect(292, 0, 8, 8)));
    form->addChild(part(skBottomLeft, QRect(0, 192, 8, 8)));
    form->addChild(part(skBottomRight, QRect(292, 192, 8, 8)));
    if (withClient)
        form->addChild(part(skClient, client));
    return form;
}

} // namespace

TEST(FrameClientRect, IsTheClientObjectWhenItStandsInsideTheFrame)
{
    auto tree = formTree();
    EXPECT_EQ(frameClientRect(tree.get(), {300, 200}, kbsStandard), QRect(4, 28, 292, 168));
}

TEST(FrameClientRect, IsTheWholeWindowWhenTheFormHasNoClientObject)
{
    auto tree = formTree(false);
    EXPECT_EQ(frameClientRect(tree.get(), {300, 200}, kbsToolWindow), QRect(0, 0, 300, 200));
}

TEST(FrameClientRect, FallsBackToThePlainFrameForAClientObjectAtAnEdge)
{
    auto atLeft = formTree(true, QRect(0, 28, 300, 172));
    const PlainFrameMetrics m = plainFrameMetrics(kbsStandard);
    const QRect plain(m.border, m.border + m.caption, 300 - 2 * m.border, 200 - 2 * m.border - m.caption);
    EXPECT_EQ(frameClientRect(atLeft.get(), {300, 200}, kbsStandard), plain);
    auto atTop = formTree(true, QRect(4, 0, 292, 196));
    EXPECT_EQ(frameClientRect(atTop.get(), {300, 200}, kbsStandard), plain);
    EXPECT_EQ(frameClientRect(nullptr, {300, 200}, kbsStandard), plain);
}

TEST(FrameClientRect, WindowsWithoutBorderAreAllClient)
{
    auto tree = formTree();
    EXPECT_EQ(frameClientRect(tree.get(), {300, 200}, kbsNone), QRect(0, 0, 300, 200));
    EXPECT_EQ(frameClientRect(nullptr, {300, 200}, kbsNone), QRect(0, 0, 300, 200));
}

TEST(FramePieces, CoverTheWindowAroundTheClientAreaAndNothingElse)
{
    const QSize window(300, 200);
    for (const QRect& client : {QRect(4, 28, 292, 168), QRect(0, 28, 300, 172), QRect(4, 0, 292, 200),
                                QRect(290, 190, 40, 40), QRect(0, 0, 300, 200)}) {
        const std::vector<QRect> pieces = framePieces(window, client);
        QRegion covered;
        for (const QRect& piece : pieces) {
            EXPECT_FALSE(piece.isEmpty());
            EXPECT_FALSE(covered.intersects(piece)) << "pieces overlap";
            EXPECT_FALSE(piece.intersects(client));
            covered += piece;
        }
        EXPECT_EQ(covered, QRegion(0, 0, 300, 200).subtracted(QRegion(client)))
            << client.x() << "," << client.y();
    }
    // The usual frame: the caption band, the bottom edge, then the left and right edges.
    EXPECT_EQ(framePieces(window, QRect(4, 28, 292, 168)),
              (std::vector<QRect>{{0, 0, 300, 28}, {0, 196, 300, 4}, {0, 28, 4, 168}, {296, 28, 4, 168}}));
    // A client area outside the window, or none: the whole window is frame.
    EXPECT_EQ(framePieces(window, QRect(400, 0, 10, 10)), std::vector<QRect>{QRect(0, 0, 300, 200)});
    EXPECT_EQ(framePieces(window, QRect()), std::vector<QRect>{QRect(0, 0, 300, 200)});
    EXPECT_TRUE(framePieces(QSize(0, 10), QRect(0, 0, 5, 5)).empty());
}

TEST(FrameZones, FollowTheKindOfTheObjectUnderThePoint)
{
    auto tree = formTree();
    const TSeFormDragging dragging;
    EXPECT_EQ(frameZoneAt(tree.get(), {100, 10}, dragging, false), FrameZone::Caption);
    EXPECT_EQ(frameZoneAt(tree.get(), {12, 10}, dragging, false), FrameZone::Caption); // the decoration
    EXPECT_EQ(frameZoneAt(tree.get(), {275, 10}, dragging, false), FrameZone::CaptionButton);
    EXPECT_EQ(frameZoneAt(tree.get(), {1, 100}, dragging, false), FrameZone::Left);
    EXPECT_EQ(frameZoneAt(tree.get(), {298, 100}, dragging, false), FrameZone::Right);
    EXPECT_EQ(frameZoneAt(tree.get(), {100, 1}, dragging, false), FrameZone::Top);
    EXPECT_EQ(frameZoneAt(tree.get(), {100, 198}, dragging, false), FrameZone::Bottom);
    EXPECT_EQ(frameZoneAt(tree.get(), {1, 1}, dragging, false), FrameZone::TopLeft);
    EXPECT_EQ(frameZoneAt(tree.get(), {298, 1}, dragging, false), FrameZone::TopRight);
    EXPECT_EQ(frameZoneAt(tree.get(), {1, 198}, dragging, false), FrameZone::BottomLeft);
    EXPECT_EQ(frameZoneAt(tree.get(), {298, 198}, dragging, false), FrameZone::BottomRight);
    EXPECT_EQ(frameZoneAt(tree.get(), {150, 100}, dragging, false), FrameZone::Client);
    EXPECT_EQ(frameZoneAt(tree.get(), {400, 100}, dragging, false), FrameZone::Client);
}

TEST(FrameZones, DraggingOptionsAndMaximizingTurnZonesIntoClient)
{
    auto tree = formTree();
    TSeFormDragging fixed;
    fixed.Moveable = false;
    fixed.Sizeable = false;
    EXPECT_EQ(frameZoneAt(tree.get(), {100, 10}, fixed, false), FrameZone::Client);
    EXPECT_EQ(frameZoneAt(tree.get(), {1, 100}, fixed, false), FrameZone::Client);
    EXPECT_EQ(frameZoneAt(tree.get(), {275, 10}, fixed, false), FrameZone::CaptionButton);

    const TSeFormDragging dragging;
    EXPECT_EQ(frameZoneAt(tree.get(), {298, 198}, dragging, true), FrameZone::Client);
    EXPECT_EQ(frameZoneAt(tree.get(), {100, 10}, dragging, true), FrameZone::Caption);
}

TEST(FrameZones, AStatusBarGripIsTheBottomRightCorner)
{
    auto tree = formTree();
    const QRect grip(280, 180, 14, 14);
    const TSeFormDragging dragging;
    EXPECT_EQ(frameZoneAt(tree.get(), {285, 185}, dragging, false, grip), FrameZone::BottomRight);
    EXPECT_EQ(frameZoneAt(tree.get(), {285, 185}, dragging, true, grip), FrameZone::Client);
    EXPECT_EQ(frameZoneAt(tree.get(), {250, 185}, dragging, false, grip), FrameZone::Client);
}

TEST(FrameSnapping, AnEdgeCloserThanTheGravitationSizeSnaps)
{
    const QRect area(0, 0, 1280, 1000);
    EXPECT_EQ(snapToArea(QRect(19, 300, 400, 300), area, 20).topLeft(), QPoint(0, 300));
    EXPECT_EQ(snapToArea(QRect(20, 300, 400, 300), area, 20).topLeft(), QPoint(20, 300));
    EXPECT_EQ(snapToArea(QRect(-19, 300, 400, 300), area, 20).topLeft(), QPoint(0, 300));
    EXPECT_EQ(snapToArea(QRect(500, 19, 400, 300), area, 20).topLeft(), QPoint(500, 0));
    // Right and bottom edges.
    EXPECT_EQ(snapToArea(QRect(1280 - 400 - 19, 300, 400, 300), area, 20).x(), 880);
    EXPECT_EQ(snapToArea(QRect(1280 - 400 - 20, 300, 400, 300), area, 20).x(), 860);
    EXPECT_EQ(snapToArea(QRect(500, 1000 - 300 - 5, 400, 300), area, 20).y(), 700);
}

TEST(FrameSnapping, LeftWinsOverRightAndTopOverBottom)
{
    // A window nearly as large as the area is near both edges: the left and top ones win.
    const QRect area(0, 0, 1000, 800);
    EXPECT_EQ(snapToArea(QRect(10, 10, 985, 785), area, 20).topLeft(), QPoint(0, 0));
}

TEST(FrameSnapping, TheShadowMayHangOverTheRightAndBottomEdges)
{
    const QRect area(0, 0, 1000, 800);
    EXPECT_EQ(snapToArea(QRect(590, 100, 404, 304), area, 20, 4).x(), 600);
    EXPECT_EQ(snapToArea(QRect(100, 490, 404, 304), area, 20, 4).y(), 500);
}

TEST(FrameSizing, EdgesFollowTheMouseDownToTheMinimumSize)
{
    const QRect start(100, 100, 400, 300);
    const QSize minimum = frameMinimumSize({});
    EXPECT_EQ(minimum, QSize(150, 40));
    EXPECT_EQ(resizedRect(start, FrameZone::Right, {50, 0}, minimum), QRect(100, 100, 450, 300));
    EXPECT_EQ(resizedRect(start, FrameZone::Left, {-30, 0}, minimum), QRect(70, 100, 430, 300));
    // The left edge stops where the window would be narrower than 150: its right edge stays put.
    EXPECT_EQ(resizedRect(start, FrameZone::Left, {400, 0}, minimum), QRect(350, 100, 150, 300));
    EXPECT_EQ(resizedRect(start, FrameZone::Right, {-400, 0}, minimum), QRect(100, 100, 150, 300));
    EXPECT_EQ(resizedRect(start, FrameZone::Top, {0, 500}, minimum), QRect(100, 360, 400, 40));
    EXPECT_EQ(resizedRect(start, FrameZone::BottomRight, {-1000, -1000}, minimum), QRect(100, 100, 150, 40));
    EXPECT_EQ(resizedRect(start, FrameZone::TopLeft, {10, 20}, minimum), QRect(110, 120, 390, 280));
}

TEST(FrameSizing, ConstraintsReplaceTheLimits)
{
    TSeSizeConstraints constraints;
    constraints.MinWidth = 300;
    constraints.MaxHeight = 350;
    const QSize minimum = frameMinimumSize(constraints);
    const QSize maximum = frameMaximumSize(constraints, {1280, 1000});
    EXPECT_EQ(minimum, QSize(300, 40));
    EXPECT_EQ(maximum, QSize(1280, 350));
    const QRect start(100, 100, 400, 300);
    EXPECT_EQ(resizedRect(start, FrameZone::Right, {-200, 0}, minimum, maximum).width(), 300);
    EXPECT_EQ(resizedRect(start, FrameZone::Bottom, {0, 200}, minimum, maximum).height(), 350);
    EXPECT_EQ(resizedRect(start, FrameZone::Top, {0, -200}, minimum, maximum), QRect(100, 50, 400, 350));
}

TEST(FrameStateRects, MaximizedRolledUpAndMinimized)
{
    const QRect work(0, 0, 1280, 994);
    const QRect monitor(0, 0, 1280, 1024);
    EXPECT_EQ(maximizedRect(work, monitor, false), work);
    EXPECT_EQ(maximizedRect(work, monitor, true), monitor);
    EXPECT_EQ(rolledUpRect(QRect(50, 60, 700, 640), 600), QRect(50, 60, 700, 40));
    EXPECT_EQ(minimizedRect(QRect(50, 60, 700, 640), 600, work, 160), QRect(0, 954, 160, 40));
}
