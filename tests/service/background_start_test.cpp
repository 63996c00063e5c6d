// The service started with its indexing on its own thread, as the program starts its bundled one: the
// address is known at once, a request made before the index is ready is held and answered from the
// finished index, and every answer is the one a service indexed first would give.

#include "service/search_service.h"

#include "service_test_support.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

using lanseek::test::gbkQueryWord;
using lanseek::test::readPage;
using lanseek::test::TestLibrary;

// A library whose singer list is a pipe: indexing reads that list first and cannot get past it until
// the test writes the list, so the test decides when the index is ready.
class HeldLibrary
{
public:
    HeldLibrary()
    {
        fs::remove(m_library.root() / "singers.txt");
        m_ok = ::mkfifo((m_library.root() / "singers.txt").c_str(), 0600) == 0;
    }
    ~HeldLibrary() { release(); }
    HeldLibrary(const HeldLibrary&) = delete;
    HeldLibrary& operator=(const HeldLibrary&) = delete;

    bool ok() const { return m_ok; }
    const fs::path& root() const { return m_library.root(); }

    // Hands indexing the singer list and lets it go on. Opening the pipe for writing waits until
    // indexing has opened it for reading.
    void release()
    {
        if (!m_ok || m_released) {
            return;
        }
        m_released = true;
        const int fd = ::open((root() / "singers.txt").c_str(), O_WRONLY);
        if (fd >= 0) {
            const std::string list = "男 晨风乐队\n";
            [[maybe_unused]] const auto put = ::write(fd, list.data(), list.size());
            ::close(fd);
        }
    }

private:
    TestLibrary m_library;
    bool m_ok = false;
    bool m_released = false;
};

// A connection on which one request has been sent; the answer is read later.
class PendingRequest
{
public:
    PendingRequest(int port, const std::string& target)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval timeout{10, 0};
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                    "\r\nConnection: close\r\n\r\n";
        m_sent = m_socket >= 0 &&
                 ::connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::send(m_socket, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size());
    }
    ~PendingRequest()
    {
        if (m_socket >= 0) {
            ::close(m_socket);
        }
    }
    PendingRequest(const PendingRequest&) = delete;
    PendingRequest& operator=(const PendingRequest&) = delete;

    bool sent() const { return m_sent; }

    // The whole answer, once the server has closed the connection.
    std::string answer()
    {
        std::string response;
        char buffer[4096];
        for (ssize_t got; (got = ::recv(m_socket, buffer, sizeof buffer, 0)) > 0;) {
            response.append(buffer, static_cast<std::size_t>(got));
        }
        return response;
    }

private:
    int m_socket = -1;
    bool m_sent = false;
};

std::string bodyOf(const std::string& response)
{
    const auto end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(BackgroundStart, RequestsMadeBeforeTheIndexIsReadyAreAnsweredFromIt)
{
    HeldLibrary library;
    ASSERT_TRUE(library.ok());
    SearchService service(ServiceOptions{library.root(), "127.0.0.1", 0});
    std::string error;
    ASSERT_TRUE(service.startIndexingInBackground(&error)) << error;
    ASSERT_GT(service.port(), 0);
    EXPECT_EQ(service.baseUrl(), "http://127.0.0.1:" + std::to_string(service.port()));

    // Both requests are on the wire while indexing still waits for the singer list.
    PendingRequest search(service.port(),
                          "/m?tn=baidump3&ct=134217728&rn=&word=" + gbkQueryWord("晨风") + "&lm=0");
    PendingRequest chart(service.port(), "/ngeshou.html");
    ASSERT_TRUE(search.sent());
    ASSERT_TRUE(chart.sent());
    EXPECT_EQ(service.songCount(), 0u);

    library.release();
    const std::string found = search.answer();
    EXPECT_EQ(found.rfind("HTTP/1.1 200", 0), 0u) << found.substr(0, 200);
    const auto results = readPage(bodyOf(found)).linksContaining("/r?url=");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].text, "晨风乐队 - 海边的清晨");
    // The singer list read at the end of the wait counts too.
    const auto male = readPage(bodyOf(chart.answer())).linksContaining("/singer/");
    ASSERT_EQ(male.size(), 1u);
    EXPECT_EQ(male[0].text, "晨风乐队");
    EXPECT_EQ(service.songCount(), 6 + TestLibrary::kBulkSongs);
}

TEST(BackgroundStart, AnswersAsAServiceIndexedBeforeBinding)
{
    TestLibrary library;
    SearchService indexedFirst(ServiceOptions{library.root(), "127.0.0.1", 0});
    SearchService background(ServiceOptions{library.root(), "127.0.0.1", 0});
    std::string error;
    ASSERT_TRUE(indexedFirst.start(&error)) << error;
    ASSERT_TRUE(background.startIndexingInBackground(&error)) << error;

    const std::string targets[] = {
        "/",
        "/m?tn=baidump3&ct=134217728&rn=&word=song&lm=0",
        "/m?lm=0&ct=134217728&tn=baidump3&word=song&pn=30&ip=&cl=3&z=0",
        "/m?tn=baidump3&ct=134217728&rn=&word=" + gbkQueryWord("潮汐笔记") + "&lm=-1&f=al",
        "/ngeshou.html",
        "/ygeshou.html",
        "/mp3.html",
        "/singer/singers.html",
        "/r?url=http://example.com/a.mp3",
        "/music/pattern.rm",
        "/music/radio/pattern%20stream.ram",
        "/music/missing.mp3",
    };
    const std::string ours = std::to_string(background.port());
    const std::string theirs = std::to_string(indexedFirst.port());
    for (const std::string& target : targets) {
        httplib::Client expected("127.0.0.1", indexedFirst.port());
        httplib::Client actual("127.0.0.1", background.port());
        expected.set_url_encode(false);
        actual.set_url_encode(false);
        auto want = expected.Get(target.c_str(), {{"Range", "bytes=0-99"}});
        auto got = actual.Get(target.c_str(), {{"Range", "bytes=0-99"}});
        ASSERT_TRUE(want) << target;
        ASSERT_TRUE(got) << target;
        EXPECT_EQ(got->status, want->status) << target;
        EXPECT_EQ(got->get_header_value("Content-Type"), want->get_header_value("Content-Type")) << target;
        EXPECT_EQ(got->get_header_value("Location"), want->get_header_value("Location")) << target;
        // Pages link back to the host they were asked on, which differs only by the port.
        EXPECT_EQ(replaceAll(got->body, ours, theirs), want->body) << target;
    }
    EXPECT_EQ(background.songCount(), indexedFirst.songCount());
}

TEST(BackgroundStart, MissingFolderFailsAtOnceAndStartingTwiceIsAnError)
{
    SearchService missing(ServiceOptions{"/nonexistent/lanseek/library", "127.0.0.1", 0});
    std::string error;
    EXPECT_FALSE(missing.startIndexingInBackground(&error));
    EXPECT_NE(error.find("/nonexistent/lanseek/library"), std::string::npos);
    EXPECT_EQ(missing.port(), 0);

    TestLibrary library;
    SearchService service(ServiceOptions{library.root(), "127.0.0.1", 0});
    ASSERT_TRUE(service.startIndexingInBackground(&error)) << error;
    error.clear();
    EXPECT_FALSE(service.startIndexingInBackground(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(service.start(&error));
}

TEST(BackgroundStart, StoppingWhileIndexingWaitsForItAndClosesThePort)
{
    HeldLibrary library;
    ASSERT_TRUE(library.ok());
    SearchService service(ServiceOptions{library.root(), "127.0.0.1", 0});
    ASSERT_TRUE(service.startIndexingInBackground());
    const int port = service.port();
    std::thread stopper([&service] { service.stop(); });
    library.release();
    stopper.join();
    EXPECT_EQ(service.port(), 0);
    httplib::Client cli("127.0.0.1", port);
    cli.set_connection_timeout(1);
    EXPECT_FALSE(cli.Get("/m"));

    // It can be started again, and then serves the library; the singer list is a plain file this time.
    fs::remove(library.root() / "singers.txt");
    std::string error;
    ASSERT_TRUE(service.start(&error)) << error;
    httplib::Client again("127.0.0.1", service.port());
    auto res = again.Get("/mp3.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
}

} // namespace
} // namespace lanseek::service
