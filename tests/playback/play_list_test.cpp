// The play list's decisions: the type rule, what add-to-play appends, and the height rules.

#include "playback/play_list.h"

#include <gtest/gtest.h>

using namespace lanseek;
using namespace lanseek::playback;

namespace {

SongEntry songRow(const QString& caption, const QString& type, int image = 0)
{
    return {caption,
            image,
            {QStringLiteral("name ") + caption,
             QStringLiteral("http://h/") + caption + QLatin1Char('.') + type, QStringLiteral("3.5M"), type}};
}

SongEntry loaded(const QString& line)
{
    return {line, -1, {}};
}

} // namespace

TEST(TypeRule, RealMediaAndWindowsMediaNeverMixOtherPairsDo)
{
    struct Case
    {
        const char* selected;
        const char* first;
        bool accepted;
    };
    const Case cases[] = {
        // Equal texts are always accepted.
        {"rm", "rm", true},
        {"ram", "ram", true},
        {"wma", "wma", true},
        {"asf", "asf", true},
        {"mp3", "mp3", true},
        {"", "", true},
        // RealMedia selection onto a Windows Media list and the reverse.
        {"rm", "asf", false},
        {"rm", "wma", false},
        {"ram", "asf", false},
        {"ram", "wma", false},
        {"asf", "rm", false},
        {"asf", "ram", false},
        {"wma", "rm", false},
        {"wma", "ram", false},
        // Within one family and with other types.
        {"rm", "ram", true},
        {"ram", "rm", true},
        {"wma", "asf", true},
        {"asf", "wma", true},
        {"mp3", "rm", true},
        {"mp3", "wma", true},
        {"rm", "mp3", true},
        {"wma", "mp3", true},
        {"rm", "", true},
        {"", "wma", true},
        // The texts compare case-sensitively, so upper-case types escape the rule.
        {"RM", "wma", true},
        {"rm", "WMA", true},
        {"Wma", "rm", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(typesMayMix(QString::fromLatin1(c.selected), QString::fromLatin1(c.first)), c.accepted)
            << "selected " << c.selected << " onto " << c.first;
}

TEST(TypeRule, OnlyRealMediaTypesInAnyCaseChooseTheRealMediaPlayer)
{
    for (const char* type : {"rm", "RM", "ram", "Ram", "RAM"})
        EXPECT_EQ(playerKindForType(QString::fromLatin1(type)), PlayerKind::RealMedia) << type;
    for (const char* type : {"mp3", "wma", "asf", "", "rmvb", "r", "ra"})
        EXPECT_EQ(playerKindForType(QString::fromLatin1(type)), PlayerKind::WindowsMedia) << type;
}

TEST(AddToPlay, WithoutSelectionNothingIsAppended)
{
    const AddToPlayPlan plan = planAddToPlay({}, songRow(QStringLiteral("1"), QStringLiteral("mp3")));
    EXPECT_EQ(plan.outcome, AddToPlayPlan::Outcome::NothingSelected);
    EXPECT_FALSE(plan.emptyPlayListFirst);
    EXPECT_TRUE(plan.rows.empty());
}

TEST(AddToPlay, EmptyPlayListAcceptsAnySelection)
{
    const std::vector<SongEntry> selection{songRow(QStringLiteral("1"), QStringLiteral("rm")),
                                           songRow(QStringLiteral("2"), QStringLiteral("wma"))};
    const AddToPlayPlan plan = planAddToPlay(selection, std::nullopt);
    ASSERT_EQ(plan.outcome, AddToPlayPlan::Outcome::Append);
    EXPECT_FALSE(plan.emptyPlayListFirst);
    EXPECT_EQ(plan.rows, selection);
}

TEST(AddToPlay, OnlyTheTopmostSelectedRowIsTested)
{
    const SongEntry first = songRow(QStringLiteral("9"), QStringLiteral("rm"));
    // A conflicting topmost row refuses the whole selection, even with matching rows below it.
    const AddToPlayPlan refused = planAddToPlay({songRow(QStringLiteral("1"), QStringLiteral("wma")),
                                                 songRow(QStringLiteral("2"), QStringLiteral("rm"))},
                                                first);
    EXPECT_EQ(refused.outcome, AddToPlayPlan::Outcome::TypeConflict);
    EXPECT_TRUE(refused.rows.empty());
    // A matching topmost row lets a conflicting row further down through.
    const AddToPlayPlan accepted = planAddToPlay({songRow(QStringLiteral("1"), QStringLiteral("rm")),
                                                  songRow(QStringLiteral("2"), QStringLiteral("wma"))},
                                                 first);
    ASSERT_EQ(accepted.outcome, AddToPlayPlan::Outcome::Append);
    ASSERT_EQ(accepted.rows.size(), 2u);
    EXPECT_EQ(accepted.rows[1].subItem(song::kType), QStringLiteral("wma"));
}

TEST(AddToPlay, LoadedPlayListIsReplacedWithoutATypeTest)
{
    const AddToPlayPlan plan = planAddToPlay({songRow(QStringLiteral("1"), QStringLiteral("wma"))},
                                             loaded(QStringLiteral("http://h/a.rm")));
    ASSERT_EQ(plan.outcome, AddToPlayPlan::Outcome::Append);
    EXPECT_TRUE(plan.emptyPlayListFirst);
    EXPECT_EQ(plan.rows.size(), 1u);
}

TEST(AddToPlay, RowsCarryCaptionIconAndTheFourSongColumnsOnly)
{
    // A download-list-like row with a fifth column and a chart row with two columns.
    SongEntry wide = songRow(QStringLiteral("4"), QStringLiteral("mp3"), 2);
    wide.subItems << QStringLiteral("/music/x.mp3");
    const SongEntry chart{QStringLiteral("5"), 0, {QStringLiteral("歌"), QStringLiteral("http://h/5")}};
    const AddToPlayPlan plan = planAddToPlay({wide, chart}, std::nullopt);
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.rows[0].caption, QStringLiteral("4"));
    EXPECT_EQ(plan.rows[0].imageIndex, 2);
    EXPECT_EQ(plan.rows[0].subItems, (QStringList{QStringLiteral("name 4"), QStringLiteral("http://h/4.mp3"),
                                                  QStringLiteral("3.5M"), QStringLiteral("mp3")}));
    EXPECT_EQ(plan.rows[1].subItems,
              (QStringList{QStringLiteral("歌"), QStringLiteral("http://h/5"), QString(), QString()}));
}

TEST(PlayListHeight, ClearMakesAShortListTallAgain)
{
    EXPECT_EQ(heightAfterClear(75), 145);
    EXPECT_EQ(heightAfterClear(139), 145);
    EXPECT_EQ(heightAfterClear(140), 140);
    EXPECT_EQ(heightAfterClear(137 + 100), 237);
}

TEST(PlayListHeight, ShowingAPageShortensOnlyATallList)
{
    EXPECT_EQ(heightAfterShowPage(145, 75), 70);
    EXPECT_EQ(heightAfterShowPage(140, 70), 70);
    EXPECT_EQ(heightAfterShowPage(139, 70), 139);
    EXPECT_EQ(heightAfterShowPage(137, 75), 137);
    // A second page after a shortening leaves the list alone.
    EXPECT_EQ(heightAfterShowPage(heightAfterShowPage(145, 75), 75), 70);
}
