// The harvest rules on hand-made page text and links, in GBK bytes as the rules see them.

#include "search/harvest.h"

#include "gbk_bytes.h"

#include <gtest/gtest.h>

using namespace lanseek::search;
using lanseek::test::gbk;

namespace {

const std::string kBase = "http://mp3.example.com";
const std::string kRedirect = kBase + "/r?url=";
const std::string kQuery = kBase + "/m?lm=";

std::string joinLines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

PageLink result(const std::string& target, const std::string& text)
{
    return {kRedirect + target, text};
}

PageLink pagingLink(const std::string& ipAndRest, const std::string& text = "2")
{
    return {kQuery + "0&ct=134217728&tn=baidump3&word=x&pn=30" + ipAndRest, text};
}

// A harvest over the given page, as the first page of a fresh search with the label still unfilled.
class Harvest : public ::testing::Test
{
protected:
    HarvestOutcome run(const std::string& page)
    {
        m_page = page;
        input.pageText = m_page;
        input.links = &links;
        return harvest(input);
    }

    HarvestInput input{.pageText = {},
                       .links = nullptr,
                       .queryPrefix = kQuery,
                       .redirectPrefix = kRedirect,
                       .countLabel = std::string(kCountLabelInitial),
                       .localIp = {},
                       .windowCaption = gbk("聆澜"),
                       .listedAddresses = {},
                       .rowCounter = 0,
                       .pageNumber = 1,
                       .stopFlag = false};
    std::vector<PageLink> links;

private:
    std::string m_page;
};

} // namespace

TEST(SizeAndTypeRule, WorkedExamples)
{
    auto mp3 = sizeAndTypeOf("Song one 3.52Mmp3");
    EXPECT_EQ(mp3.type, "mp3");
    EXPECT_EQ(mp3.size, "3.5M");
    auto rm = sizeAndTypeOf("Song two 2.10Mrm");
    EXPECT_EQ(rm.type, "rm");
    EXPECT_EQ(rm.size, "2.1M");
    auto wma = sizeAndTypeOf("Song threex512Kwma");
    EXPECT_EQ(wma.type, "wma");
    EXPECT_EQ(wma.size, "x51K");
}

TEST(SizeAndTypeRule, UnitChoiceAndRealMedia)
{
    // Both units among the last 8 bytes: "K" is applied last and wins.
    EXPECT_EQ(sizeAndTypeOf("abc 1.0M512Kmp3").size, "M51K");
    EXPECT_EQ(sizeAndTypeOf("aM40 Kwma").size, "M40K");
    EXPECT_EQ(sizeAndTypeOf("a song 40 Kwma").size, " 40K");
    // No unit among the last 8 bytes: no size, whatever comes earlier in the line.
    EXPECT_EQ(sizeAndTypeOf("Mr Kite plays  wma").size, "");
    EXPECT_EQ(sizeAndTypeOf("Mr Kite plays  wma").type, "wma");
    auto krm = sizeAndTypeOf("tune 512 Krm");
    EXPECT_EQ(krm.type, "rm");
    EXPECT_EQ(krm.size, "512K");
    // Comparisons are case-sensitive: "mrm" is an ordinary type.
    auto lower = sizeAndTypeOf("tune 2.10mrm");
    EXPECT_EQ(lower.type, "mrm");
    EXPECT_EQ(lower.size, "");
}

TEST(SizeAndTypeRule, ShortLinesUseWhatTheyHave)
{
    EXPECT_EQ(sizeAndTypeOf("").type, "");
    EXPECT_EQ(sizeAndTypeOf("").size, "");
    EXPECT_EQ(sizeAndTypeOf("ab").type, "ab");
    // Fewer than 8 bytes: the whole line stands for the last 8.
    EXPECT_EQ(sizeAndTypeOf("5Mmp3").size, "5Mm" + std::string("M"));
    // "Mrm" alone: the last 7 bytes are the whole line.
    auto bare = sizeAndTypeOf("Mrm");
    EXPECT_EQ(bare.type, "rm");
    EXPECT_EQ(bare.size, "MrmM");
}

TEST(SizeAndTypeRule, CutsCountBytesOfGbkText)
{
    // The last 8 bytes of "歌大2Mmp3" start at the second byte of "歌": the size then begins with half a
    // character, exactly as the byte rule says.
    const std::string line = gbk("歌大2Mmp3");
    ASSERT_EQ(line.size(), 9u);
    auto split = sizeAndTypeOf(line);
    EXPECT_EQ(split.type, "mp3");
    EXPECT_EQ(split.size, line.substr(1, 3) + "M");
}

TEST(LineRule, TrimRemovesControlBytesAndBlanksOnly)
{
    EXPECT_EQ(trimControls(" \t\r x y \x01\r"), "x y");
    EXPECT_EQ(trimControls("   "), "");
    const std::string wide = gbk("　歌"); // the ideographic space is not a control byte
    EXPECT_EQ(trimControls(wide), wide);
}

TEST(LineRule, LineOfTheFirstOccurrence)
{
    const std::string page = "first line\nsecond hit\nthird hit\nlast";
    EXPECT_EQ(lineContaining(page, "hit"), "second hit");
    EXPECT_EQ(lineContaining(page, "last"), "last");
    EXPECT_EQ(lineContaining(page, "first"), "first line");
    EXPECT_EQ(lineContaining(page, "d h"), "second hit");
    // Not found, or nothing to look for: the first line.
    EXPECT_EQ(lineContaining(page, "missing"), "first line");
    EXPECT_EQ(lineContaining(page, ""), "first line");
    EXPECT_EQ(lineContaining("", "x"), "");
    EXPECT_EQ(lineContaining("\nsecond", "zz"), "");
    // A text that runs over a line break belongs to the line where it starts.
    EXPECT_EQ(lineContaining(page, "line\nsec"), "first line");
}

TEST_F(Harvest, RowsTakeNameAddressSizeAndTypeFromTheirLines)
{
    links = {result("http://host/a.mp3", "Alpha"),
             result("http://host/b.rm", gbk("贝塔")),
             {"http://elsewhere/x", "Alpha"},
             result("http://host/c.wma", "Gamma")};
    auto out = run(
        joinLines({"header line 1.00Kabc", "  Alpha 3.52Mmp3  ", gbk("贝塔 2.10Mrm"), "Gamma\tx512Kwma\r"}));
    ASSERT_EQ(out.songs.size(), 3u);
    EXPECT_EQ(out.songs[0].number, 1);
    EXPECT_EQ(out.songs[0].name, "Alpha");
    EXPECT_EQ(out.songs[0].address, "http://host/a.mp3");
    EXPECT_EQ(out.songs[0].size, "3.5M");
    EXPECT_EQ(out.songs[0].type, "mp3");
    EXPECT_EQ(out.songs[1].number, 2);
    EXPECT_EQ(out.songs[1].name, gbk("贝塔"));
    EXPECT_EQ(out.songs[1].size, "2.1M");
    EXPECT_EQ(out.songs[1].type, "rm");
    EXPECT_EQ(out.songs[2].number, 3);
    EXPECT_EQ(out.songs[2].size, "x51K");
    EXPECT_EQ(out.songs[2].type, "wma");
    EXPECT_EQ(out.rowCounter, 3);
}

TEST_F(Harvest, NumberingContinuesFromTheRowCounter)
{
    input.rowCounter = 30;
    input.listedAddresses = {"http://host/old.mp3"};
    links = {result("http://host/a.mp3", "Alpha")};
    auto out = run("Alpha 3.52Mmp3");
    ASSERT_EQ(out.songs.size(), 1u);
    EXPECT_EQ(out.songs[0].number, 31);
    EXPECT_EQ(out.rowCounter, 31);
}

TEST_F(Harvest, UnknownOrEmptyLinkTextTakesTheFirstLine)
{
    links = {result("http://host/a", "Nowhere"), result("http://host/b", "")};
    auto out = run(joinLines({" Top 9.99Kasf ", "Alpha 3.52Mmp3"}));
    ASSERT_EQ(out.songs.size(), 2u);
    for (const auto& song : out.songs) {
        EXPECT_EQ(song.size, "9.9K");
        EXPECT_EQ(song.type, "asf");
    }
    EXPECT_EQ(out.songs[1].name, "");
}

TEST_F(Harvest, WmaWithoutUnitHasNoSize)
{
    links = {result("http://host/a.wma", "Plain")};
    auto out = run("Plain song  wma");
    ASSERT_EQ(out.songs.size(), 1u);
    EXPECT_EQ(out.songs[0].size, "");
    EXPECT_EQ(out.songs[0].type, "wma");
}

TEST_F(Harvest, AlreadyListedAddressesAreSkipped)
{
    input.listedAddresses = {"http://host/seen.mp3"};
    input.rowCounter = 1;
    links = {result("http://host/seen.mp3", "Seen"), result("http://host/new.mp3", "New"),
             result("http://host/new.mp3", "New again")};
    auto out = run("Seen 1.00Mmp3\nNew 2.00Mmp3");
    ASSERT_EQ(out.songs.size(), 1u);
    EXPECT_EQ(out.songs[0].name, "New");
    EXPECT_EQ(out.songs[0].number, 2);
    EXPECT_EQ(out.rowCounter, 2);
}

TEST_F(Harvest, APageRepeatingTheListEndsPaging)
{
    input.listedAddresses = {"http://host/a.mp3", "http://host/b.mp3"};
    input.rowCounter = 2;
    input.pageNumber = 4;
    links = {result("http://host/a.mp3", "A"), result("http://host/b.mp3", "B")};
    auto out = run("A 1.00Mmp3\nB 1.00Mmp3");
    EXPECT_TRUE(out.songs.empty());
    EXPECT_EQ(out.rowCounter, 2);
    EXPECT_EQ(out.pageNumber, 2);
    EXPECT_FALSE(out.requestNextPage);
}

TEST_F(Harvest, NewRowsAskForTheNextPage)
{
    input.pageNumber = 3;
    links = {result("http://host/a.mp3", "A")};
    auto out = run("A 1.00Mmp3");
    EXPECT_EQ(out.pageNumber, 4);
    EXPECT_TRUE(out.requestNextPage);
}

TEST_F(Harvest, StopFlagKeepsRowsButRequestsNothing)
{
    input.stopFlag = true;
    input.pageNumber = 3;
    links = {result("http://host/a.mp3", "A")};
    auto out = run("A 1.00Mmp3");
    EXPECT_EQ(out.songs.size(), 1u);
    EXPECT_EQ(out.pageNumber, 3);
    EXPECT_FALSE(out.requestNextPage);
}

TEST_F(Harvest, PageWithoutResultLinksResetsThePageNumber)
{
    input.pageNumber = 7;
    links = {{"http://elsewhere/r?url=http://host/a.mp3", "A"}};
    auto out = run("A 1.00Mmp3");
    EXPECT_TRUE(out.songs.empty());
    EXPECT_EQ(out.pageNumber, 2);
    EXPECT_FALSE(out.requestNextPage);

    // The same when the page has no links at all.
    links.clear();
    input.stopFlag = true;
    EXPECT_EQ(run("").pageNumber, 2);
}

TEST_F(Harvest, CounterAheadOfAChartFilledListIsNoNewRow)
{
    // A chart page emptied the list and left the counter at 60; a late page that only repeats what the list
    // shows brings nothing, however the counter compares with the list.
    input.rowCounter = 60;
    input.listedAddresses = {"http://host/a.mp3"};
    input.pageNumber = 5;
    links = {result("http://host/a.mp3", "A")};
    auto out = run("A 1.00Mmp3");
    EXPECT_FALSE(out.requestNextPage);
    EXPECT_EQ(out.pageNumber, 2);
}

TEST_F(Harvest, AddressCutIsTheRedirectPrefixLength)
{
    const std::string longBase = "http://music.search.example.org:8080";
    input.redirectPrefix = longBase + "/r?url=";
    input.queryPrefix = longBase + "/m?lm=";
    links = {{longBase + "/r?url=http://host/a.mp3", "A"},
             {"http://x/r?url=" + std::string(longBase.size() - 8, 'z') + longBase + "/r?url=tail", "B"}};
    auto out = run("A 1.00Mmp3\nB 1.00Mmp3");
    ASSERT_EQ(out.songs.size(), 2u);
    EXPECT_EQ(out.songs[0].address, "http://host/a.mp3");
    // The prefix further in still makes a result link; the cut takes the prefix's length from the front.
    EXPECT_EQ(out.songs[1].address, links[1].href.substr(input.redirectPrefix.size()));

    // The same link under a service of another host length is cut elsewhere.
    input.redirectPrefix = kRedirect;
    links = {{kRedirect + "http://host/a.mp3", "A"}};
    EXPECT_EQ(run("A 1.00Mmp3").songs.at(0).address, "http://host/a.mp3");
}

TEST_F(Harvest, CountLabelFromThePhraseLine)
{
    auto out = run(joinLines({"A 1.00Mmp3", gbk("百度为您找到相关结果1234篇，用时0.1秒"), gbk("1篇")}));
    ASSERT_TRUE(out.countLabel.has_value());
    EXPECT_EQ(*out.countLabel, gbk(" 搜索结果  1234"));
}

TEST_F(Harvest, CountLabelWithoutThePhraseUsesTheFirstLine)
{
    // 20 bytes, then the count, then "篇": the first line reads like a count line.
    auto out = run(joinLines({"twenty bytes of text77" + gbk("篇"), gbk("其它 9篇")}));
    EXPECT_EQ(*out.countLabel, gbk(" 搜索结果  ") + "77");

    // "篇" at or before position 21 of that line leaves the count text empty.
    EXPECT_EQ(*run(gbk("找到二十篇歌曲，共有好多好多好多首")).countLabel, gbk(" 搜索结果  "));
    EXPECT_EQ(*run("exactly twenty bytes" + gbk("篇")).countLabel, gbk(" 搜索结果  "));
    // No "篇" at all.
    EXPECT_EQ(*run("a first line that is long enough to hold a count").countLabel, gbk(" 搜索结果  "));
}

TEST_F(Harvest, CountLabelIsFilledOnlyOnce)
{
    input.countLabel = gbk(" 搜索结果  12");
    auto out = run(gbk("百度为您找到相关结果99篇"));
    EXPECT_FALSE(out.countLabel.has_value());
    // Only the exact initial caption counts as unfilled.
    input.countLabel = gbk("搜索结果为: ");
    EXPECT_FALSE(run(gbk("百度为您找到相关结果99篇")).countLabel.has_value());
}

TEST_F(Harvest, LocalIpFromTheFirstCompleteQueryLink)
{
    links = {pagingLink("&ip=10.0.0.1"),                                // no "&cl=": nothing learned
             pagingLink("&cl=3&ip=10.0.0.2&cl=3&z=0"),                  // "&cl=" first: nothing learned
             {"http://other.example.com/m?lm=0&ip=10.9.9.9&cl=3", "x"}, // not the service's query link
             pagingLink("&ip=192.168.1.20&cl=3&z=0"),
             pagingLink("&ip=172.16.0.1&cl=3&z=0")};
    auto out = run("no results");
    EXPECT_EQ(out.localIp, "192.168.1.20");
    ASSERT_TRUE(out.windowCaption.has_value());
    EXPECT_EQ(*out.windowCaption, gbk("聆澜   本机ip为:  192.168.1.20"));
}

TEST_F(Harvest, LocalIpIsLearnedOnceAndTheCaptionExtendedOnce)
{
    input.localIp = "10.0.0.1";
    input.windowCaption = gbk("聆澜   本机ip为:  10.0.0.1");
    links = {pagingLink("&ip=10.0.0.2&cl=3")};
    auto out = run("page");
    EXPECT_EQ(out.localIp, "10.0.0.1");
    EXPECT_FALSE(out.windowCaption.has_value());

    // Known address, caption not yet extended (the first harvest learned it): extended now.
    input.windowCaption = gbk("聆澜");
    EXPECT_EQ(*run("page").windowCaption, gbk("聆澜   本机ip为:  10.0.0.1"));
}

TEST_F(Harvest, EmptyAddressBetweenTheMarksLearnsNothing)
{
    links = {pagingLink("&ip=&cl=3&z=0")};
    auto out = run("page");
    EXPECT_EQ(out.localIp, "");
    EXPECT_FALSE(out.windowCaption.has_value());
    EXPECT_EQ(ipFromQueryLink("a&ip=1.2.3.4&cl=&ip=9"), "1.2.3.4");
    EXPECT_EQ(ipFromQueryLink("&ip&cl=3"), "");
}
