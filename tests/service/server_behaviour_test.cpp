// The service's server as LAN clients meet it: kept-alive connections answered without delay, slow or
// greedy clients that cannot shut others out, ranges read as HTTP reads them, and methods it does not
// serve refused with the methods it does.

#include "service/http_server.h"
#include "service/search_service.h"

#include "service_test_support.h"
#include "shared_service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

namespace lanseek::service {
namespace {

using Clock = std::chrono::steady_clock;
using lanseek::test::patternBytes;
using lanseek::test::TempDir;
using lanseek::test::TestLibrary;

struct RawResponse
{
    int status = 0;
    std::string head;
    std::string body;

    std::string header(const std::string& name) const
    {
        const auto at = head.find("\r\n" + name + ": ");
        if (at == std::string::npos) {
            return {};
        }
        const auto start = at + name.size() + 4;
        return head.substr(start, head.find("\r\n", start) - start);
    }
};

// One TCP connection to the service from a chosen loopback address, read and written by hand so that
// nothing but the test decides what goes on the wire and when.
class RawConnection
{
public:
    RawConnection(int port, const char* from = "127.0.0.1")
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { close(m_fd); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return m_connected; }
    bool send(std::string_view bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    // Reads one response whose body length the Content-Length header gives (no body for an answer to
    // HEAD); nothing when the connection ends first or nothing arrives for `patience`.
    enum class Body { Expected, None };
    std::optional<RawResponse> read(std::chrono::milliseconds patience = std::chrono::milliseconds(5000),
                                    Body body = Body::Expected)
    {
        RawResponse response;
        std::size_t headEnd = std::string::npos;
        while ((headEnd = m_pending.find("\r\n\r\n")) == std::string::npos) {
            if (!receive(patience)) {
                return std::nullopt;
            }
        }
        response.head = m_pending.substr(0, headEnd + 2);
        m_pending.erase(0, headEnd + 4);
        if (response.head.rfind("HTTP/1.", 0) != 0 || response.head.size() < 12) {
            return std::nullopt;
        }
        response.status = std::stoi(response.head.substr(9, 3));
        const std::string length = response.header("Content-Length");
        const std::size_t want = length.empty() || body == Body::None ? 0 : std::stoul(length);
        while (m_pending.size() < want) {
            if (!receive(patience)) {
                return std::nullopt;
            }
        }
        response.body = m_pending.substr(0, want);
        m_pending.erase(0, want);
        return response;
    }

    // Whether the server has closed the connection (or reset it) within `patience`.
    bool closedWithin(std::chrono::milliseconds patience)
    {
        const auto until = Clock::now() + patience;
        while (Clock::now() < until) {
            pollfd p{m_fd, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            if (poll(&p, 1, static_cast<int>(std::max<long long>(1, left.count()))) > 0) {
                char buffer[512];
                const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    bool receive(std::chrono::milliseconds patience)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(patience.count())) <= 0) {
            return false;
        }
        char buffer[16384];
        const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return false;
        }
        m_pending.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int m_fd = -1;
    bool m_connected = false;
    std::string m_pending;
};

std::string get(const std::string& path, const std::string& extra = {})
{
    return "GET " + path + " HTTP/1.1\r\nHost: music.lan\r\n" + extra + "\r\n";
}

// One service over the test library for every test of the suite.
using ServerBehaviour = lanseek::test::SharedService;

TEST_F(ServerBehaviour, KeptAliveConnectionAnswersEachRequestWithoutDelay)
{
    // A server that leaves Nagle's algorithm on sends the second part of every response only after
    // the client's delayed acknowledgement, about 40 ms, on every request after the first.
    for (const std::string path : {"/mp3.html", "/music/pattern.rm"}) {
        RawConnection connection(port());
        ASSERT_TRUE(connection.connected());
        std::vector<double> milliseconds;
        for (int i = 0; i < 9; ++i) {
            const auto start = Clock::now();
            ASSERT_TRUE(connection.send(get(path)));
            const auto response = connection.read();
            ASSERT_TRUE(response) << path << " request " << i;
            EXPECT_EQ(response->status, 200);
            milliseconds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(milliseconds.begin() + 1, milliseconds.end());
        EXPECT_LT(milliseconds[5], 20.0) << path << ": median of the requests after the first";
    }
}

TEST_F(ServerBehaviour, SlowClientsDoNotShutOthersOut)
{
    // Each slow client sends its request line and then a header line now and then, never finishing.
    constexpr int kSlowClients = 25;
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < kSlowClients; ++i) {
        slow.push_back(std::make_unique<RawConnection>(port()));
        ASSERT_TRUE(slow.back()->connected());
        slow.back()->send("GET /mp3.html HTTP/1.1\r\n");
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        for (int round = 0; round < 20 && !done.load(); ++round) {
            for (auto& client : slow) {
                client->send("X-Slow: " + std::to_string(round) + "\r\n");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });

    httplib::Client cli("127.0.0.1", port());
    cli.set_connection_timeout(1);
    cli.set_read_timeout(1);
    const auto start = Clock::now();
    auto res = cli.Get("/mp3.html");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    done = true;
    trickle.join();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_LT(seconds, 1.0);
}

TEST(ServerLimits, HeadThatTricklesInIsCutAtItsDeadline)
{
    const TestLibrary library;
    ServiceOptions options{library.root(), "127.0.0.1", 0};
    options.headTimeoutSeconds = 1;
    options.threads = 4;
    SearchService service(options);
    ASSERT_TRUE(service.start());

    RawConnection slow(service.port());
    ASSERT_TRUE(slow.connected());
    const std::string head = get("/mp3.html", "X-Padding: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n");
    const auto start = Clock::now();
    bool cut = false;
    std::size_t sent = 0;
    // A byte every 50 ms would take more than five seconds for the whole head.
    for (; sent < head.size() && Clock::now() - start < std::chrono::seconds(4); ++sent) {
        if (!slow.send(head.substr(sent, 1)) || slow.closedWithin(std::chrono::milliseconds(50))) {
            cut = true;
            break;
        }
    }
    EXPECT_TRUE(cut) << "still open after " << sent << " bytes";
    EXPECT_LT(sent, head.size());

    // A client that sends its head at once is served as before, on the same server.
    RawConnection quick(service.port());
    ASSERT_TRUE(quick.send(get("/mp3.html")));
    const auto response = quick.read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
}

TEST(ServerLimits, OneAddressCannotTakeEveryConnection)
{
    const TestLibrary library;
    ServiceOptions options{library.root(), "127.0.0.1", 0};
    options.connectionsPerClient = 4;
    // On a pool of four threads the four connections may land on four threads: the count is one.
    options.threads = 4;
    SearchService service(options);
    ASSERT_TRUE(service.start());

    // Loopback answers on every 127.x.y.z address, which lets one test be several clients.
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<RawConnection>(service.port(), "127.0.0.2"));
        ASSERT_TRUE(held.back()->connected());
        ASSERT_TRUE(held.back()->send(get("/mp3.html")));
        const auto response = held.back()->read();
        ASSERT_TRUE(response) << "connection " << i << " of the address's four";
    }
    RawConnection extra(service.port(), "127.0.0.2");
    if (extra.connected() && extra.send(get("/mp3.html"))) {
        EXPECT_FALSE(extra.read(std::chrono::milliseconds(2000))) << "a fifth connection was served";
    }

    RawConnection other(service.port(), "127.0.0.1");
    ASSERT_TRUE(other.send(get("/mp3.html")));
    const auto response = other.read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);

    // Connections the address gives back may be opened again.
    held.pop_back();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RawConnection again(service.port(), "127.0.0.2");
    ASSERT_TRUE(again.send(get("/mp3.html")));
    const auto later = again.read();
    ASSERT_TRUE(later);
    EXPECT_EQ(later->status, 200);
}

TEST(ServerLimits, ConnectionsInAllAreCountedOverEveryThread)
{
    // Six in all over four threads: the limit is the server's, not a share of it per thread, so six
    // clients are served wherever they land and a seventh is closed unanswered.
    HttpServerOptions options;
    options.maxConnections = 6;
    options.threads = 4;
    HttpServer server(options, [](const HttpRequest&) {
        HttpResponse response;
        response.body = "ok";
        return response;
    });
    ASSERT_TRUE(server.listen(nullptr));
    server.serve();
    EXPECT_EQ(server.threads(), 4u);

    auto served = [](RawConnection& connection) {
        if (!connection.connected() || !connection.send(get("/"))) {
            return false;
        }
        const auto response = connection.read(std::chrono::milliseconds(2000));
        return response && response->status == 200 && response->body == "ok";
    };
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 6; ++i) {
        const std::string from = "127.0.1." + std::to_string(i + 1);
        held.push_back(std::make_unique<RawConnection>(server.port(), from.c_str()));
        ASSERT_TRUE(served(*held.back())) << "client " << i + 1 << " of six";
    }
    RawConnection seventh(server.port(), "127.0.1.7");
    EXPECT_FALSE(served(seventh)) << "a seventh connection was served";

    // Every kept connection still answers, and one given back makes room for another.
    for (auto& connection : held) {
        EXPECT_TRUE(served(*connection));
    }
    held.erase(held.begin());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RawConnection next(server.port(), "127.0.1.8");
    EXPECT_TRUE(served(next));
}

TEST(ServerLimits, IdleConnectionsCloseOnEveryThread)
{
    const TestLibrary library;
    ServiceOptions options{library.root(), "127.0.0.1", 0};
    options.idleTimeoutSeconds = 1;
    options.threads = 4;
    SearchService service(options);
    ASSERT_TRUE(service.start());
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 8; ++i) {
        idle.push_back(std::make_unique<RawConnection>(service.port()));
        ASSERT_TRUE(idle.back()->send(get("/mp3.html")));
        ASSERT_TRUE(idle.back()->read());
    }
    for (auto& connection : idle) {
        EXPECT_TRUE(connection->closedWithin(std::chrono::milliseconds(3500)));
    }
}

TEST_F(ServerBehaviour, RangeFormsGetTheAnswerHttpGives)
{
    const std::string content = patternBytes(TestLibrary::kPatternSize);
    const std::string size = std::to_string(content.size());
    const struct
    {
        const char* range;
        int status;
        const char* contentRange; // empty: none
        std::size_t first;
        std::size_t length;
    } cases[] = {
        // Invalid or in another unit: ignored, the whole file.
        {"bytes=5-2", 200, "", 0, TestLibrary::kPatternSize},
        {"bytes=a-b", 200, "", 0, TestLibrary::kPatternSize},
        {"items=0-5", 200, "", 0, TestLibrary::kPatternSize},
        {"bytes=", 200, "", 0, TestLibrary::kPatternSize},
        // Several ranges are answered whole rather than as a multipart body.
        {"bytes=0-1,5-6", 200, "", 0, TestLibrary::kPatternSize},
        // The unit is case-insensitive; blanks around the tokens are read past.
        {"BYTES=0-4", 206, "bytes 0-4/", 0, 5},
        {"Bytes = 1-2", 206, "bytes 1-2/", 1, 2},
        {"bytes=99990-", 206, "bytes 99990-99999/", 99990, 10},
        // Well formed but beyond the file.
        {"bytes=100000-", 416, "bytes */", 0, 0},
        {"bytes=-0", 416, "bytes */", 0, 0},
    };
    RawConnection connection(port());
    for (const auto& c : cases) {
        ASSERT_TRUE(connection.send(get("/music/pattern.rm", std::string("Range: ") + c.range + "\r\n")));
        const auto response = connection.read();
        ASSERT_TRUE(response) << c.range;
        EXPECT_EQ(response->status, c.status) << c.range;
        EXPECT_EQ(response->header("Content-Range"), *c.contentRange ? c.contentRange + size : "") << c.range;
        if (c.status != 416) {
            EXPECT_TRUE(response->body == content.substr(c.first, c.length)) << c.range;
        }
    }
}

TEST_F(ServerBehaviour, OtherMethodsAreRefusedWithTheAllowedOnes)
{
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS", "BREW"}) {
        RawConnection connection(port());
        ASSERT_TRUE(connection.send(
            std::string(method) + " /music/pattern.rm HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\nabc"));
        const auto response = connection.read();
        ASSERT_TRUE(response) << method;
        EXPECT_EQ(response->status, 405) << method;
        EXPECT_EQ(response->header("Allow"), "GET, HEAD") << method;
    }
    RawConnection head(port());
    ASSERT_TRUE(head.send("HEAD /music/pattern.rm HTTP/1.1\r\nHost: h\r\n\r\n"));
    const auto response = head.read(std::chrono::milliseconds(5000), RawConnection::Body::None);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->header("Content-Length"), std::to_string(TestLibrary::kPatternSize));
}

TEST_F(ServerBehaviour, OversizedHeadIsRefusedAndTheServerStaysUp)
{
    RawConnection greedy(port());
    ASSERT_TRUE(greedy.connected());
    const std::string huge =
        "GET /mp3.html HTTP/1.1\r\nHost: h\r\nX-Big: " + std::string(200 * 1024, 'a') + "\r\n\r\n";
    greedy.send(huge);
    const auto refused = greedy.read();
    if (refused) {
        EXPECT_GE(refused->status, 400);
    }
    RawConnection next(port());
    ASSERT_TRUE(next.send(get("/mp3.html")));
    const auto response = next.read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
}

} // namespace
} // namespace lanseek::service
