#include "controls_test_support.h"

#include "skin/controls/se_progress_bar.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

TEST(ProgressFraction, OutOfRangeAndNegativeMinimumAreEmpty)
{
    EXPECT_EQ(TSeSkinProgressBar::fraction(0, 100, 150), 0.0);
    EXPECT_EQ(TSeSkinProgressBar::fraction(0, 100, -1), 0.0);
    EXPECT_EQ(TSeSkinProgressBar::fraction(-10, 100, 50), 0.0);
    EXPECT_EQ(TSeSkinProgressBar::fraction(-10, 100, -10), 0.0);
    EXPECT_EQ(TSeSkinProgressBar::fraction(5, 5, 5), 0.0);
    EXPECT_EQ(TSeSkinProgressBar::fraction(0, 100, 100), 1.0);
    EXPECT_DOUBLE_EQ(TSeSkinProgressBar::fraction(10, 110, 35), 0.25);
    // Wide ranges do not overflow.
    EXPECT_DOUBLE_EQ(TSeSkinProgressBar::fraction(0, 2147483647, 2147483647), 1.0);
}

namespace {

// Counts its paints, so that a test can tell an immediate repaint from a later one.
class CountingBar : public TSeSkinProgressBar
{
public:
    using TSeSkinProgressBar::TSeSkinProgressBar;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        TSeSkinProgressBar::paintEvent(event);
    }
};

} // namespace

class SkinnedProgress : public ::testing::TestWithParam<int>
{
protected:
    std::unique_ptr<TSeSkinEngine> engine = embeddedEngine(GetParam());
    QWidget host;
    void SetUp() override { host.resize(300, 60); }
};

TEST_P(SkinnedProgress, BarLengthIsTheRoundedShareOfTheContent)
{
    TSeSkinProgressBar bar(&host);
    bar.setGeometry(10, 10, 208, 16);
    bar.setSkinEngine(engine.get());
    ASSERT_TRUE(bar.isSkinned());
    EXPECT_TRUE(bar.Transparent());
    EXPECT_EQ(bar.BorderWidth(), 0);
    const TSeSkinObject* frame = masterPart(*engine, "ProgressBar/Frame");
    ASSERT_NE(frame, nullptr);
    const QRect content = bar.contentRect();
    EXPECT_EQ(content, bar.rect().adjusted(frame->MarginLeft, frame->MarginTop, -frame->MarginRight,
                                           -frame->MarginBottom));
    bar.setPosition(1);
    bar.setMax(3);
    EXPECT_EQ(bar.barRect().width(), int(std::lround(content.width() / 3.0)));
    bar.setMax(100);
    bar.setPosition(50);
    EXPECT_EQ(bar.barRect(),
              QRect(content.left(), content.top(), (content.width() + 1) / 2, content.height()));

    // Half full: the bar object is drawn over the left half of the content, the frame over the rest.
    QImage grab = grabOf(bar);
    const QRect filled = bar.barRect();
    EXPECT_EQ(mismatches(grab, toolRender(*engine, "ProgressBar/BarHorz", filled.size(), 0),
                         QRect(QPoint(), filled.size()), filled.topLeft()),
              0);
    const TSeBitmap empty = toolRender(*engine, "ProgressBar/Frame", bar.size(), 0);
    EXPECT_EQ(
        mismatches(grab, empty, QRect(filled.right() + 1, 0, bar.width() - filled.right() - 1, bar.height())),
        0);

    // Above the maximum, and with a negative minimum, the bar is empty: the grab is the bare frame.
    bar.setPosition(150);
    EXPECT_EQ(bar.Position(), 150); // stored unchanged
    EXPECT_TRUE(bar.barRect().isEmpty());
    EXPECT_EQ(mismatches(grabOf(bar), empty, bar.rect()), 0);
    bar.setMin(-10);
    bar.setPosition(50);
    EXPECT_TRUE(bar.barRect().isEmpty());
    EXPECT_EQ(mismatches(grabOf(bar), empty, bar.rect()), 0);
    EXPECT_FALSE(hasKeyPixels(grabOf(bar)));
}

TEST_P(SkinnedProgress, ChangedShareRepaintsAtOnce)
{
    CountingBar bar(&host);
    bar.setGeometry(10, 10, 200, 16);
    bar.setSkinEngine(engine.get());
    host.show();
    QApplication::processEvents();
    const int before = bar.paints;
    bar.setPosition(40);
    EXPECT_EQ(bar.paints, before + 1); // painted before returning, without the event loop
    bar.setPosition(40);
    EXPECT_EQ(bar.paints, before + 1);
    bar.setPosition(150);
    const int empty = bar.paints;
    bar.setPosition(160); // still empty: the share is the same
    EXPECT_EQ(bar.paints, empty);
    host.hide();
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SkinnedProgress, ::testing::Values(1, 2));
