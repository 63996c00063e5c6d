// Chart, singer-list and album pages read into chart rows, without a browser.

#include "search/chart_reader.h"

#include "gbk_bytes.h"

#include <gtest/gtest.h>

using namespace lanseek::search;
using lanseek::test::gbk;

namespace {

const std::string kBase = "http://mp3.example.com";
const ChartLinkKinds kKinds = chartLinkKinds(kBase, kBase + "/r?url=");

std::string cut(const std::string& href)
{
    return href.substr(kKinds.cut);
}

} // namespace

TEST(ChartReading, EachKindGivesARowNumberedOnFromTheList)
{
    const std::vector<PageLink> links = {
        {kBase + "/m?rn=&tn=baidump3&ct=134217728&word=%C3%C0&lm=-1", gbk("美")},
        {kBase + "/singer/%D6%DC.html", gbk("周")},
        {kBase + "/m?tn=baidump3&ct=134217728&word=Blue&f=al", "Blue"},
        {kBase + "/ngeshou.html", gbk("男歌手")},                     // navigation, not an entry
        {kBase + "/m?tn=baidump3&ct=134217728&word=Red&lm=0", "Red"}, // album query without "&f=al"
        {"http://other.example.net/singer/x.html", "Other"},          // another host
    };
    const auto rows = readChartLinks(links, kKinds, 0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[0].name, gbk("美"));
    EXPECT_EQ(rows[0].address, cut(links[0].href));
    EXPECT_EQ(rows[1].number, 2);
    EXPECT_EQ(rows[1].name, gbk("周"));
    EXPECT_EQ(rows[1].address, cut(links[1].href));
    EXPECT_EQ(rows[2].name, "Blue");
    EXPECT_EQ(rows[2].number, 3);

    const auto later = readChartLinks(links, kKinds, 12);
    EXPECT_EQ(later.front().number, 13);
    EXPECT_EQ(later.back().number, 15);
}

TEST(ChartReading, KindsAreTestedIndependently)
{
    // A general query link carrying a singer address among its parameters passes two tests; an address
    // that is all three at once gives three rows, in kind order.
    const std::vector<PageLink> links = {
        {kBase + "/m?rn=&tn=baidump3&ct=0&ref=" + kBase + "/singer/a", "Both"},
        {kBase + "/m?tn=baidump3&ct=134217728&word=x&f=al&u=" + kBase + "/m?rn=&tn=baidump3&ct=&s=" + kBase +
             "/singer/",
         "All"},
        {kBase + "/singer/a.html", "Twice"},
        {kBase + "/singer/a.html", "Twice"},
    };
    const auto rows = readChartLinks(links, kKinds, 0);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].name, "Both");
    EXPECT_EQ(rows[1].name, "Both");
    EXPECT_EQ(rows[2].name, "All");
    EXPECT_EQ(rows[4].name, "All");
    EXPECT_EQ(rows[5].name, "Twice");
    EXPECT_EQ(rows[6].name, "Twice"); // duplicates stay
    EXPECT_EQ(rows[6].number, 7);
}

TEST(ChartReading, CutFollowsTheServiceAndNeverOverruns)
{
    const std::string base = "http://10.0.0.2:8080";
    const ChartLinkKinds kinds = chartLinkKinds(base, base + "/r?url=");
    EXPECT_EQ(kinds.cut, base.size() + 7);
    const std::vector<PageLink> links = {{base + "/singer/%C0%EE.html", "Li"}};
    const auto rows = readChartLinks(links, kinds, 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].address, links[0].href.substr(base.size() + 7));

    // A host so short that the matching address is no longer than the cut leaves an empty address.
    const ChartLinkKinds tiny = chartLinkKinds("http://a", "http://a/r?url=" + std::string(40, 'x'));
    const auto short_ = readChartLinks({{"http://a/singer/", "S"}}, tiny, 0);
    ASSERT_EQ(short_.size(), 1u);
    EXPECT_EQ(short_[0].address, "");
    EXPECT_TRUE(readChartLinks({}, kKinds, 4).empty());
}
