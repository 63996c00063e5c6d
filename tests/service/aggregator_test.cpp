// The aggregator over real services on loopback and over peers that misbehave: one merged page in a
// stable order, the counts added up, paging that follows the peers' own pages, a deadline no peer can
// stretch, and no address on a merged page that does not belong to the peer that sent it.

#include "service/aggregator_service.h"
#include "service/peer_fetch.h"
#include "service/peer_page.h"
#include "service/search_service.h"
#include "service_test_support.h"
#include "support/fault_http_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <set>

namespace lanseek::test {
namespace {

using service::AggregatorService;
using service::SearchService;
using service::ServiceOptions;

// A library of songs named from their files, each file's bytes its own.
struct SmallLibrary
{
    explicit SmallLibrary(const std::vector<std::string>& names)
    {
        unsigned seed = 1;
        for (const std::string& name : names) {
            writeFile(dir.path() / name, patternBytes(seed * 20000, seed));
            ++seed;
        }
    }
    TempDir dir;
};

std::string get(const std::string& base, const std::string& target)
{
    const auto hostPort = base.substr(std::string("http://").size());
    const auto colon = hostPort.rfind(':');
    httplib::Client client(hostPort.substr(0, colon), std::stoi(hostPort.substr(colon + 1)));
    client.set_read_timeout(10, 0);
    const auto res = client.Get(target.c_str());
    return res ? res->body : std::string();
}

std::string query(const std::string& word, int pn = 0)
{
    return "/m?lm=-1&ct=134217728&tn=baidump3&word=" + gbkQueryWord(word) + "&pn=" + std::to_string(pn) +
           "&ip=127.0.0.1&cl=3&z=0";
}

std::vector<PageLink> results(const PageReading& page, const std::string& aggregator)
{
    return page.linksContaining(aggregator + "/r?url=");
}

class Aggregate : public ::testing::Test
{
protected:
    Aggregate()
        : first({"林小雨 - 湖光.mp3", "周远航 - 湖边的长夜.mp3"}),
          second({"阿青 - 湖光.mp3", "阿青 - 山.mp3"}), a(ServiceOptions{first.dir.path(), "127.0.0.1", 0}),
          b(ServiceOptions{second.dir.path(), "127.0.0.1", 0})
    {
        EXPECT_TRUE(a.start());
        EXPECT_TRUE(b.start());
        service::AggregatorOptions options;
        options.peerDeadline = std::chrono::milliseconds(600);
        aggregator = std::make_unique<AggregatorService>(options);
        EXPECT_TRUE(aggregator->start());
        aggregator->setPeers({{"乙", b.baseUrl()}, {"甲", a.baseUrl()}, {"甲 again", a.baseUrl()}});
    }

    SmallLibrary first;
    SmallLibrary second;
    SearchService a;
    SearchService b;
    std::unique_ptr<AggregatorService> aggregator;
};

TEST_F(Aggregate, MergesEveryPeerShortestNamesFirstWithDownloadsOnThePeer)
{
    const PageReading page = readPage(get(aggregator->baseUrl(), query("湖")));
    const auto links = results(page, aggregator->baseUrl());
    ASSERT_EQ(links.size(), 3u); // a peer named twice is asked once
    // Shortest first; equal names in peer order (乙 before 甲).
    EXPECT_EQ(links[0].text, "阿青 - 湖光");
    EXPECT_EQ(links[1].text, "林小雨 - 湖光");
    EXPECT_EQ(links[2].text, "周远航 - 湖边的长夜");
    EXPECT_EQ(links[0].href, aggregator->baseUrl() + "/r?url=" + b.baseUrl() + "/music/" +
                                 "%E9%98%BF%E9%9D%92%20-%20%E6%B9%96%E5%85%89.mp3");
    EXPECT_NE(page.firstLineWith("百度为您找到相关结果3篇"), "");
    // The line reads as on the peer's own page: a client takes the size from places counted back from
    // the line's end, so the size keeps its width.
    EXPECT_EQ(page.firstLineWith(links[2].text),
              readPage(get(a.baseUrl(), query("湖边"))).firstLineWith(links[2].text));
    EXPECT_NE(page.firstLineWith(links[2].text).find(" 39 Kmp3"), std::string::npos);

    // The download address is the peer's own and gives the file's bytes.
    const std::string download = links[2].href.substr((aggregator->baseUrl() + "/r?url=").size());
    ASSERT_EQ(download.rfind(a.baseUrl() + "/music/", 0), 0u);
    std::ifstream file(first.dir.path() / "周远航 - 湖边的长夜.mp3", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(get(a.baseUrl(), download.substr(a.baseUrl().size())), bytes);

    // Peers may change while it runs; the next request asks the new list.
    aggregator->setPeers({{"甲", a.baseUrl()}});
    EXPECT_EQ(results(readPage(get(aggregator->baseUrl(), query("湖"))), aggregator->baseUrl()).size(), 2u);
}

TEST_F(Aggregate, FollowUpPagesAreThePeersFollowUpPages)
{
    TestLibrary bulk; // 35 "Song NN" files beside the rest
    SearchService c(ServiceOptions{bulk.root(), "127.0.0.1", 0});
    SmallLibrary few({"Song A.mp3", "Song B.mp3"});
    SearchService d(ServiceOptions{few.dir.path(), "127.0.0.1", 0});
    ASSERT_TRUE(c.start());
    ASSERT_TRUE(d.start());
    aggregator->setPeers({{"c", c.baseUrl()}, {"d", d.baseUrl()}});

    std::set<std::string> seen;
    std::size_t listed = 0;
    for (int pn : {0, 30, 60}) {
        const PageReading page = readPage(get(aggregator->baseUrl(), query("Song", pn)));
        EXPECT_NE(page.firstLineWith("百度为您找到相关结果37篇"), "") << pn;
        for (const PageLink& link : results(page, aggregator->baseUrl())) {
            seen.insert(link.href);
            ++listed;
        }
        if (pn == 0) {
            EXPECT_EQ(listed, 32u);
            EXPECT_EQ(page.linksContaining("&pn=30&").size(), 2u); // page "2" and "下一页"
        }
    }
    EXPECT_EQ(listed, 37u);
    EXPECT_EQ(seen.size(), 37u); // no song on two pages
}

TEST_F(Aggregate, ASlowOrDeadPeerCostsNoMoreThanTheDeadline)
{
    FaultHttpServer slow;
    ServedFile stalling{"<html></html>"};
    stalling.firstByteDelayMs = 5000;
    slow.serve("/m", stalling);
    UnansweredPort unanswered;
    aggregator->setPeers({{"a", a.baseUrl()},
                          {"slow", "http://127.0.0.1:" + std::to_string(slow.port())},
                          {"refusing", "http://127.0.0.1:" + std::to_string(FaultHttpServer::closedPort())},
                          {"unanswered", "http://127.0.0.1:" + std::to_string(unanswered.port())}});
    const auto began = std::chrono::steady_clock::now();
    const PageReading page = readPage(get(aggregator->baseUrl(), query("湖")));
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_LT(took, std::chrono::milliseconds(1200)); // the deadline is 600 ms
    EXPECT_EQ(results(page, aggregator->baseUrl()).size(), 2u);
    EXPECT_NE(page.firstLineWith("百度为您找到相关结果2篇"), "");
}

TEST_F(Aggregate, APeerCannotPlaceOtherHostsOrBrokenLinesOnTheMergedPage)
{
    FaultHttpServer hostile;
    const std::string self = "http://127.0.0.1:" + std::to_string(hostile.port());
    const std::string page = "<html><body>"
                             "<div><a href=\"" +
                             self +
                             "/r?url=http://evil.example/x.mp3\">Third</a> 3.52Mmp3</div>"
                             "<div><a href=\"http://evil.example/r?url=" +
                             self +
                             "/music/y.mp3\">Moved</a> 3.52Mmp3</div>"
                             "<div><a href=\"" +
                             self + "/r?url=" + self +
                             "/music/ok.mp3\">Honest</a> 1.20Mmp3</div>"
                             "<div><a href=\"" +
                             self + "/r?url=" + self +
                             "/music/z.mp3\">Unsized</a> big file</div>"
                             "<div><a href=\"" +
                             self + "/r?url=" + self +
                             "/music/a%22b.mp3\">Quote</a> 1.20Mmp3</div>"
                             "<div>百度为您找到相关结果99999999999999999999篇</div></body></html>";
    ServedFile served{page};
    served.contentType = "text/html; charset=utf-8";
    hostile.serve("/m", served);
    aggregator->setPeers({{"hostile", self}});
    const PageReading merged = readPage(get(aggregator->baseUrl(), query("x")));
    const auto links = results(merged, aggregator->baseUrl());
    ASSERT_EQ(links.size(), 2u);
    // "Quote" is the shorter name, so it comes first.
    EXPECT_EQ(links[0].href, aggregator->baseUrl() + "/r?url=" + self + "/music/a%22b.mp3");
    EXPECT_EQ(links[1].href, aggregator->baseUrl() + "/r?url=" + self + "/music/ok.mp3");
    for (const std::string& line : merged.lines) {
        EXPECT_EQ(line.find("evil"), std::string::npos) << line;
    }
    // A count past belief counts as the songs read.
    EXPECT_NE(merged.firstLineWith("百度为您找到相关结果2篇"), "");
}

TEST_F(Aggregate, ChartsListEverySingerOnce)
{
    const PageReading page = readPage(get(aggregator->baseUrl(), "/singer/singers.html"));
    const auto singers = page.linksContaining(aggregator->baseUrl() + "/singer/");
    std::set<std::string> names;
    for (const PageLink& link : singers) {
        names.insert(link.text);
    }
    EXPECT_EQ(names, (std::set<std::string>{"林小雨", "周远航", "阿青"}));
    EXPECT_EQ(singers.size(), 3u);

    const PageReading one = readPage(get(aggregator->baseUrl(), "/singer/" + gbkQueryWord("阿青") + ".html"));
    EXPECT_EQ(results(one, aggregator->baseUrl()).size(), 2u);
}

TEST(PeerFetch, LeavesOutRedirectsOversizedPagesAndErrors)
{
    FaultHttpServer peer;
    peer.serve("/big", ServedFile{std::string(100000, 'x')});
    ServedFile moved{"moved"};
    moved.status = 302;
    moved.location = peer.url("/big");
    peer.serve("/moved", moved);
    ServedFile failing{"no"};
    failing.status = 500;
    peer.serve("/failing", failing);
    peer.serve("/small", ServedFile{"fine"});
    const auto replies =
        service::fetchAll({peer.url("/big"), peer.url("/moved"), peer.url("/failing"), peer.url("/small")},
                          std::chrono::milliseconds(2000), 10000);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[0].outcome, service::PeerOutcome::TooLarge);
    EXPECT_TRUE(replies[0].body.empty());
    EXPECT_EQ(replies[1].outcome, service::PeerOutcome::Refused); // never followed to /big
    EXPECT_EQ(replies[2].outcome, service::PeerOutcome::Refused);
    EXPECT_EQ(replies[3].outcome, service::PeerOutcome::Answered);
    EXPECT_EQ(replies[3].body, "fine");
    EXPECT_EQ(peer.requestCount(), 4u);
}

TEST(PeerPage, GarbageAndDeepNestingEndCleanlyWithAddressesOnThePeer)
{
    const std::string base = "http://127.0.0.1:9";
    std::string deep;
    for (int i = 0; i < 200000; ++i) {
        deep += "<div>";
    }
    deep += "<a href=\"" + base + "/r?url=" + base + "/music/a.mp3\">Deep</a> 1.00Mmp3";
    std::string noise(300000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919) & 0xFF);
    }
    for (const std::string& body :
         {deep, noise, std::string("<a href=\"") + std::string(100000, '%') + "\">x</a>"}) {
        const auto results = service::readPeerResults(body, "text/html", base);
        EXPECT_LE(results.songs.size(), 1u);
        for (const auto& song : results.songs) {
            EXPECT_EQ(song.download.rfind(base + "/music/", 0), 0u);
        }
    }
}

} // namespace
} // namespace lanseek::test
