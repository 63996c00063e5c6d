// The harvest and chart reading on the wide texts the browser and the controls hold: byte rules applied to
// GBK text, results turned back without losing what follows a cut character.

#include "search/harvest_document.h"

#include <gtest/gtest.h>

using namespace lanseek::search;
using lanseek::platform::WebLink;

namespace {

const ServiceEndpoints kService{QStringLiteral("http://127.0.0.1:8080")};

WebLink resultLink(const QString& target, const QString& text)
{
    return {kService.redirectPrefix() + target, text};
}

HarvestRequest firstPage(const QString& pageText, std::vector<WebLink> links)
{
    HarvestRequest request;
    request.pageText = pageText;
    request.links = std::move(links);
    request.service = kService;
    request.countLabel = QStringLiteral("搜索结果为:");
    request.windowCaption = QStringLiteral("聆澜");
    request.rowIcon = 2;
    return request;
}

} // namespace

TEST(HarvestDocument, ChineseRowsSizesAndLabel)
{
    auto request = firstPage(QStringLiteral("晴天 海边的歌 4.20Mwma\n百度为您找到相关结果1,024篇\n下一页"),
                             {resultLink(QStringLiteral("http://h/海边.wma"), QStringLiteral("海边的歌")),
                              {kService.queryPrefix() + QStringLiteral("2&pn=60&ip=192.168.0.9&cl=3&z=0"),
                               QStringLiteral("下一页")}});
    const HarvestChanges changes = harvestPage(request);
    ASSERT_EQ(changes.rows.size(), 1u);
    EXPECT_EQ(changes.rows[0],
              (lanseek::SongEntry{QStringLiteral("1"),
                                  2,
                                  {QStringLiteral("海边的歌"), QStringLiteral("http://h/海边.wma"),
                                   QStringLiteral("4.2M"), QStringLiteral("wma")}}));
    EXPECT_EQ(changes.countLabel, QStringLiteral(" 搜索结果  1,024"));
    EXPECT_EQ(changes.localIp, QStringLiteral("192.168.0.9"));
    EXPECT_EQ(changes.windowCaption, QStringLiteral("聆澜   本机ip为:  192.168.0.9"));
    EXPECT_EQ(changes.pageNumber, 2);
    EXPECT_TRUE(changes.requestNextPage);
}

TEST(HarvestDocument, CutsThroughACharacterKeepTheRest)
{
    // The last 8 bytes of "歌亐大2Mmp3" start with the second byte of "亐" (81 80): the size's first byte
    // is half a character, which comes back as a replacement character followed by the rest of the size.
    auto request = firstPage(QStringLiteral("歌亐大2Mmp3"),
                             {resultLink(QStringLiteral("http://h/a.mp3"), QStringLiteral("歌"))});
    const HarvestChanges changes = harvestPage(request);
    ASSERT_EQ(changes.rows.size(), 1u);
    const QString size = changes.rows[0].subItem(2);
    EXPECT_EQ(size, QString(QChar(0xFFFD)) + QStringLiteral("大M"));
    EXPECT_EQ(changes.rows[0].subItem(3), QStringLiteral("mp3"));
    EXPECT_EQ(changes.rows[0].subItem(0), QStringLiteral("歌"));

    // A size whose three bytes end in the first byte of "歌" keeps its unit letter.
    request = firstPage(QStringLiteral("zz12歌Mmp3"),
                        {resultLink(QStringLiteral("http://h/b.mp3"), QStringLiteral("zz"))});
    EXPECT_EQ(harvestPage(request).rows.at(0).subItem(2),
              QStringLiteral("12") + QChar(0xFFFD) + QStringLiteral("M"));

    // The count text cut at byte 21 of a line that does not begin with the phrase.
    request = firstPage(QStringLiteral("一二三四五六七八九十x88篇"), {});
    EXPECT_EQ(harvestPage(request).countLabel, QStringLiteral(" 搜索结果  x88"));
    request = firstPage(QStringLiteral("x一二三四五六七八九十88篇"), {});
    EXPECT_EQ(harvestPage(request).countLabel,
              QString(QStringLiteral(" 搜索结果  ")) + QChar(0xFFFD) + QStringLiteral("88"));
}

TEST(HarvestDocument, ListedAddressesAndKnownStateComeFromTheList)
{
    auto request = firstPage(QStringLiteral("甲 1.00Mmp3\n乙 2.00Mmp3"),
                             {resultLink(QStringLiteral("http://h/甲.mp3"), QStringLiteral("甲")),
                              resultLink(QStringLiteral("http://h/乙.mp3"), QStringLiteral("乙"))});
    request.listedAddresses = {QStringLiteral("http://h/甲.mp3")};
    request.rowCounter = 1;
    request.pageNumber = 3;
    request.localIp = QStringLiteral("10.0.0.1");
    request.countLabel = QStringLiteral(" 搜索结果  9");
    request.windowCaption = QStringLiteral("聆澜   本机ip为:  10.0.0.1");
    const HarvestChanges changes = harvestPage(request);
    ASSERT_EQ(changes.rows.size(), 1u);
    EXPECT_EQ(changes.rows[0].caption, QStringLiteral("2"));
    EXPECT_EQ(changes.rows[0].subItem(0), QStringLiteral("乙"));
    EXPECT_EQ(changes.rowCounter, 2);
    EXPECT_EQ(changes.pageNumber, 4);
    EXPECT_FALSE(changes.countLabel.has_value());
    EXPECT_FALSE(changes.windowCaption.has_value());
    EXPECT_EQ(changes.localIp, QStringLiteral("10.0.0.1"));
}

TEST(HarvestDocument, ChartRowsCarryNameAndCutAddressOnly)
{
    const std::vector<WebLink> links = {
        {kService.base + QStringLiteral("/singer/周远.html"), QStringLiteral("周远")},
        {kService.base + QStringLiteral("/r?url=http://h/a.mp3"), QStringLiteral("a song")},
        {kService.base + QStringLiteral("/m?tn=baidump3&ct=134217728&word=蓝&f=al"), QStringLiteral("蓝")},
    };
    const auto rows = chartRows(links, kService, 4);
    ASSERT_EQ(rows.size(), 2u);
    // The cut counts bytes: scheme, host and "/r?url=" make 28.
    EXPECT_EQ(rows[0], (lanseek::SongEntry{
                           QStringLiteral("5"), -1, {QStringLiteral("周远"), QStringLiteral("/周远.html")}}));
    EXPECT_EQ(rows[1].caption, QStringLiteral("6"));
    EXPECT_EQ(rows[1].subItems.size(), 2);
    EXPECT_EQ(rows[1].subItem(0), QStringLiteral("蓝"));
}
