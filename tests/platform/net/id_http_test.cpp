#include "platform/net/id_http.h"
#include "platform/net/net_error.h"

#include "support/fault_http_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using lanseek::platform::BadAddressError;
using lanseek::platform::HttpStatusError;
using lanseek::platform::SocketError;
using lanseek::test::BodyFraming;
using lanseek::test::FaultHttpServer;
using lanseek::test::RangeHandling;
using lanseek::test::ServedFile;

namespace {

using Clock = std::chrono::steady_clock;

std::string blob(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    }
    return bytes;
}

std::string text(const std::vector<char>& buffer)
{
    return std::string(buffer.begin(), buffer.end());
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// What the client raised, in order, so that tests can check the sequence and not only the totals.
struct EventLog
{
    struct Event
    {
        char kind; // 'b' begin, 'w' work, 'e' end
        std::int64_t value;
        std::thread::id thread;
    };
    std::vector<Event> events;

    void attach(TIdHTTP& client)
    {
        client.OnWorkBegin = [this](TIdHTTP&, std::int64_t length) { add('b', length); };
        client.OnWork = [this](TIdHTTP&, std::int64_t soFar) { add('w', soFar); };
        client.OnWorkEnd = [this](TIdHTTP&) { add('e', 0); };
    }
    void add(char kind, std::int64_t value) { events.push_back({kind, value, std::this_thread::get_id()}); }
    std::size_t count(char kind) const
    {
        return static_cast<std::size_t>(
            std::count_if(events.begin(), events.end(), [kind](const Event& e) { return e.kind == kind; }));
    }
    std::string kinds() const
    {
        std::string out;
        for (const auto& e : events) {
            if (out.empty() || out.back() != e.kind || e.kind != 'w') {
                out += e.kind;
            }
        }
        return out;
    }
};

class HttpClientTest : public ::testing::Test
{
protected:
    FaultHttpServer server;
    TIdHTTP client;
    EventLog log;
    std::vector<char> buffer;
};

} // namespace

// --- What goes on the wire -------------------------------------------------------------------------------

TEST_F(HttpClientTest, SendsOnlyTheProgramsRequestHeaders)
{
    server.serve("/song.mp3", {.body = "abc"});
    client.Get(server.url("/song.mp3"), buffer);

    ASSERT_EQ(server.requestCount(), 1u);
    const auto request = server.requests().front();
    EXPECT_EQ(request.requestLine, "GET /song.mp3 HTTP/1.1");
    auto names = request.headerNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Accept", "Host", "User-Agent"}));
    EXPECT_EQ(request.header("Accept"), "text/html, */*");
    EXPECT_EQ(request.header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    // The port comes from the address, not from a fixed 80.
    EXPECT_EQ(request.header("Host"), "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(text(buffer), "abc");
}

TEST_F(HttpClientTest, SendsTheRangeInEachOfItsForms)
{
    const std::string body = blob(1000003);
    server.serve("/song.mp3", {.body = body});

    client.setRange(200000, 400000);
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(buffer.size(), 200001u);
    EXPECT_EQ(text(buffer), body.substr(200000, 200001));

    client.setRange(100, 0);
    buffer.clear();
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(buffer.size(), body.size() - 100);

    client.setRange(0, 0);
    buffer.clear();
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(text(buffer), body);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=200000-400000");
    EXPECT_EQ(requests[1].header("Range"), "bytes=100-");
    EXPECT_FALSE(requests[2].header("Range"));
    EXPECT_EQ(requests[2].headerLines.size(), 3u);
}

TEST_F(HttpClientTest, EscapesScrapedAddressesOnTheRequestLine)
{
    server.serve("/a%20b%C4%E3.mp3", {.body = "gbk name"});
    client.Get(server.url("/a b\xC4\xE3.mp3"), buffer);
    EXPECT_EQ(server.requests().front().target, "/a%20b%C4%E3.mp3");
    EXPECT_EQ(text(buffer), "gbk name");
}

// --- Work events -----------------------------------------------------------------------------------------

TEST_F(HttpClientTest, RaisesBeginThenWorkThenEndOnTheCallingThread)
{
    const std::string body = blob(200000);
    server.serve("/song.mp3", {.body = body, .bytesPerSecond = 800000});
    log.attach(client);
    client.Get(server.url("/song.mp3"), buffer);

    EXPECT_EQ(text(buffer), body);
    EXPECT_EQ(log.kinds(), "bwe");
    EXPECT_EQ(log.count('b'), 1u);
    EXPECT_EQ(log.count('e'), 1u);
    EXPECT_GT(log.count('w'), 5u) << "a throttled body arrives in several blocks";
    EXPECT_EQ(log.events.front().value, 200000);
    std::int64_t previous = 0;
    for (const auto& e : log.events) {
        EXPECT_EQ(e.thread, std::this_thread::get_id());
        if (e.kind == 'w') {
            EXPECT_GT(e.value, previous);
            previous = e.value;
        }
    }
    EXPECT_EQ(previous, 200000);
    EXPECT_EQ(client.bodyBytes(), 200000);
}

TEST_F(HttpClientTest, DisconnectInWorkBeginEndsTheGetWithoutAnError)
{
    server.serve("/song.mp3", {.body = blob(1000000), .bytesPerSecond = 200000});
    std::int64_t announced = -1;
    client.OnWorkBegin = [&](TIdHTTP& sender, std::int64_t length) {
        announced = length;
        sender.Disconnect();
    };
    int ends = 0;
    int works = 0;
    client.OnWork = [&](TIdHTTP&, std::int64_t) { ++works; };
    client.OnWorkEnd = [&](TIdHTTP&) { ++ends; };

    const auto start = Clock::now();
    EXPECT_NO_THROW(client.Get(server.url("/song.mp3"), buffer));
    EXPECT_LT(msSince(start), 2000) << "the throttled body must not be read";
    EXPECT_EQ(announced, 1000000);
    EXPECT_TRUE(client.endedAtWorkBegin());
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(works, 0);
    EXPECT_EQ(ends, 1);

    // The size probe's client is used again for the next row.
    client.OnWorkBegin = nullptr;
    server.serve("/next.mp3", {.body = "next"});
    client.Get(server.url("/next.mp3"), buffer);
    EXPECT_EQ(text(buffer), "next");
    EXPECT_FALSE(client.endedAtWorkBegin());
}

TEST_F(HttpClientTest, AnnouncesLengthsBeyondFourGigabytesMinusOne)
{
    // Only a few bytes exist; the header claims 3 GiB and the probe stops at work-begin.
    server.serve("/big.mp3", {.body = "tiny", .announcedLength = 3221225472LL});
    std::int64_t announced = 0;
    client.OnWorkBegin = [&](TIdHTTP& sender, std::int64_t length) {
        announced = length;
        sender.Disconnect();
    };
    client.Get(server.url("/big.mp3"), buffer);
    EXPECT_EQ(announced, 3221225472LL);
    EXPECT_EQ(client.contentLength(), 3221225472LL);
}

TEST_F(HttpClientTest, AnnouncesZeroWhenTheReplyHasNoLength)
{
    const std::string body = blob(50000);
    for (auto framing : {BodyFraming::Chunked, BodyFraming::CloseDelimited}) {
        server.serve("/song.mp3", {.body = body, .framing = framing});
        log = {};
        log.attach(client);
        buffer.clear();
        client.Get(server.url("/song.mp3"), buffer);
        EXPECT_EQ(text(buffer), body);
        ASSERT_FALSE(log.events.empty());
        EXPECT_EQ(log.events.front().kind, 'b');
        EXPECT_EQ(log.events.front().value, 0);
        EXPECT_FALSE(client.contentLength());
    }
}

// --- Disconnect from elsewhere ---------------------------------------------------------------------------

TEST_F(HttpClientTest, DisconnectFromAnotherThreadEndsAThrottledTransferPromptly)
{
    const std::string body = blob(2000000);
    server.serve("/song.mp3", {.body = body, .bytesPerSecond = 100000});
    std::atomic<std::int64_t> received{0};
    std::atomic<int> ends{0};
    client.OnWork = [&](TIdHTTP&, std::int64_t soFar) { received = soFar; };
    client.OnWorkEnd = [&](TIdHTTP&) { ++ends; };

    std::string error;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        try {
            client.Get(server.url("/song.mp3"), buffer);
        } catch (const SocketError& e) {
            error = e.what();
        }
        finished = true;
    });
    const auto waitStart = Clock::now();
    while (received.load() < 20000 && msSince(waitStart) < 5000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GE(received.load(), 20000);

    const auto disconnectedAt = Clock::now();
    client.Disconnect();
    while (!finished && msSince(disconnectedAt) < 5000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto took = msSince(disconnectedAt);
    worker.join();

    EXPECT_LT(took, 150) << "the transfer should end within milliseconds, not at the end of the body";
    EXPECT_NE(lower(error).find("socket"), std::string::npos) << error;
    EXPECT_EQ(ends.load(), 1);
    EXPECT_LT(buffer.size(), body.size());
    EXPECT_EQ(text(buffer), body.substr(0, buffer.size())) << "what arrived stays, in order";
}

TEST_F(HttpClientTest, DisconnectEndsAWaitForTheFirstByte)
{
    server.serve("/slow.mp3", {.body = "late", .firstByteDelayMs = 10000});
    log.attach(client);
    std::thread worker;
    bool raised = false;
    worker = std::thread([&] {
        try {
            client.Get(server.url("/slow.mp3"), buffer);
        } catch (const SocketError&) {
            raised = true;
        }
    });
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    const auto start = Clock::now();
    client.Disconnect();
    worker.join();
    EXPECT_LT(msSince(start), 150) << "Disconnect wakes the waiting transfer; it does not wait for a poll";
    EXPECT_TRUE(raised);
    EXPECT_TRUE(log.events.empty()) << "no body transfer began, so neither begin nor end is raised";
}

TEST_F(HttpClientTest, DisconnectEndsAnAdvanceConnectThatGetsNoAnswer)
{
    lanseek::test::UnansweredPort silent;
    client.Host = "127.0.0.1";
    client.Port = silent.port();
    std::string error;
    std::thread connector([&] {
        try {
            client.Connect();
        } catch (const SocketError& e) {
            error = e.what();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    client.Disconnect();
    connector.join();
    EXPECT_LT(msSince(start), 150);
    EXPECT_EQ(error, "Socket Error # 103 Software caused connection abort.");
}

TEST_F(HttpClientTest, ConnectionsThatGetNoAnswerTimeOut)
{
    lanseek::test::UnansweredPort silent;
    client.setConnectTimeoutMs(300);
    const auto start = Clock::now();
    try {
        client.Get("http://127.0.0.1:" + std::to_string(silent.port()) + "/x.mp3", buffer);
        FAIL() << "an unanswered connection must raise";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 110 Connection timed out.");
    }
    EXPECT_GE(msSince(start), 250);
    EXPECT_LT(msSince(start), 2000);
}

TEST_F(HttpClientTest, DisconnectWithNothingRunningLeavesTheNextGetAlone)
{
    server.serve("/song.mp3", {.body = "whole"});
    client.Disconnect();
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(text(buffer), "whole");
}

TEST_F(HttpClientTest, ASecondCallOnABusyClientIsRefusedWithoutDisturbingTheFirst)
{
    server.serve("/slow.mp3", {.body = "late but whole", .firstByteDelayMs = 300});
    std::thread worker([&] { client.Get(server.url("/slow.mp3"), buffer); });
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    std::vector<char> other;
    EXPECT_THROW(client.Get(server.url("/slow.mp3"), other), std::logic_error);
    client.Host = "127.0.0.1";
    client.Port = server.port();
    EXPECT_THROW(client.Connect(), std::logic_error);
    worker.join();
    EXPECT_EQ(text(buffer), "late but whole");
    EXPECT_TRUE(other.empty());
    EXPECT_EQ(server.requestCount(), 1u);
}

// --- Failures and their messages -------------------------------------------------------------------------

TEST_F(HttpClientTest, RefusedConnectionsSaySocket)
{
    const auto port = FaultHttpServer::closedPort();
    log.attach(client);
    try {
        client.Get("http://127.0.0.1:" + std::to_string(port) + "/x.mp3", buffer);
        FAIL() << "a refused connection must raise";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 111 Connection refused.");
    }
    EXPECT_TRUE(log.events.empty());

    client.Host = "127.0.0.1";
    client.Port = port;
    try {
        client.Connect();
        FAIL() << "the advance connect must fail when nothing listens";
    } catch (const SocketError& e) {
        EXPECT_NE(lower(e.what()).find("socket"), std::string::npos);
    }
}

TEST_F(HttpClientTest, HttpsAddressesSpeakTlsOnTheirPort)
{
    // The test server speaks plain HTTP only, so a TLS client never gets as far as a request line.
    client.setConnectTimeoutMs(500);
    const auto start = Clock::now();
    EXPECT_THROW(client.Get("https://127.0.0.1:" + std::to_string(server.port()) + "/x.mp3", buffer),
                 SocketError);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_GE(server.connectionCount(), 1u);
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(HttpClientTest, ConnectReachesTheHostAndPortGiven)
{
    client.Host = "127.0.0.1:" + std::to_string(server.port());
    client.Port = 80;
    EXPECT_NO_THROW(client.Connect());
    client.Host = "127.0.0.1";
    client.Port = server.port();
    EXPECT_NO_THROW(client.Connect());
    const auto start = Clock::now();
    while (server.connectionCount() < 2 && msSince(start) < 2000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(server.connectionCount(), 2u);
    EXPECT_EQ(server.requestCount(), 0u) << "connecting sends no request";
}

TEST_F(HttpClientTest, ErrorStatusesCarryTheStatusLineAndKeepTheirBody)
{
    server.serve("/gone.mp3", {.body = "<html>gone</html>", .status = 404});
    log.attach(client);
    try {
        client.Get(server.url("/gone.mp3"), buffer);
        FAIL() << "a 404 must raise";
    } catch (const HttpStatusError& e) {
        EXPECT_STREQ(e.what(), "HTTP/1.1 404 Not Found");
        EXPECT_NE(std::string(e.what()).find("40"), std::string::npos);
        EXPECT_EQ(e.statusCode(), 404);
    }
    EXPECT_EQ(client.statusCode(), 404);
    EXPECT_EQ(text(buffer), "<html>gone</html>");
    EXPECT_EQ(log.kinds(), "bwe");

    server.serve("/broken.mp3", {.body = "oops", .status = 500});
    EXPECT_THROW(client.Get(server.url("/broken.mp3"), buffer), HttpStatusError);

    // A segment that starts past the end of a file that shrank since the probe.
    server.serve("/short.mp3", {.body = blob(100)});
    client.setRange(5000, 6000);
    try {
        client.Get(server.url("/short.mp3"), buffer);
        FAIL() << "an unsatisfiable range must raise";
    } catch (const HttpStatusError& e) {
        EXPECT_STREQ(e.what(), "HTTP/1.1 416 Range Not Satisfiable");
    }
    EXPECT_FALSE(client.replyMatchesRange());
}

TEST_F(HttpClientTest, ErrorStatusStillRaisesWhenTheProbeStopsAtWorkBegin)
{
    // Otherwise the probe would take the length of an error page for the song's size.
    server.serve("/gone.mp3", {.body = "<html>gone</html>", .status = 404});
    client.OnWorkBegin = [](TIdHTTP& sender, std::int64_t) { sender.Disconnect(); };
    EXPECT_THROW(client.Get(server.url("/gone.mp3"), buffer), HttpStatusError);
}

TEST_F(HttpClientTest, RedirectsAreNotFollowed)
{
    server.serve("/moved.mp3", {.body = "see elsewhere", .status = 302, .location = server.url("/song.mp3")});
    server.serve("/song.mp3", {.body = "the song"});
    try {
        client.Get(server.url("/moved.mp3"), buffer);
        FAIL() << "a redirect must raise";
    } catch (const HttpStatusError& e) {
        EXPECT_STREQ(e.what(), "HTTP/1.1 302 Found");
    }
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(text(buffer), "see elsewhere");
}

TEST_F(HttpClientTest, ABrokenConnectionKeepsWhatArrivedAndRaises)
{
    const std::string body = blob(100000);
    server.serve("/song.mp3", {.body = body, .dropAfterBodyBytes = 30000});
    log.attach(client);
    try {
        client.Get(server.url("/song.mp3"), buffer);
        FAIL() << "a short body must raise";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error: Connection closed gracefully after 30000 of 100000 bytes.");
    }
    EXPECT_EQ(text(buffer), body.substr(0, 30000));
    EXPECT_EQ(log.count('e'), 1u);

    server.serve("/chunked.mp3",
                 {.body = body, .framing = BodyFraming::Chunked, .dropAfterBodyBytes = 30000});
    buffer.clear();
    EXPECT_THROW(client.Get(server.url("/chunked.mp3"), buffer), SocketError);
    EXPECT_EQ(text(buffer), body.substr(0, 30000));
}

TEST_F(HttpClientTest, AStalledServerEndsInATimeout)
{
    server.serve("/song.mp3", {.body = "late", .bodyDelayMs = 10000});
    client.setStallTimeoutMs(300);
    const auto start = Clock::now();
    try {
        client.Get(server.url("/song.mp3"), buffer);
        FAIL() << "a stalled body must raise";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 110 Connection timed out.");
    }
    EXPECT_LT(msSince(start), 2000);
}

TEST_F(HttpClientTest, AnExceptionFromAnEventEndsTheTransferAndIsRethrown)
{
    server.serve("/song.mp3", {.body = blob(500000), .bytesPerSecond = 1000000});
    int ends = 0;
    client.OnWork = [](TIdHTTP&, std::int64_t) { throw std::runtime_error("handler failed"); };
    client.OnWorkEnd = [&](TIdHTTP&) { ++ends; };
    try {
        client.Get(server.url("/song.mp3"), buffer);
        FAIL() << "the handler's exception must come through";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
    EXPECT_EQ(ends, 1);
    EXPECT_LT(buffer.size(), 500000u);
}

TEST_F(HttpClientTest, AddressesThatAreNotHttpAreRefusedBeforeAnyConnection)
{
    log.attach(client);
    EXPECT_THROW(client.Get("mms://127.0.0.1/x.wma", buffer), BadAddressError);
    EXPECT_THROW(client.Get("127.0.0.1/x.mp3", buffer), BadAddressError);
    EXPECT_TRUE(log.events.empty());
}

// --- Ranges honoured or not ------------------------------------------------------------------------------

TEST_F(HttpClientTest, AHonouredRangeIsAPartialReplyWithItsContentRange)
{
    const std::string body = blob(1000003);
    server.serve("/song.mp3", {.body = body});
    client.setRange(400000, 600000);
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(client.statusCode(), 206);
    ASSERT_TRUE(client.contentRange());
    EXPECT_EQ(client.contentRange()->first, 400000);
    EXPECT_EQ(client.contentRange()->last, 600000);
    EXPECT_EQ(client.contentRange()->total, 1000003);
    EXPECT_TRUE(client.replyMatchesRange());

    // The last segment names one byte past the end; the server cuts it at the last byte.
    client.setRange(800000, 1000003);
    buffer.clear();
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(client.contentRange()->last, 1000002);
    EXPECT_TRUE(client.replyMatchesRange());
    EXPECT_EQ(text(buffer), body.substr(800000));
}

TEST_F(HttpClientTest, AServerIgnoringTheRangeIsRecognised)
{
    const std::string body = blob(300000);
    server.serve("/song.mp3", {.body = body, .ranges = RangeHandling::Ignore});
    client.setRange(100000, 200000);
    client.Get(server.url("/song.mp3"), buffer);
    EXPECT_EQ(server.requests().front().header("Range"), "bytes=100000-200000");
    EXPECT_EQ(client.statusCode(), 200);
    EXPECT_FALSE(client.contentRange());
    EXPECT_FALSE(client.replyMatchesRange());
    EXPECT_EQ(text(buffer), body);
}

TEST_F(HttpClientTest, ASinkReceivesTheBodyWithItsOffsets)
{
    const std::string body = blob(120000);
    server.serve("/song.mp3", {.body = body, .ranges = RangeHandling::Ignore, .bytesPerSecond = 600000});
    client.setRange(40000, 80000);
    // What a worker does with a server that ignores ranges: keep only its own segment's bytes.
    std::string segment;
    std::int64_t expectedOffset = 0;
    int blocks = 0;
    client.Get(server.url("/song.mp3"), [&](std::int64_t offset, const char* data, std::size_t length) {
        EXPECT_EQ(offset, expectedOffset);
        expectedOffset += static_cast<std::int64_t>(length);
        ++blocks;
        const auto from = std::max<std::int64_t>(offset, 40000);
        const auto to = std::min<std::int64_t>(offset + static_cast<std::int64_t>(length), 80001);
        if (from < to) {
            segment.append(data + (from - offset), static_cast<std::size_t>(to - from));
        }
    });
    EXPECT_GT(blocks, 1);
    EXPECT_EQ(expectedOffset, 120000);
    EXPECT_EQ(segment, body.substr(40000, 40001));
}

TEST_F(HttpClientTest, AGetCanBeFinishedEarlyWithoutAnError)
{
    const std::string body = blob(400000);
    server.serve("/song.mp3", {.body = body, .ranges = RangeHandling::Ignore, .bytesPerSecond = 400000});
    client.setRange(0, 50000);
    int ends = 0;
    client.OnWorkEnd = [&](TIdHTTP&) { ++ends; };
    std::string kept;
    const auto start = Clock::now();
    EXPECT_NO_THROW(
        client.Get(server.url("/song.mp3"), [&](std::int64_t offset, const char* data, std::size_t n) {
            kept.append(data, n);
            if (offset + static_cast<std::int64_t>(n) > 50000) {
                client.finishTransfer();
            }
        }));
    EXPECT_LT(msSince(start), 600) << "the rest of the throttled body (about a second) is not waited for";
    EXPECT_TRUE(client.endedEarly());
    EXPECT_EQ(ends, 1);
    EXPECT_GT(kept.size(), 50000u);
    EXPECT_LT(kept.size(), body.size());
    EXPECT_EQ(kept, body.substr(0, kept.size()));

    // The request after it is a fresh one.
    client.setRange(0, 0);
    server.serve("/next.mp3", {.body = "next"});
    std::vector<char> next;
    client.Get(server.url("/next.mp3"), next);
    EXPECT_EQ(text(next), "next");
    EXPECT_FALSE(client.endedEarly());
}
