#include "platform/web/address.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

using namespace lanseek::platform;

TEST(WireAddress, ChineseWordGoesAsEscapedGbk)
{
    // 周杰伦 in GBK: D6 DC BD DC C2 D7.
    EXPECT_EQ(wireAddress(QStringLiteral("http://127.0.0.1:8080/m?lm=-1&word=周杰伦&ct=134217728")),
              "http://127.0.0.1:8080/m?lm=-1&word=%D6%DC%BD%DC%C2%D7&ct=134217728");
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/歌/x.html")), "http://h/%B8%E8/x.html");
}

TEST(WireAddress, CharactersARequestLineCannotCarryAreEscaped)
{
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/m?word=a b\"<>{}|\\^`")),
              "http://h/m?word=a%20b%22%3C%3E%7B%7D%7C%5C%5E%60");
    // Tabs and line breaks inside an address are dropped, as browsers do; other controls are escaped.
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/m?word=a\tb\nc\x01"
                                         "d")),
              "http://h/m?word=abc%01d");
    // Surrounding blanks are not part of the address.
    EXPECT_EQ(wireAddress(QStringLiteral("  http://h/m?x=1 \r\n")), "http://h/m?x=1");
}

TEST(WireAddress, ReservedCharactersAndEscapesStay)
{
    // An empty "&ip=" stays as written; reserved characters are the query's own structure.
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/m?lm=-1&word=x&pn=30&ip=&cl=3&z=0")),
              "http://h/m?lm=-1&word=x&pn=30&ip=&cl=3&z=0");
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/a;b:c@d!$'()*+,=/?q=/?:@")),
              "http://h/a;b:c@d!$'()*+,=/?q=/?:@");
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/m?word=%D6%DC%20x")), "http://h/m?word=%D6%DC%20x");
    // A percent sign that starts no escape is escaped itself, so the server reads it back as written.
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/m?word=100%&x=%zz%4")),
              "http://h/m?word=100%25&x=%25zz%254");
}

TEST(WireAddress, FragmentIsNotSentAndAnEmptyPathBecomesSlash)
{
    EXPECT_EQ(wireAddress(QStringLiteral("http://h/page#part")), "http://h/page");
    EXPECT_EQ(wireAddress(QStringLiteral("http://h")), "http://h/");
    EXPECT_EQ(wireAddress(QStringLiteral("http://h?q=1")), "http://h/?q=1");
}

TEST(ResolveAddress, RelativeReferencesFollowTheStandard)
{
    const QString base = QStringLiteral("http://a/b/c/d;p?q");
    EXPECT_EQ(resolveAddress(base, QStringLiteral("g")), QStringLiteral("http://a/b/c/g"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("./g")), QStringLiteral("http://a/b/c/g"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("g/")), QStringLiteral("http://a/b/c/g/"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("/g")), QStringLiteral("http://a/g"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("//g")), QStringLiteral("http://g"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("?y")), QStringLiteral("http://a/b/c/d;p?y"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("g?y")), QStringLiteral("http://a/b/c/g?y"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("#s")), QStringLiteral("http://a/b/c/d;p?q#s"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("")), QStringLiteral("http://a/b/c/d;p?q"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("..")), QStringLiteral("http://a/b/"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("../g")), QStringLiteral("http://a/b/g"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("../../../g")), QStringLiteral("http://a/g"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("g?y/../x")), QStringLiteral("http://a/b/c/g?y/../x"));
    EXPECT_EQ(resolveAddress(QStringLiteral("http://h"), QStringLiteral("r?url=x")),
              QStringLiteral("http://h/r?url=x"));
}

TEST(ResolveAddress, AbsoluteAndNonAsciiHrefsKeepTheirText)
{
    const QString base = QStringLiteral("http://h/m?word=歌");
    // The target carried after "url=" must come through byte for byte: no escaping, no normalising.
    EXPECT_EQ(resolveAddress(base, QStringLiteral("/r?url=http://x.cn/歌 曲.mp3")),
              QStringLiteral("http://h/r?url=http://x.cn/歌 曲.mp3"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("  HTTP://Other/A/../B.mp3\n")),
              QStringLiteral("HTTP://Other/A/../B.mp3"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("javascript:void(0)")),
              QStringLiteral("javascript:void(0)"));
    EXPECT_EQ(resolveAddress(base, QStringLiteral("/r?url=a\n\tb")), QStringLiteral("http://h/r?url=ab"));
}

TEST(FileAddress, NativePathWithSpacesAndChineseIsFound)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("程序 目录")));
    const QString path = dir.path() + QStringLiteral("/程序 目录/1.html");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    // The program appends the path unchanged, so a Unix path gives four slashes.
    EXPECT_TRUE(isFileAddress(QStringLiteral("file:///") + path));
    EXPECT_EQ(localPathOf(QStringLiteral("file:///") + path), path);
    EXPECT_EQ(localPathOf(QStringLiteral("file://") + path), path);
    // A URL-style address with escapes names the same file.
    const QString escaped = QString::fromUtf8(QUrl::toPercentEncoding(path, "/"));
    EXPECT_EQ(localPathOf(QStringLiteral("file://") + escaped), path);
    EXPECT_FALSE(isFileAddress(QStringLiteral("http://h/file:///x")));
}
