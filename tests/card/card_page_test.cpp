#include "card/card_page.h"

#include <gtest/gtest.h>

using namespace lanseek::card;

namespace {
CardContent card(const QString& type, QStringList lines)
{
    return {QStringLiteral("/home/u/pic/0103.jpg"), QStringLiteral("标题"), QStringLiteral("http://h/s.rm"),
            type, std::move(lines)};
}
} // namespace

TEST(CardPage, RealMediaCardCentresItsPlayerAndBreaksEveryLine)
{
    const QStringList lines = cardLines(card(QStringLiteral("ram"), {"a", "b", "c"}));
    ASSERT_EQ(lines.size(), 23 + 3 + 2);
    EXPECT_EQ(lines[1], QStringLiteral("<body background=\"file:////home/u/pic/0103.jpg\"> "));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[3], QStringLiteral("<h2>标题</h2>"));
    EXPECT_EQ(lines[4],
              QStringLiteral("<OBJECT ID=RAOCX CLASSID=\"clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA\" "
                             "HEIGHT=\"50\" WIDTH=\"300\">"));
    EXPECT_EQ(lines[12], QStringLiteral("<param name=\"SRC\" value=\"http://h/s.rm\">"));
    EXPECT_EQ(lines[17], QStringLiteral("<param name=\"CENTER\" value=\"1\">"));
    EXPECT_EQ(lines[21], QStringLiteral("</OBJECT>"));
    EXPECT_EQ(lines[22], QStringLiteral("<br>"));
    EXPECT_EQ(lines.mid(23), (QStringList{"<br>a", "<br>b", "<br>c", "</body>", "</html>"}));
}

TEST(CardPage, WindowsMediaCardKeepsTheTextAsTyped)
{
    const QStringList lines = cardLines(card(QStringLiteral("mp3"), {"a", "b", "c"}));
    ASSERT_EQ(lines.size(), 15 + 3 + 2);
    EXPECT_EQ(lines[4], QString());
    EXPECT_EQ(lines[5], QStringLiteral("<OBJECT ID=\"WMPlay\" WIDTH=300 HEIGHT=50"));
    EXPECT_EQ(lines[6], QStringLiteral("CLASSID=\"CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95\""));
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("CODEBASE=\"http")));
    EXPECT_TRUE(lines[7].endsWith(QStringLiteral("/activex/controls/mplayer/en/")));
    EXPECT_EQ(lines[8], QStringLiteral("nsmp2inf.cab#Version=6,4,5,715\""));
    EXPECT_EQ(lines[11], QStringLiteral("<PARAM NAME=\"fileName\" VALUE=\"http://h/s.rm\">"));
    EXPECT_EQ(lines[12], QString()); // where the player pages have their status-bar parameter
    EXPECT_EQ(lines[13], QStringLiteral("</OBJECT>"));
    EXPECT_EQ(lines.mid(14), (QStringList{"<br>", "a", "b", "c", "</body>", "</html>"}));
}

TEST(CardPage, TypeDecidesThePlayerCaseInsensitively)
{
    EXPECT_TRUE(isRealMediaType(QStringLiteral("rm")));
    EXPECT_TRUE(isRealMediaType(QStringLiteral("RaM")));
    EXPECT_FALSE(isRealMediaType(QStringLiteral("rmvb")));
    EXPECT_FALSE(isRealMediaType(QString()));
}

TEST(CardPage, QuotesAndMarkupAreWrittenUnchanged)
{
    CardContent c = card(QStringLiteral("wma"), {"<b>\"x\"</b>"});
    c.address = QStringLiteral("http://h/a\"b.wma");
    const QStringList lines = cardLines(c);
    EXPECT_EQ(lines[11], QStringLiteral("<PARAM NAME=\"fileName\" VALUE=\"http://h/a\"b.wma\">"));
    EXPECT_EQ(lines[15], QStringLiteral("<b>\"x\"</b>"));
}
