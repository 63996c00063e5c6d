// The small rules at the service's edge: text conversions, query reading, byte ranges, the size and type
// written on result lines, and playlist rewriting.

#include "service/byte_range.h"
#include "service/pages.h"
#include "service/query.h"
#include "service/ram_playlist.h"
#include "service/text_codec.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lanseek::service {
namespace {

TEST(TextCodec, GbkDecodesAndRejectsBrokenBytes)
{
    EXPECT_EQ(gbkToUtf8("\xBA\xA3\xB1\xDF"), "海边");
    EXPECT_EQ(gbkToUtf8("Blue"), "Blue");
    EXPECT_FALSE(gbkToUtf8("\xFF\xFF").has_value());
    // A lead byte with nothing after it is cut short, not a character.
    EXPECT_FALSE(gbkToUtf8("\xBA\xA3\xB1").has_value());
}

TEST(TextCodec, PagesKeepCharactersGbkLacksAsReferences)
{
    EXPECT_EQ(utf8ToGbkHtml("海边 A"), "\xBA\xA3\xB1\xDF A");
    // U+1F3B5 (a musical note sign) has no GBK code.
    EXPECT_EQ(utf8ToGbkHtml("x\xF0\x9F\x8E\xB5y"), "x&#127925;y");
    // A stray byte that is not UTF-8 becomes a replacement character rather than breaking the page.
    EXPECT_EQ(utf8ToGbkHtml("a\xFFz"), "a&#65533;z");
}

TEST(TextCodec, PagesWriteOnlyWhatGbkHolds)
{
    // GBK's own punctuation keeps its two bytes; the euro sign is GBK's single byte 0x80.
    EXPECT_EQ(utf8ToGbkHtml("\u00B7\u2014\u3001"), "\xA1\xA4\xA1\xAA\xA1\xA2");
    EXPECT_EQ(utf8ToGbkHtml("\u20AC"), "\x80");
    // GB18030 gives two bytes to private-use characters and to characters it added, such as vertical
    // punctuation and ideographic description characters; GBK has none of them.
    EXPECT_EQ(utf8ToGbkHtml("\uE000"), "&#57344;");
    EXPECT_EQ(utf8ToGbkHtml("\uFE10"), "&#65040;");
    EXPECT_EQ(utf8ToGbkHtml("\u2FF0"), "&#12272;");
    EXPECT_EQ(utf8ToGb18030("\u2FF0a\xFF"), "\xA9\x8A"
                                            "a\xFF");
}

TEST(TextCodec, LatinTagFieldsHoldingGbkReadAsChinese)
{
    // GBK bytes, from ID3 fields that declare Latin-1.
    EXPECT_EQ(legacyTagText("\xBA\xA3\xB1\xDF\xB5\xC4\xC7\xE5\xB3\xBF"), "海边的清晨");
    EXPECT_EQ(legacyTagText("\xD6\xD0"), "中");                       // one character standing alone
    EXPECT_EQ(legacyTagText("\xB0\xAE"), "爱");                       // a byte that is no Latin-1 letter
    EXPECT_EQ(legacyTagText("K\xB8\xE8\xD6\xAE\xCD\xF5"), "K歌之王"); // Latin letters beside Chinese
    EXPECT_EQ(legacyTagText("\x81\x40"), "丂"); // GBK's extension with a plain-letter trail
    EXPECT_EQ(legacyTagText("\xBA\xA3\xB1\xDF\0garbage"), "海边"); // the field ends at its NUL

    // Western names written in Latin-1 stay what they are.
    EXPECT_EQ(legacyTagText("Caf\xE9 M\xFCller"), "Café Müller");
    EXPECT_EQ(legacyTagText("M\xFCller"), "Müller");    // 0xFC 0x6C is also a GBK character
    EXPECT_EQ(legacyTagText("Can\xE7\xE3o"), "Canção"); // two accented letters in a row
    EXPECT_EQ(legacyTagText("Bj\xF6rk"), "Björk");
    EXPECT_EQ(legacyTagText("Beyonc\xE9"), "Beyoncé"); // a lead byte with nothing after it
    EXPECT_EQ(legacyTagText("\xA9 2004"), "© 2004");
    EXPECT_EQ(legacyTagText("Plain Title"), "Plain Title");
    // Bytes in GBK's user-defined area are not text anyone wrote as GBK.
    EXPECT_EQ(legacyTagText("\xAA\xA1\xAA\xA2"), "\u00AA\u00A1\u00AA\u00A2");
}

TEST(TextCodec, FileNamesReadAsUtf8ThenGb18030ThenLatin1)
{
    EXPECT_EQ(fileNameText("晨风 - 海边"), "晨风 - 海边");
    EXPECT_EQ(fileNameText("\xB2\xCA\xBA\xE7\xC7\xC5"), "彩虹桥");
    EXPECT_EQ(fileNameText("Ol\xE9 \xFF"), "Olé ÿ");
    EXPECT_EQ(fileNameText("two\nlines"), "two\nlines");
}

TEST(TextCodec, PercentDecodingLeavesPlusAndBrokenEscapes)
{
    EXPECT_EQ(percentDecode("%B5%c4"), "\xB5\xC4");
    EXPECT_EQ(percentDecode("C++ rock"), "C++ rock");
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(percentDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(percentEncode("a b/c\xB5", "/"), "a%20b/c%B5");
}

TEST(TextCodec, CaseFoldingCoversLettersBeyondAscii)
{
    EXPECT_EQ(foldCase("Blue LANTERN"), "blue lantern");
    EXPECT_EQ(foldCase("ÉTÉ"), "été");
    EXPECT_EQ(foldCase("晨风"), "晨风");
    EXPECT_EQ(collapseWhitespace("  a \t b\r\n "), "a b");
}

TEST(QueryString, WordMayHoldAmpersandsThatStartNoKey)
{
    const QueryString first("tn=baidump3&ct=134217728&rn=&word=rock&roll&lm=0");
    EXPECT_EQ(first.raw("word"), "rock&roll");
    EXPECT_EQ(first.raw("lm"), "0");
    EXPECT_EQ(first.raw("rn"), "");
    const QueryString followUp("lm=2&ct=134217728&tn=baidump3&word=%B5%C4&pn=60&ip=10.0.0.7&cl=3&z=0");
    EXPECT_EQ(followUp.decoded("word"), "\xB5\xC4");
    EXPECT_EQ(followUp.raw("pn"), "60");
    EXPECT_EQ(followUp.raw("ip"), "10.0.0.7");
    EXPECT_FALSE(followUp.raw("f").has_value());
    EXPECT_EQ(QueryString("word=a#frag&lm=1").raw("word"), "a");
}

TEST(QueryString, WordReadingsTryGbkThenUtf8)
{
    EXPECT_EQ(wordReadings("\xBA\xA3\xB1\xDF"), std::vector<std::string>{"海边"});
    // "晨" in UTF-8 is three bytes, which cannot be GBK; only the UTF-8 reading remains.
    EXPECT_EQ(wordReadings("晨"), std::vector<std::string>{"晨"});
    // "海边" in UTF-8 happens to be valid GBK too; both readings are searched, the typed one among them.
    const auto both = wordReadings("海边");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[1], "海边");
    EXPECT_EQ(wordReadings(" Blue  Lantern "), std::vector<std::string>{"blue lantern"});
    EXPECT_TRUE(wordReadings("\xFF\xFE").empty());
    EXPECT_TRUE(wordReadings("   ").empty());
    EXPECT_TRUE(wordReadings("").empty());
}

TEST(QueryString, TypeAndOffsetValues)
{
    EXPECT_EQ(mediaTypeFilter(std::string("0")), MediaType::Mp3);
    EXPECT_EQ(mediaTypeFilter(std::string("4")), MediaType::Ram);
    EXPECT_FALSE(mediaTypeFilter(std::string("-1")).has_value());
    EXPECT_FALSE(mediaTypeFilter(std::string("5")).has_value());
    EXPECT_FALSE(mediaTypeFilter(std::nullopt).has_value());
    EXPECT_EQ(resultOffset(std::string("60")), 60u);
    EXPECT_EQ(resultOffset(std::string("-30")), 0u);
    EXPECT_EQ(resultOffset(std::string("3x")), 0u);
    EXPECT_EQ(resultOffset(std::string("99999999999999999999999")), UINT64_MAX);
}

TEST(ByteRange, PartialRangesAreCutToTheFile)
{
    using O = RangeDecision::Outcome;
    auto check = [](std::string_view header, O outcome, std::uint64_t first = 0, std::uint64_t last = 0) {
        const RangeDecision d = decideRange(header, 1000);
        EXPECT_EQ(d.outcome, outcome) << header;
        if (outcome == O::Partial) {
            EXPECT_EQ(d.first, first) << header;
            EXPECT_EQ(d.last, last) << header;
        }
    };
    check("bytes=0-0", O::Partial, 0, 0);
    check("bytes=100-199", O::Partial, 100, 199);
    check("bytes=999-999", O::Partial, 999, 999);
    check("bytes=500-", O::Partial, 500, 999);
    check("bytes=-10", O::Partial, 990, 999);
    check("bytes=-5000", O::Partial, 0, 999);
    check("bytes=800-1000", O::Partial, 800, 999); // the last worker asks one byte past the end
    check("Bytes = 1-2", O::Partial, 1, 2);
    check("bytes=1000-", O::Unsatisfiable);
    check("bytes=5000-6000", O::Unsatisfiable);
    check("bytes=-0", O::Unsatisfiable);
    check("bytes=99999999999999999999999-", O::Unsatisfiable);
    check("", O::Whole);
    check("bytes=0-1,5-6", O::Whole);
    check("items=0-1", O::Whole);
    check("bytes=5-2", O::Whole);
    check("bytes=a-b", O::Whole);
    EXPECT_EQ(decideRange("bytes=0-", 0).outcome, O::Unsatisfiable);
}

// What the program makes of a trimmed result line: the type is its last 3 characters, the size the first
// 3 of its last 8 and the unit found among them; RealMedia ("Mrm"/"Krm") counts 7 instead.
std::pair<std::string, std::string> harvestSizeAndType(const std::string& line)
{
    std::string type = line.substr(line.size() - 3);
    const std::string last8 = line.substr(line.size() - 8);
    std::string size;
    if (last8.find('M') != std::string::npos) {
        size = last8.substr(0, 3) + "M";
    }
    if (last8.find('K') != std::string::npos) {
        size = last8.substr(0, 3) + "K";
    }
    const std::string last7 = line.substr(line.size() - 7);
    if (type == "Mrm") {
        type = "rm";
        size = last7.substr(0, 3) + "M";
    }
    if (type == "Krm") {
        type = "rm";
        size = last7.substr(0, 3) + "K";
    }
    return {size, type};
}

std::string resultLine(std::uintmax_t bytes, MediaType type)
{
    return "晨风乐队 - 海边的清晨 " + sizeAndType(bytes, type);
}

TEST(SizeAndType, ProgramReadsTheIntendedSizeOffTheLine)
{
    constexpr std::uintmax_t kK = 1024;
    constexpr std::uintmax_t kM = 1024 * 1024;
    const struct
    {
        std::uintmax_t bytes;
        MediaType type;
        const char* tail;
        const char* size;
        const char* typeText;
    } cases[] = {
        {static_cast<std::uintmax_t>(3.52 * kM), MediaType::Mp3, "3.52Mmp3", "3.5M", "mp3"},
        {512 * kK, MediaType::Wma, "512 Kwma", "512K", "wma"},
        {40 * kK, MediaType::Asf, " 40 Kasf", " 40K", "asf"},
        {7680, MediaType::Ram, "7.50Kram", "7.5K", "ram"},
        {static_cast<std::uintmax_t>(2.1 * kM), MediaType::Rm, "2.10Mrm", "2.1M", "rm"},
        {40 * kK, MediaType::Rm, " 40 Krm", " 40K", "rm"},
        {0, MediaType::Mp3, "0.00Kmp3", "0.0K", "mp3"},
        {999 * kK, MediaType::Mp3, "999 Kmp3", "999K", "mp3"},
        {1000 * kK, MediaType::Mp3, "0.98Mmp3", "0.9M", "mp3"},
        {static_cast<std::uintmax_t>(12.3 * kM), MediaType::Mp3, " 12 Mmp3", " 12M", "mp3"},
        {2000 * kM, MediaType::Mp3, "999+Mmp3", "999M", "mp3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sizeAndType(c.bytes, c.type), c.tail) << c.bytes;
        const auto [size, type] = harvestSizeAndType(resultLine(c.bytes, c.type));
        EXPECT_EQ(size, c.size) << c.bytes;
        EXPECT_EQ(type, c.typeText) << c.bytes;
    }
}

TEST(SizeAndType, SizeReadBackStaysCloseForEverySize)
{
    for (double bytes = 1; bytes < 900.0 * 1024 * 1024; bytes *= 1.07) {
        for (MediaType type : {MediaType::Mp3, MediaType::Rm}) {
            const auto exact = static_cast<std::uintmax_t>(bytes);
            const std::string tail = sizeAndType(exact, type);
            ASSERT_EQ(tail.size(), type == MediaType::Rm ? 7u : 8u) << tail;
            const auto [size, typeText] = harvestSizeAndType(resultLine(exact, type));
            EXPECT_EQ(typeText, mediaTypeText(type));
            const double unit = size.back() == 'M' ? 1024.0 * 1024.0 : 1024.0;
            const double shown = std::stod(size.substr(0, 3));
            const double real = static_cast<double>(exact) / unit;
            EXPECT_LE(std::fabs(shown - real), std::max(0.1, real * 0.05)) << tail << " for " << exact;
        }
    }
}

TEST(RamPlaylist, RelativeLinesBecomeAddressesOnThisServer)
{
    const std::string base = "http://10.0.0.2:8080/music";
    EXPECT_EQ(rewriteRamPlaylist("晨风 - 雨.rm\r\n", base, "晨风/list.ram"),
              base + "/%E6%99%A8%E9%A3%8E/%E6%99%A8%E9%A3%8E%20-%20%E9%9B%A8.rm\r\n");
    EXPECT_EQ(rewriteRamPlaylist("../a.rm\n", base, "radio/x.ram"), base + "/a.rm\n");
    // Addresses with a scheme, comments, blank lines and paths leading out of the library stay as written.
    const std::string kept = "# comment\r\n\r\nrtsp://h/x.rm\r\nhttp://h/y.rm\r\n../../etc/passwd\r\n/abs.rm";
    EXPECT_EQ(rewriteRamPlaylist(kept, base, "radio/x.ram"), kept);
}

} // namespace
} // namespace lanseek::service
