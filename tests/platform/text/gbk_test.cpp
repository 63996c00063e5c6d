#include "platform/text/gbk.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <stdexcept>

using namespace lanseek::platform;

namespace {

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const QChar kReplacement(0xFFFD);

} // namespace

TEST(GbkConversion, ChineseTextHasItsGbkBytes)
{
    // "百度" in GBK is B0 D9 B6 C8; ASCII stays one byte each.
    EXPECT_EQ(toGbk(QStringLiteral("百度mp3")), std::string("\xB0\xD9\xB6\xC8mp3"));
    EXPECT_EQ(fromGbk("\xB0\xD9\xB6\xC8mp3"), QStringLiteral("百度mp3"));
    // The phrase the harvest looks for is 20 bytes: ten double-byte characters.
    EXPECT_EQ(toGbk(QStringLiteral("百度为您找到相关结果")).size(), 20u);
}

TEST(GbkConversion, CharactersOutsideGbkSurviveTheRoundTrip)
{
    const QString text = QStringLiteral("€ 😀 한국어 ü");
    const std::string bytes = toGbk(text);
    EXPECT_EQ(fromGbk(bytes), text);
    // U+1F600 lies outside the BMP and takes a four-byte GB18030 sequence.
    EXPECT_NE(bytes.find("\x94\x39"), std::string::npos);
}

TEST(GbkConversion, BadInputDegradesInsteadOfFailing)
{
    // 0x80 and 0xFF start no GBK character; the bytes around them still convert.
    EXPECT_EQ(fromGbk("a\x80"
                      "b\xFF"
                      "c"),
              QString("a") + kReplacement + "b" + kReplacement + "c");
    // A lead byte cut off by the end of the input.
    EXPECT_EQ(fromGbk("ab\xB0"), QString("ab") + kReplacement);
    EXPECT_EQ(fromGbk(""), QString());
    // A lone surrogate cannot be converted and becomes a question mark.
    QString lone = QStringLiteral("x");
    lone.append(QChar(0xD800));
    lone.append(QLatin1Char('y'));
    EXPECT_EQ(toGbk(lone), "x?y");
    EXPECT_EQ(toGbk(QString()), "");
}

TEST(GbkConversion, LongTextConvertsWhole)
{
    QString text;
    for (int i = 0; i < 20000; ++i) {
        text += QStringLiteral("歌a");
    }
    const std::string bytes = toGbk(text);
    EXPECT_EQ(bytes.size(), 60000u);
    EXPECT_EQ(fromGbk(bytes), text);
}

TEST(CharsetDecode, KnownLabelsDecodeTheirEncoding)
{
    EXPECT_EQ(decode("\xE6\xAD\x8C", "UTF-8"), QStringLiteral("歌"));
    EXPECT_EQ(decode("\xE6\xAD\x8C", " \"utf8\" "), QStringLiteral("歌"));
    EXPECT_EQ(decode("\xB8\xE8", "gb2312"), QStringLiteral("歌"));
    EXPECT_EQ(decode("\xB8\xE8", "GB18030"), QStringLiteral("歌"));
    EXPECT_EQ(decode("caf\xE9", "iso-8859-1"), QStringLiteral("café"));
    // Big5 for 歌 is BA 71.
    EXPECT_EQ(decode("\xBAq", "big5"), QStringLiteral("歌"));
    EXPECT_EQ(decode(std::string_view("a\0b\0", 4), "utf-16le"), QStringLiteral("ab"));
    EXPECT_TRUE(isKnownCharset("Shift_JIS"));
}

TEST(CharsetDecode, UnknownOrHostileLabelsFallBackToGbk)
{
    EXPECT_EQ(decode("\xB8\xE8", ""), QStringLiteral("歌"));
    EXPECT_EQ(decode("\xB8\xE8", "no-such-charset"), QStringLiteral("歌"));
    EXPECT_EQ(decode("\xB8\xE8", "utf-8//TRANSLIT; rm -rf /"), QStringLiteral("歌"));
    EXPECT_EQ(decode("\xB8\xE8", std::string(500, 'x')), QStringLiteral("歌"));
    EXPECT_FALSE(isKnownCharset("no-such-charset"));
    // Invalid UTF-8 still decodes, with replacement characters.
    EXPECT_TRUE(decode("a\xFF"
                       "b",
                       "utf-8")
                    .contains(kReplacement));
}

TEST(GbkLineWriter, WritesGbkLinesEachEndedByCrLf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "1.rpm";
    writeGbkLines(file, {QStringLiteral("<HTML>"), QString(), QStringLiteral("<h2>标题</h2>")});
    EXPECT_EQ(readAll(file), std::string("<HTML>\r\n\r\n<h2>\xB1\xEA\xCC\xE2</h2>\r\n"));
}

TEST(GbkLineWriter, ReplacesAnExistingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "card.html";
    writeGbkLines(file, {QStringLiteral("a much longer first version of the file"), QStringLiteral("two")});
    writeGbkLines(file, {QStringLiteral("new")});
    EXPECT_EQ(readAll(file), "new\r\n");
    writeGbkLines(file, {});
    EXPECT_EQ(readAll(file), "");
}

TEST(GbkLineWriter, FailureNamesThePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path file =
        std::filesystem::path(dir.path().toStdString()) / "missing dir" / "1.html";
    try {
        writeGbkLines(file, {QStringLiteral("x")});
        FAIL() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
    // A folder in the way of the file is refused the same way.
    EXPECT_THROW(writeGbkLines(std::filesystem::path(dir.path().toStdString()), {QStringLiteral("x")}),
                 std::runtime_error);
}

TEST(GbkLineWriter, ChineseFileNamesWork)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path file =
        std::filesystem::path(dir.path().toStdString()) / std::filesystem::path(u8"贺卡 页.html");
    writeGbkLines(file, {QStringLiteral("内容")});
    EXPECT_EQ(readAll(file), "\xC4\xDA\xC8\xDD\r\n");
}
