#include "controls_test_support.h"

#include "skin/controls/se_skinned_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// A bare control over the shared base that counts how often it is painted and how often the skin is
// drawn, so that the base's own choices can be seen without any control family's painting.
template <SkinnedPaint kPaint> class Probe : public SkinnedWidget<QWidget, kPaint>
{
public:
    Probe() : SkinnedWidget<QWidget, kPaint>("Button") { this->resize(40, 20); }
    using SkinnedWidget<QWidget, kPaint>::repaintOn;
    int paints = 0;
    int skinDraws = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        SkinnedWidget<QWidget, kPaint>::paintEvent(event);
    }
    void drawSkin(TSeCanvas& canvas) override
    {
        (void)canvas;
        ++skinDraws;
    }
};

// Runs the event loop until the probe has been painted again, or a second has passed.
template <class P> bool paintedAgain(P& probe)
{
    const int before = probe.paints;
    QElapsedTimer timer;
    timer.start();
    while (probe.paints == before && timer.elapsed() < 1000)
        QApplication::processEvents();
    return probe.paints != before;
}

} // namespace

TEST(SkinnedBase, DrawsTheSkinOnlyWhileSkinnedAndOnlyWhenItPaintsTheWidget)
{
    auto engine = embeddedEngine(1);
    Probe<SkinnedPaint::Widget> painted;
    Probe<SkinnedPaint::Own> own;
    (void)grabOf(painted);
    EXPECT_EQ(painted.skinDraws, 0);

    painted.setSkinEngine(engine.get());
    own.setSkinEngine(engine.get());
    ASSERT_TRUE(painted.isSkinned());
    ASSERT_TRUE(own.isSkinned());
    (void)grabOf(painted);
    (void)grabOf(own);
    EXPECT_EQ(painted.skinDraws, 1);
    EXPECT_EQ(own.skinDraws, 0);
    EXPECT_GT(own.paints, 0);

    painted.setSkinObject(QStringLiteral("NoSuchObject"));
    EXPECT_FALSE(painted.isSkinned());
    (void)grabOf(painted);
    EXPECT_EQ(painted.skinDraws, 1);
}

TEST(SkinnedBase, RepaintsAfterTheEventsItNamesOnly)
{
    Probe<SkinnedPaint::Widget> probe;
    probe.repaintOn({QEvent::ToolTipChange});
    probe.show();
    ASSERT_TRUE(paintedAgain(probe));
    QApplication::processEvents();

    QEvent named(QEvent::ToolTipChange);
    QApplication::sendEvent(&probe, &named);
    EXPECT_TRUE(paintedAgain(probe));

    QEvent other(QEvent::StatusTip);
    QApplication::sendEvent(&probe, &other);
    EXPECT_FALSE(paintedAgain(probe));
}

TEST(SkinnedBase, PartOrCopyAndEnabledStateFallBackAsDocumented)
{
    auto engine = embeddedEngine(1);
    Probe<SkinnedPaint::Widget> probe;
    probe.setSkinEngine(engine.get());
    ASSERT_TRUE(probe.isSkinned());
    EXPECT_EQ(probe.skinPartOrCopy("Face"), probe.skinPart("Face"));
    EXPECT_NE(probe.skinPartOrCopy("Face"), nullptr);
    EXPECT_EQ(probe.skinPartOrCopy("NoSuchPart"), probe.skinCopy());

    EXPECT_EQ(probe.enabledState(), StateNormal);
    probe.setEnabled(false);
    EXPECT_EQ(probe.enabledState(), StateDisabled);
}
