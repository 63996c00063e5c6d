#include "skin/controls/column_fit.h"
#include "skin/controls/se_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <gtest/gtest.h>

using lanseek::skin::fitColumnWidths;

TEST(ColumnFit, ColumnsGrowToWhatTheyMustHoldAndTheWidestSpareGivesItBack)
{
    // Nothing to hold: the columns stay as laid out.
    EXPECT_EQ(fitColumnWidths({40, 80, 44}, {0, 0, 0}, 164), (std::vector<int>{40, 80, 44}));
    // The state column needs 90: the list has room for no more, so the name column (most to spare)
    // gives the 10 back, the address column nothing.
    EXPECT_EQ(fitColumnWidths({130, 80, 60}, {50, 90, 30}, 270), (std::vector<int>{120, 90, 60}));
    // More than one column gives when the widest spare is not enough, and none below its own need.
    EXPECT_EQ(fitColumnWidths({60, 60, 60}, {50, 170, 40}, 180), (std::vector<int>{50, 170, 40}));
    // A list with room to spare keeps its columns; one already wider than its view is not narrowed.
    EXPECT_EQ(fitColumnWidths({50, 50}, {70, 0}, 300), (std::vector<int>{70, 50}));
    EXPECT_EQ(fitColumnWidths({200, 200}, {0, 0}, 100), (std::vector<int>{200, 200}));
    // When every column needs all it has, the list grows (a scroll bar) rather than cut a text.
    EXPECT_EQ(fitColumnWidths({40, 40}, {40, 60}, 80), (std::vector<int>{40, 60}));
}

TEST(ColumnFit, AListShowsItsStatesWholeAndTellsWhichCellsAreCut)
{
    TSeSkinSListView list;
    list.resize(200, 120);
    list.setColumns({QStringLiteral("歌曲名称"), QStringLiteral("进度")}, {150, 20});
    list.setWholeTexts(1, {QStringLiteral("正在下载"), QStringLiteral("下载已经完成")});
    const QFontMetrics metrics(list.font());
    EXPECT_GT(list.columnWidth(1), metrics.horizontalAdvance(QStringLiteral("下载已经完成")));
    list.appendRow({QStringLiteral("一首名字很长很长很长很长很长很长很长很长的歌曲.mp3"),
                    0,
                    {QStringLiteral("下载已经完成")}});
    EXPECT_EQ(list.cutCellText(0, 0), QStringLiteral("一首名字很长很长很长很长很长很长很长很长的歌曲.mp3"));
    EXPECT_EQ(list.cutCellText(0, 1), QString());
    EXPECT_EQ(list.cutCellText(5, 0), QString());

    // Scaled up with a larger font, the columns keep holding their states and headers.
    QFont big = list.font();
    big.setPointSizeF(big.pointSizeF() * 1.875);
    list.setFont(big);
    list.header()->setFont(big);
    list.scaleColumns(1920, 1024);
    EXPECT_GT(list.columnWidth(1), QFontMetrics(big).horizontalAdvance(QStringLiteral("下载已经完成")));
    EXPECT_EQ(list.cutCellText(0, 1), QString());
}
