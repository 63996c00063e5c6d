// A control that keeps its face between paints shows the new look as soon as the skin, its size or
// its state changes: its painting then equals that of a control of the same kind made after the change,
// which has nothing kept.

#include "controls_test_support.h"

#include "skin/controls/se_button.h"
#include "skin/controls/se_panel.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// How many pixels two paintings differ in; every pixel when their sizes differ.
int differing(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return std::max(a.width() * a.height(), b.width() * b.height());
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

class KeptFace : public ::testing::TestWithParam<int>
{
protected:
    std::unique_ptr<TSeSkinEngine> engine = embeddedEngine(GetParam());
    QWidget host;
    void SetUp() override { host.resize(600, 400); }

    // A panel as the window has them: a caption strip and a button lying over the panel's painting.
    std::unique_ptr<TSeSkinPanel> panel(const QSize& size, const QString& caption = QStringLiteral("贺卡"))
    {
        auto made = std::make_unique<TSeSkinPanel>(caption, &host);
        made->setGeometry(QRect(QPoint(10, 10), size));
        made->setShowCaption(true);
        auto* button = new TSeSkinButton(QStringLiteral("预览"), made.get());
        button->setGeometry(20, 40, 85, 26);
        made->setSkinEngine(engine.get());
        button->setSkinEngine(engine.get());
        EXPECT_TRUE(made->isSkinned());
        return made;
    }
};

TEST_P(KeptFace, PanelFollowsAHueChangeItsSizeAndItsCaption)
{
    auto kept = panel(QSize(300, 200));
    const QImage before = grabOf(*kept);
    ASSERT_EQ(differing(grabOf(*kept), before), 0); // the second painting shows what was kept

    engine->setDeltaHue(engine->DeltaHue() + 120);
    const QImage hued = grabOf(*kept);
    EXPECT_GT(differing(hued, before), 0);
    EXPECT_EQ(differing(hued, grabOf(*panel(QSize(300, 200)))), 0);

    kept->resize(340, 180);
    EXPECT_EQ(differing(grabOf(*kept), grabOf(*panel(QSize(340, 180)))), 0);

    kept->setCaption(QStringLiteral("下载"));
    EXPECT_EQ(differing(grabOf(*kept), grabOf(*panel(QSize(340, 180), QStringLiteral("下载")))), 0);
}

TEST_P(KeptFace, ButtonFollowsItsStateAndFocus)
{
    TSeSkinButton kept(QStringLiteral("搜索"), &host);
    kept.setGeometry(10, 10, 88, 26);
    kept.setSkinEngine(engine.get());
    const QImage normal = grabOf(kept);
    ASSERT_EQ(differing(grabOf(kept), normal), 0);

    TSeSkinButton fresh(QStringLiteral("搜索"), &host);
    fresh.setGeometry(10, 50, 88, 26);
    fresh.setSkinEngine(engine.get());
    fresh.setEnabled(false);
    kept.setEnabled(false);
    EXPECT_EQ(differing(grabOf(kept), grabOf(fresh)), 0);

    kept.setEnabled(true);
    kept.setActiveDefault(true);
    TSeSkinButton focused(QStringLiteral("搜索"), &host);
    focused.setGeometry(10, 90, 88, 26);
    focused.setActiveDefault(true);
    focused.setSkinEngine(engine.get());
    EXPECT_EQ(differing(grabOf(kept), grabOf(focused)), 0);
    kept.setActiveDefault(false);
    EXPECT_EQ(differing(grabOf(kept), normal), 0);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, KeptFace, ::testing::Values(1, 2));

} // namespace
