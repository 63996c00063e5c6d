#include "controls_test_support.h"

#include "skin/controls/se_combo_box.h"
#include "skin/controls/se_edit.h"
#include "skin/controls/se_list_box.h"
#include "skin/controls/se_list_view.h"
#include "skin/controls/se_scroll_bar.h"

#include <QStyleOptionSlider>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// The outermost ring of pixels of a control against a render of its frame object.
int borderMismatches(QWidget& control, TSeSkinEngine& engine, const QByteArray& frame, int state,
                     int ring = 2)
{
    const QImage grab = grabOf(control);
    const TSeBitmap render = toolRender(engine, frame, control.size(), state);
    const int w = control.width(), h = control.height();
    return mismatches(grab, render, QRect(0, 0, w, ring)) +
           mismatches(grab, render, QRect(0, h - ring, w, ring)) +
           mismatches(grab, render, QRect(0, 0, ring, h)) +
           mismatches(grab, render, QRect(w - ring, 0, ring, h));
}

} // namespace

class SkinnedFrames : public ::testing::TestWithParam<int>
{
protected:
    std::unique_ptr<TSeSkinEngine> engine = embeddedEngine(GetParam());
    QWidget host;
    void SetUp() override { host.resize(400, 300); }
};

TEST_P(SkinnedFrames, EditFrameFollowsFocusAndEnabling)
{
    TSeSkinEdit edit(&host);
    edit.setGeometry(10, 10, 160, 24);
    edit.setText(QStringLiteral("歌手"));
    edit.setSkinEngine(engine.get());
    ASSERT_TRUE(edit.isSkinned());
    EXPECT_FALSE(edit.hasFrame()); // the skin's frame replaces the plain one
    EXPECT_EQ(borderMismatches(edit, *engine, "Edit/Frame", 0), 0);
    edit.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_EQ(edit.skinState(), 5);
    EXPECT_EQ(borderMismatches(edit, *engine, "Edit/Frame", 5), 0);
    edit.setAttribute(Qt::WA_UnderMouse, false);
    edit.setEnabled(false);
    EXPECT_EQ(borderMismatches(edit, *engine, "Edit/Frame", 8), 0);
    EXPECT_GT(borderMismatches(edit, *engine, "Edit/Frame", 0), 0);
    EXPECT_FALSE(hasKeyPixels(grabOf(edit)));

    // The text keeps working as before and the plain look comes back without the engine.
    edit.setSkinEngine(nullptr);
    EXPECT_TRUE(edit.hasFrame());
    EXPECT_EQ(edit.text(), QStringLiteral("歌手"));
}

TEST_P(SkinnedFrames, MemoHasATwoPixelSkinBorderAndSkinnedScrollBars)
{
    TSeSkinMemo memo(&host);
    memo.setGeometry(10, 10, 200, 100);
    memo.setSkinEngine(engine.get());
    ASSERT_TRUE(memo.isSkinned());
    EXPECT_EQ(memo.frameWidth(), 2);
    auto* bar = dynamic_cast<TSeSkinScrollBar*>(memo.verticalScrollBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isSkinned());
    EXPECT_EQ(borderMismatches(memo, *engine, "Edit/Frame", 0), 0);
    for (int i = 0; i < 30; ++i)
        memo.Add(QStringLiteral("第%1行").arg(i));
    EXPECT_EQ(memo.Lines().size(), 30);
    EXPECT_FALSE(hasKeyPixels(grabOf(memo)));
}

TEST_P(SkinnedFrames, ListViewBorderIsTheListBoxFrame)
{
    TSeSkinSListView list(&host);
    list.setGeometry(10, 10, 300, 150);
    list.setColumns({QString(), QStringLiteral("歌手名")}, {40, 120});
    list.appendRow({QStringLiteral("1"), 0, {QStringLiteral("歌")}});
    list.setSkinEngine(engine.get());
    ASSERT_TRUE(list.isSkinned());
    EXPECT_EQ(borderMismatches(list, *engine, "ListBox/Frame", 0, 1), 0);
    list.setEnabled(false);
    EXPECT_EQ(borderMismatches(list, *engine, "ListBox/Frame", 8, 1), 0);
    EXPECT_FALSE(hasKeyPixels(grabOf(list)));
    EXPECT_EQ(list.subItem(0, 0), QStringLiteral("歌"));
}

TEST_P(SkinnedFrames, ScrollBarDrawsItsArrowButtonsAndThumb)
{
    TSeSkinScrollBar bar(Qt::Vertical, &host);
    bar.setGeometry(10, 10, 16, 150);
    bar.setRange(0, 100);
    bar.setPageStep(20);
    bar.setSkinEngine(engine.get());
    ASSERT_TRUE(bar.isSkinned());
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Vertical;
    option.minimum = 0;
    option.maximum = 100;
    option.pageStep = 20;
    option.sliderPosition = option.sliderValue = 0;
    const QRect up =
        bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSubLine, &bar);
    const QRect thumb =
        bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
    ASSERT_FALSE(up.isEmpty());
    ASSERT_FALSE(thumb.isEmpty());
    const QImage grab = grabOf(bar);
    EXPECT_EQ(mismatches(grab, toolRender(*engine, "ScrollBar/TopButton", up.size(), 0),
                         QRect(QPoint(), up.size()), up.topLeft()),
              0);
    EXPECT_EQ(mismatches(grab, toolRender(*engine, "ScrollBar/VertSlider", thumb.size(), 0),
                         QRect(QPoint(), thumb.size()), thumb.topLeft()),
              0);
    bar.setEnabled(false);
    EXPECT_EQ(bar.partState(QStyle::SC_ScrollBarSubLine), 8);
}

TEST_P(SkinnedFrames, ComboBoxButtonHasTheButtonObjectsWidth)
{
    TSeSkinComboBox combo(&host);
    combo.setGeometry(10, 10, 140, 24);
    combo.addItems({QStringLiteral("MP3"), QStringLiteral("RM")});
    combo.setSkinEngine(engine.get());
    ASSERT_TRUE(combo.isSkinned());
    const TSeSkinObject* master = masterPart(*engine, "ComboBox/Button");
    ASSERT_NE(master, nullptr);
    const QRect button = combo.buttonRect();
    EXPECT_EQ(button.width(), master->width());
    EXPECT_EQ(button.right(), combo.width() - 1 - master->top());
    const QImage grab = grabOf(combo);
    EXPECT_EQ(mismatches(grab, toolRender(*engine, "ComboBox/Button", button.size(), 0),
                         QRect(QPoint(), button.size()), button.topLeft()),
              0);
    EXPECT_EQ(borderMismatches(combo, *engine, "ComboBox/Frame", 0, 1), 0);
    EXPECT_FALSE(hasKeyPixels(grab));
    // The drop-down list is a skinned list box on the same engine.
    EXPECT_EQ(combo.view(), combo.listBox());
    EXPECT_TRUE(combo.listBox()->isSkinned());
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("RM"));
}

TEST_P(SkinnedFrames, ComboBoxShowsItsPlaceholderUntilAnItemIsChosen)
{
    TSeSkinComboBox combo(&host);
    combo.setGeometry(10, 10, 140, 24);
    combo.setSkinEngine(engine.get());
    ASSERT_TRUE(combo.isSkinned());
    const QImage empty = grabOf(combo);
    combo.setPlaceholderText(QStringLiteral("字体类型"));
    combo.setCurrentIndex(-1);
    const QImage hinted = grabOf(combo);
    EXPECT_NE(hinted, empty); // the hint is drawn
    EXPECT_FALSE(hasKeyPixels(hinted));
    // An item list without a choice still shows the hint; a chosen item replaces it.
    combo.addItems({QStringLiteral("宋体"), QStringLiteral("黑体")});
    combo.setCurrentIndex(-1);
    EXPECT_EQ(grabOf(combo), hinted);
    combo.setCurrentIndex(0);
    EXPECT_NE(grabOf(combo), hinted);
}

TEST_P(SkinnedFrames, ListBoxDrawsItemsOverTheItemObject)
{
    TSeSkinListBox list(&host);
    list.setGeometry(10, 10, 160, 120);
    list.addItem(QStringLiteral("一"));
    list.addItem(QStringLiteral("二"));
    list.setSkinEngine(engine.get());
    ASSERT_TRUE(list.isSkinned());
    list.setItemIndex(1);
    EXPECT_EQ(list.Items(), QStringList({QStringLiteral("一"), QStringLiteral("二")}));
    const QRect second = list.visualRect(list.model()->index(1, 0)).translated(list.viewport()->pos());
    const QImage grab = grabOf(list);
    const TSeBitmap hot = toolRender(*engine, "ListBox/Item", second.size(), 5);
    // The selected item's left edge is the item object's hot look.
    EXPECT_EQ(mismatches(grab, hot, QRect(0, 2, 2, second.height() - 4), second.topLeft()), 0);
    EXPECT_FALSE(hasKeyPixels(grab));
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SkinnedFrames, ::testing::Values(1, 2));
