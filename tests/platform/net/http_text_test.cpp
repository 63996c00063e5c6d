#include "platform/net/http_address.h"
#include "platform/net/http_reply.h"
#include "platform/net/id_http.h"
#include "platform/net/net_error.h"

#include <gtest/gtest.h>

using namespace lanseek::platform;

TEST(HttpAddress, TakesSchemeHostAndPortFromTheAddress)
{
    const auto explicitPort = parseHttpUrl("http://Music.Example.cn:8080/songs/x.mp3");
    ASSERT_TRUE(explicitPort);
    EXPECT_EQ(explicitPort->scheme, "http");
    EXPECT_EQ(explicitPort->host, "music.example.cn");
    EXPECT_EQ(explicitPort->port, 8080);
    EXPECT_EQ(explicitPort->target, "/songs/x.mp3");

    const auto plain = parseHttpUrl("http://a.cn/x.mp3");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->port, 80);

    const auto secure = parseHttpUrl("HTTPS://a.cn/x.wma");
    ASSERT_TRUE(secure);
    EXPECT_TRUE(secure->tls());
    EXPECT_EQ(secure->port, 443);

    const auto bare = parseHttpUrl("http://a.cn");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->target, "/");

    const auto query = parseHttpUrl(" http://a.cn/get?id=7&t=mp3#top ");
    ASSERT_TRUE(query);
    EXPECT_EQ(query->target, "/get?id=7&t=mp3");

    const auto v6 = parseHttpUrl("http://[::1]:81/p");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "[::1]");
    EXPECT_EQ(v6->port, 81);
}

TEST(HttpAddress, RefusesWhatCannotBeFetched)
{
    for (const char* bad : {"ftp://a.cn/x.mp3", "mms://a.cn/x.wma", "a.cn/x.mp3", "http://", "http:///x",
                            "http://a.cn:0/x", "http://a.cn:65536/x", "http://a.cn:8o/x", "http://a.cn:/x",
                            "http://user:pw@a.cn/x", "http://a cn/x", "http://[zz]/x"}) {
        EXPECT_FALSE(parseHttpUrl(bad)) << bad;
    }
}

TEST(HttpAddress, RebuildsTheAddressWithoutTheDefaultPort)
{
    EXPECT_EQ(parseHttpUrl("http://a.cn:80/x y.mp3")->url(), "http://a.cn/x%20y.mp3");
    EXPECT_EQ(parseHttpUrl("http://a.cn:8080/x")->url(), "http://a.cn:8080/x");
    EXPECT_EQ(parseHttpUrl("https://a.cn:443/x")->url(), "https://a.cn/x");
    EXPECT_EQ(parseHttpUrl("https://a.cn:80/x")->url(), "https://a.cn:80/x");
}

TEST(HttpAddress, SplitsHostAndPortAsTheQueueHandsThemOver)
{
    EXPECT_EQ(splitHostPort("a.cn", 80), std::make_pair(std::string("a.cn"), std::uint16_t{80}));
    EXPECT_EQ(splitHostPort("a.cn:8080", 80), std::make_pair(std::string("a.cn"), std::uint16_t{8080}));
    EXPECT_FALSE(splitHostPort("", 80));
    EXPECT_FALSE(splitHostPort("a.cn:", 80));
    EXPECT_FALSE(splitHostPort("a.cn:99999", 80));
}

TEST(HttpAddress, EscapesBytesThatMayNotAppearOnTheRequestLine)
{
    // Scraped addresses carry spaces and raw GBK bytes ("\xC4\xE3" is one Chinese character).
    EXPECT_EQ(encodeRequestTarget("/a b\xC4\xE3.mp3"), "/a%20b%C4%E3.mp3");
    EXPECT_EQ(encodeRequestTarget("/x\"<>|{}.mp3"), "/x%22%3C%3E%7C%7B%7D.mp3");
    // Escaping twice would change the address the server sees.
    EXPECT_EQ(encodeRequestTarget("/a%20b%c4.mp3"), "/a%20b%c4.mp3");
    EXPECT_EQ(encodeRequestTarget("/100%.mp3"), "/100%25.mp3");
    EXPECT_EQ(encodeRequestTarget("/x%4"), "/x%254");
    EXPECT_EQ(encodeRequestTarget("/p?a=1&b=/c"), "/p?a=1&b=/c");
}

TEST(HttpRequestRange, FormsTheThreeHeaderShapes)
{
    EXPECT_EQ((RequestRange{200000, 400000}.headerValue()), "bytes=200000-400000");
    EXPECT_EQ((RequestRange{100, 0}.headerValue()), "bytes=100-");
    EXPECT_TRUE((RequestRange{0, 0}.empty()));
    EXPECT_EQ((RequestRange{0, 0}.headerValue()), "");
    // Only both bounds at 0 drop the header; the first segment still names its end.
    EXPECT_EQ((RequestRange{0, 5}.headerValue()), "bytes=0-5");
    EXPECT_EQ((RequestRange{3221225472, 4294967296}.boundsText()), "3221225472-4294967296");

    TIdHTTP client;
    EXPECT_THROW(client.setRange(-1, 10), std::invalid_argument);
    EXPECT_THROW(client.setRange(0, -10), std::invalid_argument);
}

TEST(HttpReplyText, ReadsStatusLines)
{
    const auto notFound = parseStatusLine("HTTP/1.1 404 Not Found\r\n");
    ASSERT_TRUE(notFound);
    EXPECT_EQ(notFound->code, 404);
    EXPECT_EQ(notFound->text, "HTTP/1.1 404 Not Found");
    const auto bare = parseStatusLine("HTTP/1.0 200");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->code, 200);
    for (const char* bad : {"HTTP/1.1 20", "HTTP/1.1 2000 OK", "ICY 200 OK", "HTTP/1.1 2x0 OK", ""}) {
        EXPECT_FALSE(parseStatusLine(bad)) << bad;
    }
}

TEST(HttpReplyText, ReadsSixtyFourBitContentLengths)
{
    EXPECT_EQ(parseContentLength("3221225472"), 3221225472);
    EXPECT_EQ(parseContentLength(" 12 "), 12);
    EXPECT_EQ(parseContentLength("9223372036854775807"), INT64_MAX);
    for (const char* bad : {"", "-1", "12a", "1 2", "0x10", "9223372036854775808", "99999999999999999999"}) {
        EXPECT_FALSE(parseContentLength(bad)) << bad;
    }
}

TEST(HttpReplyText, ReadsContentRanges)
{
    const auto range = parseContentRange("bytes 200000-400000/1000003");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 200000);
    EXPECT_EQ(range->last, 400000);
    EXPECT_EQ(range->total, 1000003);
    EXPECT_EQ(range->length(), 200001);

    const auto unknownTotal = parseContentRange("Bytes 5-9/*");
    ASSERT_TRUE(unknownTotal);
    EXPECT_EQ(unknownTotal->total, -1);

    const auto big = parseContentRange("bytes 3000000000-3000000099/4000000000");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->first, 3000000000);

    for (const char* bad : {"bytes 10-5/100", "bytes 0-99/50", "bytes 0-99/99", "bytes=0-1/2", "bytes 0-/10",
                            "items 0-1/2", "bytes */100", "bytes"}) {
        EXPECT_FALSE(parseContentRange(bad)) << bad;
    }
}

TEST(HttpReplyText, MatchesHeaderNamesWithoutRegardToCase)
{
    EXPECT_EQ(headerValueIf("content-length:  42 ", "Content-Length"), "42");
    EXPECT_FALSE(headerValueIf("Content-Length-X: 42", "Content-Length"));
    EXPECT_FALSE(headerValueIf("Content", "Content-Length"));
}

TEST(NetErrorText, KeepsTheWordsTheErrorPolicyLooksFor)
{
    const SocketError refused(111, "Connection refused");
    EXPECT_STREQ(refused.what(), "Socket Error # 111 Connection refused.");
    EXPECT_EQ(refused.osError(), 111);
    EXPECT_STREQ(SocketError(0, "Host not found: a.cn.").what(), "Socket Error: Host not found: a.cn.");

    const HttpStatusError notFound(404, "HTTP/1.1 404 Not Found");
    EXPECT_STREQ(notFound.what(), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(notFound.statusCode(), 404);
}
