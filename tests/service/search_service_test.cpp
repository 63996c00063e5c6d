// The service over HTTP, as the program and LAN peers meet it: result pages, paging, filters, charts,
// the redirect endpoint and song downloads with ranges.

#include "service/search_service.h"

#include "service_test_support.h"
#include "shared_service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

using lanseek::test::gbkQueryWord;
using lanseek::test::PageReading;
using lanseek::test::patternBytes;
using lanseek::test::readPage;
using lanseek::test::TestLibrary;

class ServiceTest : public lanseek::test::SharedService
{
protected:
    static httplib::Client client()
    {
        httplib::Client cli("127.0.0.1", s_service->port());
        cli.set_url_encode(false);
        return cli;
    }
    static httplib::Result get(const std::string& path, const httplib::Headers& headers = {})
    {
        auto cli = client();
        return cli.Get(path.c_str(), headers);
    }
    static PageReading page(const std::string& path)
    {
        auto res = get(path);
        EXPECT_TRUE(res);
        if (!res) {
            return {};
        }
        EXPECT_EQ(res->status, 200) << path;
        return readPage(res->body);
    }
    static std::string base() { return s_service->baseUrl(); }
    static std::string firstPage(const std::string& word, const std::string& lm)
    {
        return "/m?tn=baidump3&ct=134217728&rn=&word=" + word + "&lm=" + lm;
    }
    static std::string followUp(const std::string& word, const std::string& lm, int pn)
    {
        return "/m?lm=" + lm + "&ct=134217728&tn=baidump3&word=" + word + "&pn=" + std::to_string(pn) +
               "&ip=&cl=3&z=0";
    }
};

TEST_F(ServiceTest, ResultPageCarriesWhatTheProgramHarvests)
{
    auto res = get(firstPage(gbkQueryWord("海边"), "0"));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=gbk");
    EXPECT_NE(res->body.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"),
              std::string::npos);
    const PageReading reading = readPage(res->body);

    const auto results = reading.linksContaining("/r?url=");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].text, "晨风乐队 - 海边的清晨");
    EXPECT_EQ(results[0].href, base() + "/r?url=" + base() + "/music/sub/track01.mp3");

    const std::string line = reading.firstLineWith(results[0].text);
    const auto size = fs::file_size(s_library->root() / "sub" / "track01.mp3");
    EXPECT_EQ(line, "晨风乐队 - 海边的清晨 " + std::to_string((size + 512) / 1024) + " Kmp3");
    EXPECT_EQ(reading.firstLineWith("百度为您找到相关结果"), "百度为您找到相关结果1篇");

    // Query links tell the client its own address between "&ip=" and "&cl=".
    const auto withIp =
        reading.linksContaining(base() + "/m?lm=0&ct=134217728&tn=baidump3&word=%BA%A3%B1%DF&pn=0");
    ASSERT_FALSE(withIp.empty());
    EXPECT_NE(withIp[0].href.find("&ip=127.0.0.1&cl=3&z=0"), std::string::npos) << withIp[0].href;

    // The album of the result, for the album search.
    const auto albums = reading.linksContaining("&f=al");
    ASSERT_EQ(albums.size(), 1u);
    EXPECT_EQ(albums[0].text, "潮汐笔记");
    EXPECT_EQ(albums[0].href.rfind(base() + "/m?tn=baidump3&ct=134217728&word=", 0), 0u);
}

TEST_F(ServiceTest, EveryResultLineEndsWithItsSizeAndType)
{
    const PageReading reading = page(firstPage("a", "-1")); // Blue Lantern, pattern, Static, Harbor...
    const auto results = reading.linksContaining("/r?url=");
    ASSERT_GE(results.size(), 5u);
    for (const auto& link : results) {
        const std::string line = reading.firstLineWith(link.text);
        ASSERT_FALSE(line.empty()) << link.text;
        EXPECT_EQ(line.rfind(link.text, 0), 0u) << "result line does not start with its name: " << line;
        const std::string address = link.href.substr(link.href.find("/r?url=") + 7);
        const std::string ext = address.substr(address.rfind('.') + 1);
        std::string type;
        for (char c : ext) {
            type += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const std::size_t tail = type == "rm" ? 7 : 8;
        ASSERT_GE(line.size(), tail + link.text.size());
        const std::string end = line.substr(line.size() - tail);
        EXPECT_TRUE(end[4] == 'K' || end[4] == 'M') << line;
        EXPECT_EQ(end.substr(5), type) << line;
    }
    // 700 KiB of Harbor.asf.
    EXPECT_EQ(reading.firstLineWith("Harbor"), "Harbor 700 Kasf");
}

TEST_F(ServiceTest, PagingThroughResults)
{
    const PageReading first = page(firstPage("song", "0"));
    EXPECT_EQ(first.linksContaining("/r?url=").size(), 30u);
    EXPECT_EQ(first.firstLineWith("百度为您找到相关结果"), "百度为您找到相关结果35篇");
    const auto next = first.linksContaining("&pn=30&");
    ASSERT_FALSE(next.empty());

    const PageReading second = page(followUp("song", "0", 30));
    const auto secondResults = second.linksContaining("/r?url=");
    EXPECT_EQ(secondResults.size(), 5u);
    for (const auto& link : secondResults) {
        EXPECT_TRUE(first.firstLineWith(link.text).empty()) << link.text << " is on both pages";
    }

    const PageReading beyond = page(followUp("song", "0", 60));
    EXPECT_TRUE(beyond.linksContaining("/r?url=").empty());
    EXPECT_EQ(beyond.firstLineWith("百度为您找到相关结果"), "百度为您找到相关结果35篇");
    EXPECT_FALSE(beyond.linksContaining("&ip=127.0.0.1&cl=").empty());

    const PageReading huge =
        page("/m?lm=0&ct=134217728&tn=baidump3&word=song&pn=99999999999999999999999&ip=&cl=3&z=0");
    EXPECT_TRUE(huge.linksContaining("/r?url=").empty());
    EXPECT_EQ(huge.firstLineWith("百度为您找到相关结果"), "百度为您找到相关结果35篇");
}

TEST_F(ServiceTest, MediaTypeFilter)
{
    auto count = [](const std::string& lm) {
        return page(firstPage("pattern", lm)).linksContaining("/r?url=").size();
    };
    EXPECT_EQ(count("1"), 1u);
    EXPECT_EQ(count("4"), 1u);
    EXPECT_EQ(count("0"), 0u);
    EXPECT_EQ(count("-1"), 2u);
    EXPECT_EQ(page("/m?tn=baidump3&ct=134217728&rn=&word=pattern").linksContaining("/r?url=").size(), 2u);
    EXPECT_EQ(page(firstPage("noise", "2")).linksContaining("/r?url=").size(), 1u);
    EXPECT_EQ(page(firstPage("harbor", "3")).linksContaining("/r?url=").size(), 1u);
}

TEST_F(ServiceTest, WordsInGbkUtf8OrNeither)
{
    EXPECT_EQ(page(firstPage(gbkQueryWord("晨风"), "0")).linksContaining("/r?url=").size(), 1u);
    EXPECT_EQ(page(firstPage("%E6%99%A8%E9%A3%8E", "0")).linksContaining("/r?url=").size(), 1u);
    EXPECT_EQ(page(firstPage("BLUE%20lantern", "-1")).linksContaining("/r?url=").size(), 1u);
    for (const std::string& word : {std::string("%FF%FE"), std::string(), std::string("%20%20")}) {
        const PageReading reading = page(firstPage(word, "0"));
        EXPECT_TRUE(reading.linksContaining("/r?url=").empty()) << word;
        EXPECT_EQ(reading.firstLineWith("百度为您找到相关结果"), "百度为您找到相关结果0篇");
    }
    // Keys missing or doubled, no query at all: an empty answer, never an error.
    for (const char* odd : {"/m", "/m?", "/m?word", "/m?word=%&lm=x&pn=-", "/m?&&&=&word=a=b"}) {
        auto res = get(odd);
        ASSERT_TRUE(res) << odd;
        EXPECT_EQ(res->status, 200) << odd;
    }
}

TEST_F(ServiceTest, AlbumQueryListsTheAlbumsSongs)
{
    const PageReading reading =
        page("/m?tn=baidump3&ct=134217728&word=" + gbkQueryWord("潮汐笔记") + "&f=al");
    const auto results = reading.linksContaining("/r?url=");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].text, "晨风乐队 - 海边的清晨");
}

TEST_F(ServiceTest, LinksUseTheHostTheClientAskedFor)
{
    auto res = get(firstPage("harbor", "-1"), {{"Host", "music.lan:8080"}});
    ASSERT_TRUE(res);
    const auto results = readPage(res->body).linksContaining("/r?url=");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].href, "http://music.lan:8080/r?url=http://music.lan:8080/music/Harbor.asf");

    res = get(firstPage("harbor", "-1"), {{"Host", "evil\"><script>"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(readPage(res->body).linksContaining("/r?url=")[0].href.rfind(base() + "/r?url=", 0), 0u);
}

TEST_F(ServiceTest, RedirectEndpointSendsOnlyToWebAddresses)
{
    auto res = get("/r?url=" + base() + "/music/pattern.rm");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 302);
    EXPECT_EQ(res->get_header_value("Location"), base() + "/music/pattern.rm");

    res = get("/r?url=http%3A%2F%2Fexample.lan%2Fa.mp3");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 302);
    EXPECT_EQ(res->get_header_value("Location"), "http://example.lan/a.mp3");

    // Escapes in a plain address stay escapes on the wire: they cannot end the header line.
    const std::string raw = lanseek::test::rawExchange(
        s_service->port(),
        "GET /r?url=http://a/%0d%0aSet-Cookie:x HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(raw.rfind("HTTP/1.1 302", 0), 0u) << raw;
    EXPECT_NE(raw.find("\r\nLocation: http://a/%0d%0aSet-Cookie:x\r\n"), std::string::npos) << raw;
    EXPECT_EQ(raw.find("\r\nSet-Cookie"), std::string::npos) << raw;

    for (const char* bad :
         {"/r", "/r?x=1", "/r?url=", "/r?url=file:///etc/passwd", "/r?url=javascript:alert(1)",
          "/r?url=/music/pattern.rm", "/r?url=http%3A%2F%2Fa%2F%0D%0ASet-Cookie:x", "/r?url=http://",
          "/r?url=https:///etc/passwd"}) {
        res = get(bad);
        ASSERT_TRUE(res) << bad;
        EXPECT_EQ(res->status, 400) << bad;
        EXPECT_FALSE(res->has_header("Location")) << bad;
    }
}

TEST_F(ServiceTest, ChartPagesCarryTheThreeLinkKinds)
{
    const PageReading male = page("/ngeshou.html");
    const auto maleSingers = male.linksContaining(base() + "/singer/");
    ASSERT_EQ(maleSingers.size(), 1u);
    EXPECT_EQ(maleSingers[0].text, "晨风乐队");
    EXPECT_TRUE(page("/ygeshou.html").linksContaining("/singer/").empty());

    const PageReading all = page("/singer/singers.html");
    const auto singers = all.linksContaining(base() + "/singer/");
    ASSERT_EQ(singers.size(), 2u);
    EXPECT_EQ(singers[0].text, "Blue Lantern");
    EXPECT_EQ(singers[0].href, base() + "/singer/Blue%20Lantern.html");

    const PageReading songs = page("/mp3.html");
    const auto general = songs.linksContaining(base() + "/m?rn=&tn=baidump3&ct=");
    EXPECT_EQ(general.size(), 6 + TestLibrary::kBulkSongs);
    EXPECT_TRUE(songs.linksContaining("/singer/").empty());
    EXPECT_TRUE(songs.linksContaining("&f=al").empty());

    // A singer's page lists that singer's songs, under the address the chart gave.
    const PageReading singerPage = page(singers[1].href.substr(base().size()));
    const auto results = singerPage.linksContaining("/r?url=");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].text, "晨风乐队 - 海边的清晨");
}

TEST_F(ServiceTest, SongDownloadsWholeAndInRanges)
{
    const std::string path = "/music/pattern.rm";
    const std::string content = patternBytes(TestLibrary::kPatternSize);
    const std::string total = "/" + std::to_string(content.size());

    auto res = get(path);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(content.size()));
    EXPECT_EQ(res->get_header_value("Accept-Ranges"), "bytes");
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/vnd.rn-realmedia");
    EXPECT_TRUE(res->body == content);

    const struct
    {
        const char* range;
        std::size_t first;
        std::size_t last;
    } ranges[] = {
        {"bytes=0-0", 0, 0},
        {"bytes=40000-59999", 40000, 59999},
        {"bytes=99999-99999", 99999, 99999},
        {"bytes=-100", 99900, 99999},
        {"bytes=80000-", 80000, 99999},
        {"bytes=80000-100000", 80000, 99999},
    };
    for (const auto& r : ranges) {
        res = get(path, {{"Range", r.range}});
        ASSERT_TRUE(res) << r.range;
        EXPECT_EQ(res->status, 206) << r.range;
        EXPECT_EQ(res->get_header_value("Content-Range"),
                  "bytes " + std::to_string(r.first) + "-" + std::to_string(r.last) + total)
            << r.range;
        EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(r.last - r.first + 1)) << r.range;
        EXPECT_TRUE(res->body == content.substr(r.first, r.last - r.first + 1)) << r.range;
    }

    for (const char* unsatisfiable : {"bytes=100000-", "bytes=200000-300000"}) {
        res = get(path, {{"Range", unsatisfiable}});
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 416) << unsatisfiable;
        EXPECT_EQ(res->get_header_value("Content-Range"), "bytes *" + total);
    }

    auto cli = client();
    res = cli.Head(path.c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(content.size()));
    EXPECT_TRUE(res->body.empty());
    res = cli.Head(path.c_str(), {{"Range", "bytes=10-19"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 206);
    EXPECT_EQ(res->get_header_value("Content-Length"), "10");
}

TEST_F(ServiceTest, BigSongStreamsInFull)
{
    auto res = get("/music/Harbor.asf", {{"Range", "bytes=1000-"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 206);
    EXPECT_TRUE(res->body == patternBytes(700 * 1024, 3).substr(1000));
}

TEST_F(ServiceTest, PlaylistNamesItsSongByFullAddress)
{
    auto res = get("/music/radio/pattern%20stream.ram");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    const std::string expected = base() + "/music/pattern.rm\r\n";
    EXPECT_EQ(res->body, expected);
    EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(expected.size()));
    res = get("/music/radio/pattern%20stream.ram", {{"Range", "bytes=-4"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 206);
    EXPECT_EQ(res->body, "rm\r\n");
}

TEST_F(ServiceTest, NothingOutsideTheLibraryIsServed)
{
    for (const char* path :
         {"/music/../../etc/passwd", "/music/%2e%2e/%2e%2e/etc/passwd", "/music/%2E%2E%2Fpattern.rm",
          "/music//etc/passwd", "/music/sub/../sub/track01.mp3", "/music/escape.mp3", "/music/notes.txt",
          "/music/.hidden/secret.mp3", "/music/", "/music/sub", "/music/%00", "/music/pattern.rm%00.txt"}) {
        auto res = get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_TRUE(res->status == 404 || res->status == 403 || res->status == 400)
            << path << " " << res->status;
        EXPECT_EQ(res->body.find("outside the library"), std::string::npos) << path;

        const std::string raw = lanseek::test::rawExchange(
            s_service->port(),
            std::string("GET ") + path + " HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n");
        EXPECT_EQ(raw.find(" 200 "), std::string::npos) << path;
        EXPECT_EQ(raw.find("outside the library"), std::string::npos) << path;
    }
    const std::string absolute = lanseek::test::rawExchange(
        s_service->port(),
        "GET " + s_library->outside().string() + " HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(absolute.find("outside the library"), std::string::npos);
}

TEST(SearchServiceLifetime, SongLinkedAwayAfterIndexingIsRefused)
{
    TestLibrary library;
    SearchService service(ServiceOptions{library.root(), "127.0.0.1", 0});
    ASSERT_TRUE(service.start());
    fs::remove(library.root() / "pattern.rm");
    fs::create_symlink(library.outside(), library.root() / "pattern.rm");
    httplib::Client cli("127.0.0.1", service.port());
    auto res = cli.Get("/music/pattern.rm");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 403);
    EXPECT_EQ(res->body.find("outside the library"), std::string::npos);
}

TEST(SearchServiceLifetime, SongsReachedThroughLinksInsideTheLibraryAreServed)
{
    // Links whose files lie in hidden folders of the library are songs of their own, whether the link
    // names its file relative to itself or by its full path; a folder linked in from outside is not.
    lanseek::test::TempDir dir;
    const fs::path library = dir.path() / "music";
    lanseek::test::writeFile(library / ".store" / "near.mp3", "near bytes");
    lanseek::test::writeFile(library / ".store" / "far.mp3", "far bytes");
    fs::create_directories(library / "links");
    fs::create_symlink("../.store/near.mp3", library / "links" / "Near.mp3");
    fs::create_symlink(fs::canonical(library) / ".store" / "far.mp3", library / "links" / "Far.mp3");
    SearchService service(ServiceOptions{library, "127.0.0.1", 0});
    ASSERT_TRUE(service.start());
    httplib::Client cli("127.0.0.1", service.port());
    for (const auto& [path, bytes] :
         {std::pair{"/music/links/Near.mp3", "near bytes"}, std::pair{"/music/links/Far.mp3", "far bytes"}}) {
        auto res = cli.Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 200) << path;
        EXPECT_EQ(res->body, bytes) << path;
    }
    // The link's place taken by a folder link that leads out of the library after indexing.
    lanseek::test::writeFile(dir.path() / "elsewhere" / "near.mp3", "not shared");
    fs::remove_all(library / ".store");
    fs::create_directory_symlink(dir.path() / "elsewhere", library / ".store");
    auto res = cli.Get("/music/links/Near.mp3");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 403);
}

TEST(SearchServiceLifetime, SongReplacedByAPipeIsRefusedWithoutStalling)
{
    // Opening a pipe for reading waits for a writer; the server must neither wait nor send from it.
    TestLibrary library;
    SearchService service(ServiceOptions{library.root(), "127.0.0.1", 0});
    ASSERT_TRUE(service.start());
    fs::remove(library.root() / "pattern.rm");
    ASSERT_EQ(mkfifo((library.root() / "pattern.rm").c_str(), 0600), 0);
    httplib::Client cli("127.0.0.1", service.port());
    cli.set_read_timeout(5);
    auto res = cli.Get("/music/pattern.rm");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 403);
    res = cli.Get("/mp3.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

TEST(SearchServiceLifetime, ClientsHangingUpMidSongLeaveItRunning)
{
    // The program's size probe reads the length and hangs up in the middle of the song; the service must
    // neither die nor stall on such connections.
    lanseek::test::TempDir dir;
    lanseek::test::writeFile(dir.path() / "long.mp3", std::string(16 * 1024 * 1024, 'x'));
    SearchService service(ServiceOptions{dir.path(), "127.0.0.1", 0});
    ASSERT_TRUE(service.start());
    for (int i = 0; i < 3; ++i) {
        const int sock = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(service.port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string request = "GET /music/long.mp3 HTTP/1.1\r\nHost: h\r\n\r\n";
        ASSERT_EQ(send(sock, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
        char head[64];
        ASSERT_GT(recv(sock, head, sizeof head, 0), 0);
        close(sock);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    httplib::Client cli("127.0.0.1", service.port());
    auto res = cli.Get("/music/long.mp3", {{"Range", "bytes=0-9"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "xxxxxxxxxx");
}

TEST(SearchServiceLifetime, StartsOnEphemeralPortsAndStops)
{
    TestLibrary library;
    SearchService first(ServiceOptions{library.root(), "127.0.0.1", 0});
    SearchService second(ServiceOptions{library.root(), "127.0.0.1", 0});
    std::string error;
    ASSERT_TRUE(first.start(&error)) << error;
    ASSERT_TRUE(second.start(&error)) << error;
    EXPECT_GT(first.port(), 0);
    EXPECT_NE(first.port(), second.port());
    EXPECT_EQ(first.baseUrl(), "http://127.0.0.1:" + std::to_string(first.port()));
    EXPECT_EQ(first.songCount(), 6 + TestLibrary::kBulkSongs);
    EXPECT_FALSE(first.start(&error));
    EXPECT_FALSE(error.empty());

    // The port is taken while the first one runs.
    SearchService clash(ServiceOptions{library.root(), "127.0.0.1", first.port()});
    EXPECT_FALSE(clash.start(&error));

    const int port = first.port();
    first.stop();
    first.stop();
    httplib::Client cli("127.0.0.1", port);
    cli.set_connection_timeout(1);
    EXPECT_FALSE(cli.Get("/m"));
    httplib::Client other("127.0.0.1", second.port());
    auto res = other.Get("/mp3.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);

    ASSERT_TRUE(first.start(&error)) << error;
    httplib::Client again("127.0.0.1", first.port());
    EXPECT_TRUE(again.Get("/mp3.html"));
}

TEST(SearchServiceLifetime, RescanPicksUpNewSongsAndKeepsOldOnesOnFailure)
{
    lanseek::test::TempDir dir;
    const fs::path library = dir.path() / "music";
    lanseek::test::writeFile(library / "First Light.mp3", "one");
    SearchService service(ServiceOptions{library, "127.0.0.1", 0});
    ASSERT_TRUE(service.start());
    httplib::Client cli("127.0.0.1", service.port());
    auto results = [&cli](const char* word) {
        auto res = cli.Get((std::string("/m?tn=baidump3&ct=134217728&rn=&word=") + word + "&lm=0").c_str());
        return res ? readPage(res->body).linksContaining("/r?url=").size() : 999u;
    };
    lanseek::test::writeFile(library / "Second Light.mp3", "two");
    EXPECT_EQ(results("light"), 1u);
    ASSERT_TRUE(service.rescan());
    EXPECT_EQ(results("light"), 2u);
    EXPECT_EQ(service.songCount(), 2u);

    fs::rename(library, dir.path() / "moved");
    std::string error;
    EXPECT_FALSE(service.rescan(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(results("light"), 2u);
}

TEST(SearchServiceLifetime, RequestsDuringRescansSeeOneWholeIndex)
{
    // The folder holds one of two sets of songs at a time, and each rescan swaps the other in while four
    // clients search on a pool of four threads: every page must come whole from one set.
    constexpr int kSongs = 40;
    lanseek::test::TempDir dir;
    const fs::path library = dir.path() / "music";
    auto fill = [&library](const std::string& set) {
        fs::remove_all(library);
        for (int i = 0; i < kSongs; ++i) {
            lanseek::test::writeFile(library / (set + " track " + std::to_string(100 + i) + ".mp3"), set);
        }
    };
    fill("alpha");
    ServiceOptions options{library, "127.0.0.1", 0};
    options.threads = 4;
    SearchService service(options);
    ASSERT_TRUE(service.start());

    std::atomic<bool> done{false};
    std::atomic<int> pages{0};
    std::vector<std::string> faults[4];
    std::mutex pageReading;
    std::vector<std::thread> clients;
    for (auto& fault : faults) {
        clients.emplace_back([&service, &done, &pages, &fault, &pageReading] {
            // Raw requests rather than a client library, so that the thread sanitizer sees every access.
            const std::string request = "GET /m?tn=baidump3&ct=134217728&rn=&word=track&lm=-1 HTTP/1.1\r\n"
                                        "Host: h\r\nConnection: close\r\n\r\n";
            while (!done.load()) {
                const std::string response = lanseek::test::rawExchange(service.port(), request);
                const auto body = response.find("\r\n\r\n");
                if (response.rfind("HTTP/1.1 200", 0) != 0 || body == std::string::npos) {
                    fault.push_back("no answer");
                    continue;
                }
                // One page read at a time: the reading's regular expressions share the locale's lazily
                // filled tables, which the thread sanitizer would report in place of the service.
                const PageReading reading = [&] {
                    const std::lock_guard lock(pageReading);
                    return readPage(std::string_view(response).substr(body + 4));
                }();
                const auto links = reading.linksContaining("/r?url=");
                const bool alpha = !links.empty() && links.front().text.starts_with("alpha");
                const std::string set = alpha ? "alpha" : "beta";
                const bool whole =
                    links.size() == 30 &&
                    std::all_of(links.begin(), links.end(),
                                [&](const auto& link) { return link.text.starts_with(set); }) &&
                    !reading.firstLineWith("找到相关结果" + std::to_string(kSongs) + "篇").empty();
                if (!whole) {
                    fault.push_back(response.substr(0, 2000));
                }
                ++pages;
            }
        });
    }
    for (int round = 0; round < 12; ++round) {
        fill(round % 2 == 0 ? "beta" : "alpha");
        ASSERT_TRUE(service.rescan());
    }
    done = true;
    for (std::thread& client : clients) {
        client.join();
    }
    EXPECT_GT(pages.load(), 12);
    for (const auto& fault : faults) {
        EXPECT_TRUE(fault.empty()) << fault.size() << " torn or missing pages, the first:\n" << fault.front();
    }
}

TEST(SearchServiceLifetime, UnreadableLibraryFailsToStart)
{
    SearchService service(ServiceOptions{"/nonexistent/lanseek/library", "127.0.0.1", 0});
    std::string error;
    EXPECT_FALSE(service.start(&error));
    EXPECT_NE(error.find("/nonexistent/lanseek/library"), std::string::npos);
    EXPECT_EQ(service.port(), 0);
}

} // namespace
} // namespace lanseek::service
