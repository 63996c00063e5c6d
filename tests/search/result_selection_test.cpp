// What the result list offers to the commands that copy songs out of it.

#include "search/result_selection.h"

#include <gtest/gtest.h>

#include <set>

using namespace lanseek::search;
using lanseek::SongEntry;

namespace {

// A list with the result list's row interface, kept in plain values.
struct FakeList
{
    std::vector<SongEntry> rows;
    std::set<int> selected;

    int Count() const { return static_cast<int>(rows.size()); }
    SongEntry row(int index) const { return rows.at(index); }
    bool isRowSelected(int index) const { return selected.count(index) > 0; }
};

SongEntry song(const QString& number, const QString& name, int icon = 0)
{
    return {number,
            icon,
            {name, QStringLiteral("http://h/") + name, QStringLiteral("3.5M"), QStringLiteral("mp3")}};
}

SongEntry chart(const QString& number, const QString& name)
{
    return {number, -1, {name, QStringLiteral("ger/x.html")}};
}

} // namespace

TEST(ResultSelection, SelectedRowsInListOrder)
{
    FakeList list{{song("1", "a"), song("2", "b", 2), chart("3", "c"), song("4", "d")}, {3, 1, 2}};
    const auto rows = selectedEntries(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], list.rows[1]);
    EXPECT_EQ(rows[1], list.rows[2]);
    EXPECT_EQ(rows[2], list.rows[3]);
    EXPECT_EQ(firstSelectedEntry(list), list.rows[1]);

    list.selected.clear();
    EXPECT_TRUE(selectedEntries(list).empty());
    EXPECT_FALSE(firstSelectedEntry(list).has_value());
    EXPECT_FALSE(firstSelectedEntry(FakeList{}).has_value());
}

TEST(ResultSelection, ChartRowsAreTheOnesWithFewerThanThreeSubItems)
{
    EXPECT_TRUE(isChartRow(chart("1", "x")));
    EXPECT_TRUE(isChartRow(SongEntry{QStringLiteral("1"), -1, {}}));
    EXPECT_FALSE(isChartRow(song("1", "x")));
    // A song row with empty size and type texts is still a song row.
    EXPECT_FALSE(isChartRow(SongEntry{QStringLiteral("1"), 2, {"n", "a", "", ""}}));
    EXPECT_FALSE(isChartRow(SongEntry{QStringLiteral("1"), 2, {"n", "a", ""}}));
}

TEST(ResultSelection, CardRowCopiesUpToFourSubItems)
{
    const SongEntry full = song("7", "seven", 1);
    EXPECT_EQ(cardEntryFrom(full), full);

    SongEntry download = full;
    download.subItems << QStringLiteral("/music/seven.mp3");
    EXPECT_EQ(cardEntryFrom(download), full);

    // A chart row gives just its name and address: nothing is made up for the missing columns.
    const SongEntry fromChart = cardEntryFrom(chart("3", "c"));
    EXPECT_EQ(fromChart.caption, QStringLiteral("3"));
    EXPECT_EQ(fromChart.imageIndex, -1);
    EXPECT_EQ(fromChart.subItems, (QStringList{QStringLiteral("c"), QStringLiteral("ger/x.html")}));
}
