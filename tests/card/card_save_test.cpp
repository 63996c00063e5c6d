// The byte rules of saving a card complete: the companion folder's name, finding and replacing the body's
// background reference, and the reference to the copy.

#include "card/card_save.h"

#include <gtest/gtest.h>

using namespace lanseek::card;

namespace {

QByteArray valueAt(const QByteArray& page)
{
    const std::optional<ByteSpan> span = findBodyBackground(page);
    return span ? page.mid(span->start, span->length) : QByteArray("<none>");
}

} // namespace

TEST(CardSave, CompanionFolderIsNamedAfterThePage)
{
    EXPECT_EQ(companionFolderName(QStringLiteral("card.html")), QStringLiteral("card_files"));
    EXPECT_EQ(companionFolderName(QStringLiteral("生日.贺卡.htm")), QStringLiteral("生日.贺卡_files"));
    EXPECT_EQ(companionFolderName(QStringLiteral("card")), QStringLiteral("card_files"));
    EXPECT_EQ(companionFolderName(QStringLiteral(".card")), QStringLiteral(".card_files"));
}

TEST(CardSave, FindsTheBodysBackgroundAsWritten)
{
    EXPECT_EQ(valueAt("<HTML>\r\n<body background=\"file:////home/u/pic/0103.jpg\"> \r\n\r\n<h2>t</h2>\r\n"),
              "file:////home/u/pic/0103.jpg");
    EXPECT_EQ(valueAt("<HTML><BODY text=red BACKGROUND='a b.jpg'>"), "a b.jpg");
    EXPECT_EQ(valueAt("<body bgcolor=#fff background=pic.gif>x"), "pic.gif");
    EXPECT_EQ(valueAt("<body background = \"x.jpg\" >"), "x.jpg");
    EXPECT_EQ(valueAt("<body background=\"\">"), "");
    // Another tag whose name starts alike is not the body; the body after it is.
    EXPECT_EQ(valueAt("<bodyguard background=\"no.jpg\"><body background=\"yes.jpg\">"), "yes.jpg");
}

TEST(CardSave, FindsNothingWhereThereIsNoReference)
{
    EXPECT_EQ(valueAt("<html><p>background=\"x.jpg\"</p></html>"), "<none>");
    EXPECT_EQ(valueAt("<body>background=\"x.jpg\""), "<none>");
    EXPECT_EQ(valueAt("<body nowrap><p background=\"x.jpg\">"), "<none>");
    EXPECT_EQ(valueAt("<body background=\"x.jpg"), "<none>"); // the quote never closes
    EXPECT_EQ(valueAt("<body background"), "<none>");
    EXPECT_EQ(valueAt(""), "<none>");
}

TEST(CardSave, RewritesOnlyTheReference)
{
    const QByteArray page =
        "<HTML>\r\n<body background=\"file:////p/pic/0103.jpg\"> \r\n<br>\xC4\xDA\xC8\xDD\r\n";
    const std::optional<ByteSpan> span = findBodyBackground(page);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(withBackground(page, *span, "card_files/0103.jpg"),
              QByteArray("<HTML>\r\n<body background=\"card_files/0103.jpg\"> \r\n<br>\xC4\xDA\xC8\xDD\r\n"));
}

TEST(CardSave, ReferenceToTheCopyIsRelativeAndEscaped)
{
    EXPECT_EQ(companionReference(QStringLiteral("card_files"), QStringLiteral("0103.jpg")),
              "card_files/0103.jpg");
    EXPECT_EQ(companionReference(QStringLiteral("贺卡_files"), QStringLiteral("my pic#1.jpg")),
              "%E8%B4%BA%E5%8D%A1_files/my%20pic%231.jpg");
}
