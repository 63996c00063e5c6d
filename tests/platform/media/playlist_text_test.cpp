#include "platform/media/playlist_loader.h"
#include "platform/media/playlist_text.h"

#include <gtest/gtest.h>

using namespace lanseek::platform;

namespace {

std::vector<QString> hrefs(const std::vector<PlaylistEntry>& entries)
{
    std::vector<QString> out;
    for (const auto& e : entries)
        out.push_back(e.href);
    return out;
}

using Strings = std::vector<QString>;

} // namespace

TEST(LinePlaylist, SkipsCommentsAndBlankLinesAcrossLineEndings)
{
    const QString text = QStringLiteral("# made by hand\r\n"
                                        "http://a/1.rm\r\n"
                                        "\r\n"
                                        "   \t\n"
                                        "  http://a/2.rm  \n"
                                        "  # indented comment\r"
                                        "http://a/3.rm\r"
                                        "http://a/4.rm");
    EXPECT_EQ(hrefs(parseLinePlaylist(text)),
              (Strings{"http://a/1.rm", "http://a/2.rm", "http://a/3.rm", "http://a/4.rm"}));
    EXPECT_TRUE(parseLinePlaylist(QStringLiteral("\r\n\r\n# only comments\r\n")).empty());
}

TEST(LinePlaylist, KeepsAddressesWithSpacesAndChineseWhole)
{
    const QString text = QStringLiteral("/home/me/音乐/我的 歌.rm\r\nhttp://h/a b.ram?x=1#frag\r\n");
    EXPECT_EQ(hrefs(parseLinePlaylist(text)),
              (Strings{QStringLiteral("/home/me/音乐/我的 歌.rm"), "http://h/a b.ram?x=1#frag"}));
}

TEST(AsxPlaylist, ReadsTheLayoutTheProgramWrites)
{
    const QString text = QStringLiteral("<asx version = \"3.0\">\r\n"
                                        "<title>demo</title>\r\n"
                                        "<entry>\r\n"
                                        "<ref href = \"http://a/1.mp3\"/>\r\n"
                                        "</entry>\r\n"
                                        "<entry>\r\n"
                                        "<ref href = \"http://a/歌 2.wma\"/>\r\n"
                                        "</entry>\r\n"
                                        "</asx>\r\n");
    const auto entries = parseAsxPlaylist(text);
    EXPECT_EQ(hrefs(entries), (Strings{"http://a/1.mp3", QStringLiteral("http://a/歌 2.wma")}));
    EXPECT_FALSE(entries[0].isListRef);
}

TEST(AsxPlaylist, MatchesNamesCaseInsensitivelyWithAnyQuotingAndSpacing)
{
    const QString text = QStringLiteral("<ASX><Entry><REF HREF='single.mp3'></Entry>"
                                        "<entry><Ref Href=bare.mp3></entry>"
                                        "<entry><ref\n  href\n=\n\"spread.mp3\"\n/></entry>"
                                        "<entry><ref title=\"x\" hReF = \"second-attr.mp3\" /></entry>"
                                        "<entry><ref href=bare-closed.mp3/></entry></ASX>");
    EXPECT_EQ(hrefs(parseAsxPlaylist(text)),
              (Strings{"single.mp3", "bare.mp3", "spread.mp3", "second-attr.mp3", "bare-closed.mp3"}));
}

TEST(AsxPlaylist, ToleratesBrokenMarkup)
{
    // Unclosed tags, a missing </asx>, refs in comments, look-alike element names, refs without a
    // usable href, and an unterminated value that runs to the end of its line.
    const QString text = QStringLiteral("<asx version = \"3.0\"\n"
                                        "<entry><ref href = \"a.mp3\"\n"
                                        "<ref href = \"b.mp3\">\n"
                                        "<!-- <ref href = \"commented.mp3\"/> -->\n"
                                        "<reference href = \"not-a-ref.mp3\"/>\n"
                                        "<refx href = \"not-a-ref-either.mp3\"/>\n"
                                        "<ref>\n"
                                        "<ref href = \"\"/>\n"
                                        "<ref href=\"c.mp3\n"
                                        "<ref href = 'd.mp3'/>\n"
                                        "<entry><ref href = \"e.mp3");
    EXPECT_EQ(hrefs(parseAsxPlaylist(text)), (Strings{"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}));
    EXPECT_TRUE(parseAsxPlaylist(QStringLiteral("<asx><!-- <ref href=\"x\"/>")).empty());
    EXPECT_TRUE(parseAsxPlaylist(QStringLiteral("<<<>>><ref")).empty());
}

TEST(AsxPlaylist, KeepsAnUnescapedQuoteInsideAnAddress)
{
    // The program writes addresses unescaped, so a quote may sit inside the value.
    EXPECT_EQ(hrefs(parseAsxPlaylist(QStringLiteral("<ref href = \"http://x/a\"b.mp3\"/>"))),
              (Strings{"http://x/a\"b.mp3"}));
    EXPECT_EQ(hrefs(parseAsxPlaylist(QStringLiteral("<ref href = \"http://x/a\"b.mp3\">"))),
              (Strings{"http://x/a\"b.mp3"}));
    // A quote followed by another attribute does end the value.
    EXPECT_EQ(hrefs(parseAsxPlaylist(QStringLiteral("<ref href=\"a.mp3\" title=\"t\">"))),
              (Strings{"a.mp3"}));
}

TEST(AsxPlaylist, DecodesCharacterReferencesAndKeepsStrayAmpersands)
{
    const QString text = QStringLiteral("<ref href=\"http://x/?a=1&amp;b=2&#38;c=&#x4E2D;\"/>"
                                        "<ref href=\"http://x/?a=1&b=2&unknown;&#xD800;\"/>");
    EXPECT_EQ(hrefs(parseAsxPlaylist(text)),
              (Strings{QStringLiteral("http://x/?a=1&b=2&c=中"), "http://x/?a=1&b=2&unknown;&#xD800;"}));
}

TEST(AsxPlaylist, MarksEntryRefsAsLists)
{
    const auto entries =
        parseAsxPlaylist(QStringLiteral("<asx><EntryRef HREF=\"more.asx\"/><ref href=\"a.mp3\"/>"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (PlaylistEntry{"more.asx", true}));
    EXPECT_EQ(entries[1], (PlaylistEntry{"a.mp3", false}));
}

TEST(PlaylistText, DecodesGbkUtf8AndByteOrderMarks)
{
    // "歌曲" in GBK is B8 E8 C7 FA.
    EXPECT_EQ(decodePlaylistText(QByteArray("/m/\xB8\xE8\xC7\xFA.rm\r\n")), QStringLiteral("/m/歌曲.rm\r\n"));
    EXPECT_EQ(decodePlaylistText(QStringLiteral("/m/歌曲.rm").toUtf8()), QStringLiteral("/m/歌曲.rm"));
    EXPECT_EQ(decodePlaylistText(QByteArray("\xEF\xBB\xBF") + QStringLiteral("歌").toUtf8()),
              QStringLiteral("歌"));
    EXPECT_EQ(decodePlaylistText(QByteArray("\xFF\xFE<\0a\0", 6)), QStringLiteral("<a"));
    EXPECT_EQ(decodePlaylistText(QByteArray("\xFE\xFF\0<\0a", 6)), QStringLiteral("<a"));
    // A truncated GBK sequence degrades to a replacement character; the rest survives.
    EXPECT_EQ(decodePlaylistText(QByteArray("ab\xB8\xE8\xC7")), QStringLiteral("ab歌\uFFFD"));
    EXPECT_EQ(decodePlaylistText(QByteArray()), QString());
}

TEST(PlaylistText, FallsBackToTheOtherFormOnlyWhenTheTextLooksLikeIt)
{
    const QString lines = QStringLiteral("http://a/1.mp3\r\nhttp://a/2.mp3\r\n");
    const QString asx = QStringLiteral("<asx><entry><ref href=\"http://a/3.mp3\"/></entry></asx>");
    EXPECT_EQ(hrefs(parsePlaylistText(PlaylistKind::Asx, lines)),
              (Strings{"http://a/1.mp3", "http://a/2.mp3"}));
    EXPECT_EQ(hrefs(parsePlaylistText(PlaylistKind::Rpm, asx)), (Strings{"http://a/3.mp3"}));
    EXPECT_EQ(hrefs(parsePlaylistText(PlaylistKind::Ram, lines)),
              (Strings{"http://a/1.mp3", "http://a/2.mp3"}));
    // Markup without references gives no entries rather than its tag lines as addresses.
    EXPECT_TRUE(
        parsePlaylistText(PlaylistKind::Asx, QStringLiteral("<asx version = \"3.0\">\r\n</asx>")).empty());
    EXPECT_TRUE(parsePlaylistText(PlaylistKind::Rpm, QStringLiteral("<html>\r\n<body>\r\n")).empty());
}

TEST(AsxPlaylist, MarksFurtherRefsOfOneEntryAsFallbacks)
{
    auto alternatives = [](const QString& text) {
        std::vector<bool> out;
        for (const auto& e : parseAsxPlaylist(text))
            out.push_back(e.isAlternative);
        return out;
    };
    EXPECT_EQ(
        alternatives(QStringLiteral("<asx><entry><ref href=\"a\"/><REF href=\"b\"/><ref href=\"c\"/></entry>"
                                    "<Entry><ref href=\"d\"/></ENTRY></asx>")),
        (std::vector<bool>{false, true, true, false}));
    // An entry left open ends where the next begins; refs outside entries stand alone.
    EXPECT_EQ(alternatives(QStringLiteral("<entry><ref href=\"a\"><entry><ref href=\"b\"></entry>"
                                          "<ref href=\"c\"/><ref href=\"d\"/>")),
              (std::vector<bool>{false, false, false, false}));
    // A ref without a usable href is no source, so the next one is not its fallback.
    EXPECT_EQ(alternatives(QStringLiteral("<entry><ref href=\"\"/><ref href=\"b\"/></entry>")),
              (std::vector<bool>{false}));
}
