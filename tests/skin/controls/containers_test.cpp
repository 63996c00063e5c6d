#include "controls_test_support.h"

#include "skin/controls/se_label.h"
#include "skin/controls/se_panel.h"
#include "skin/controls/se_speed_button.h"
#include "skin/controls/se_status_bar.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

class SkinnedContainers : public ::testing::TestWithParam<int>
{
protected:
    std::unique_ptr<TSeSkinEngine> engine = embeddedEngine(GetParam());
    QWidget host;
    void SetUp() override { host.resize(600, 400); }
};

TEST_P(SkinnedContainers, PanelDrawsFrameCaptionStripAndTitle)
{
    TSeSkinPanel panel(QStringLiteral("下载"), &host);
    panel.setGeometry(10, 10, 300, 200);
    panel.setShowCaption(true);
    panel.setSkinEngine(engine.get());
    ASSERT_TRUE(panel.isSkinned());
    EXPECT_TRUE(panel.Transparent()); // the frame's corners are masked
    const TSeSkinObject* caption = masterPart(*engine, "Panel/Caption");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(panel.captionHeight(), caption->height());

    const QImage grab = grabOf(panel);
    const QSize strip(panel.width(), panel.captionHeight());
    const TSeBitmap bare = toolRender(*engine, "Panel/Caption", strip, 0);
    // The strip's right half carries no text: it is the caption object exactly.
    EXPECT_EQ(mismatches(grab, bare, QRect(strip.width() / 2, 0, strip.width() / 2, strip.height())), 0);
    // The left part carries the title, so it differs from the bare strip.
    EXPECT_GT(mismatches(grab, bare, QRect(0, 0, 60, strip.height())), 0);
    const TSeBitmap frame = toolRender(*engine, "Panel/Frame", panel.size(), 0);
    EXPECT_EQ(
        mismatches(grab, frame, QRect(0, strip.height(), panel.width(), panel.height() - strip.height())), 0);
    EXPECT_FALSE(hasKeyPixels(grab));
}

TEST_P(SkinnedContainers, PanelRollButtonRollsAndShowsOnlyWhenAsked)
{
    TSeSkinPanel panel(QStringLiteral("贺卡内容"), &host);
    panel.setGeometry(10, 10, 300, 200);
    panel.setShowCaption(true);
    panel.setSkinEngine(engine.get());
    EXPECT_TRUE(panel.rollButtonRect().isEmpty());
    panel.setShowRollButton(true);
    const QRect button = panel.rollButtonRect();
    ASSERT_FALSE(button.isEmpty());
    const QImage grab = grabOf(panel);
    EXPECT_EQ(mismatches(grab, toolRender(*engine, "Panel/ButtonRollup", button.size(), 0),
                         QRect(QPoint(), button.size()), button.topLeft()),
              0);
    panel.setRolledUp(true);
    EXPECT_EQ(panel.height(), panel.captionHeight() + 2);
    panel.setRolledUp(false);
    EXPECT_EQ(panel.height(), 200);
}

TEST_P(SkinnedContainers, ToolBarBackgroundShowsUnderItsFlatButtons)
{
    TSeSkinToolBar bar(&host);
    bar.setGeometry(0, 0, 200, 28);
    bar.setSkinEngine(engine.get());
    auto* button = new TSeSkinSpeedButton(QStringLiteral("男"), &bar);
    button->resize(26, 24);
    bar.addControl(button);
    button->setSkinEngine(engine.get());
    const QImage grab = grabOf(bar);
    const TSeBitmap render = toolRender(*engine, "Toolbar/Frame", bar.size(), 0);
    // Beside the button, and through the button's clear idle face, the bar's own frame shows.
    EXPECT_EQ(mismatches(grab, render, QRect(40, 0, 160, 28)), 0);
    EXPECT_EQ(mismatches(grab, render, QRect(button->x() + 1, 12, 1, 1)), 0);
    EXPECT_FALSE(hasKeyPixels(grab));
}

TEST_P(SkinnedContainers, StatusBarPanelsLieOverFrameThenPanel)
{
    TSeSkinStatusBar bar({150, 100, 80, 50}, &host);
    bar.setGeometry(0, 0, 600, 22);
    bar.setSkinEngine(engine.get());
    ASSERT_TRUE(bar.isSkinned());
    bar.setPanelText(1, QStringLiteral("总耗时"));
    EXPECT_EQ(bar.panelText(1), QStringLiteral("总耗时"));
    EXPECT_EQ(bar.panel(1)->accessibleName(), QStringLiteral("总耗时"));
    // The host is resizable, so the grip shows; a fixed-size window has none.
    EXPECT_FALSE(bar.gripRect().isEmpty());
    host.setFixedSize(host.size());
    EXPECT_TRUE(bar.gripRect().isEmpty());

    const QImage grab = grabOf(bar);
    const TSeBitmap frame = toolRender(*engine, "StatusBar/Frame", bar.size(), 0);
    const QRect last = bar.panel(3)->geometry();
    EXPECT_EQ(
        mismatches(grab, frame, QRect(last.right() + 1, 0, bar.width() - last.right() - 1, bar.height())), 0);
    // The left edge of a panel is the panel object's separator line.
    const QRect first = bar.panel(0)->geometry();
    const TSeBitmap panel = toolRender(*engine, "StatusBar/Panel", first.size(), 0);
    EXPECT_EQ(mismatches(grab, panel, QRect(0, 0, 2, first.height()), first.topLeft()), 0);
    EXPECT_FALSE(hasKeyPixels(grab));
}

TEST_P(SkinnedContainers, LabelWithoutALabelObjectKeepsItsOwnLook)
{
    TSeSkinLabel label(QStringLiteral("预览"), &host);
    QPalette own = label.palette();
    own.setColor(QPalette::WindowText, QColor(0x12, 0x34, 0x56));
    label.setPalette(own);
    QFont font = label.font();
    font.setPixelSize(17);
    label.setFont(font);
    label.setSkinEngine(engine.get());
    EXPECT_EQ(label.SkinObject(), QStringLiteral("Label"));
    EXPECT_FALSE(label.isSkinned()); // neither skin has "Label"
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(label.font().pixelSize(), 17);

    // Named after an object that exists, the label takes that object's font and colour, and gives
    // its own back when the object goes.
    label.setSkinObject(QStringLiteral("PopupMenu"));
    ASSERT_TRUE(label.isSkinned());
    const TSeSkinObject* menu = masterPart(*engine, "PopupMenu");
    EXPECT_EQ(label.palette().color(QPalette::WindowText), toQColor(menu->Font.Color));
    EXPECT_EQ(label.font().pixelSize(), menu->Font.toQFont().pixelSize());
    label.setSkinObject(QStringLiteral("Label"));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(label.font().pixelSize(), 17);
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SkinnedContainers, ::testing::Values(1, 2));
