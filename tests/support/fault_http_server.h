#pragma once

// A small HTTP/1.1 server for tests, on 127.0.0.1 and an ephemeral port, that serves byte blobs and can
// misbehave on purpose: ignore ranges, throttle, stall, cut the connection, answer with error statuses or
// redirects, leave out the length, or claim a length it does not have. It records every request's raw
// header lines so that tests can check the bytes a client put on the wire.
//
// Written on plain POSIX sockets so that every fault is exact: a "drop after N bytes" sends N body bytes
// and not one more. One thread accepts; each connection gets a thread of its own (at most kMaxConnections
// at once; further connections are closed at once). stop() (and the destructor) ends every connection and
// joins every thread; waits inside the server (delays, throttling) end early when it stops.

#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lanseek::test {

enum class RangeHandling {
    Honour, // a single "bytes=a-b" or "bytes=a-" range gets a 206 with Content-Range (416 past the end)
    Ignore  // every GET gets a 200 with the whole body
};

enum class BodyFraming {
    ContentLength, // "Content-Length: n"
    Chunked,       // "Transfer-Encoding: chunked"
    CloseDelimited // no length; the body ends when the server closes the connection
};

struct ServedFile
{
    std::string body{};
    RangeHandling ranges = RangeHandling::Honour;
    BodyFraming framing = BodyFraming::ContentLength;
    // A status other than 200 answers every request with that status and the body above (no ranges).
    int status = 200;
    std::string location{}; // sent as "Location" when not empty (for redirects)
    // A status other than 0 answers every request that carries a Range header with that status and a short
    // text body, while requests without one are served as above (a server that refuses ranged requests).
    int rangedStatus = 0;
    // The Content-Length to claim instead of the real one (for lengths the test cannot afford to send).
    // The server sends what it has and then closes the connection.
    std::optional<std::int64_t> announcedLength{};
    std::int64_t bytesPerSecond = 0;         // per connection; 0 sends as fast as the socket takes it
    std::int64_t dropAfterBodyBytes = -1;    // close the connection after this many body bytes; -1 never
    int firstByteDelayMs = 0;                // wait this long before sending anything
    int bodyDelayMs = 0;                     // wait this long between the header block and the body
    std::vector<std::string> extraHeaders{}; // further header lines, "Name: value"
    std::string contentType = "application/octet-stream";
};

struct RecordedRequest
{
    std::string requestLine;              // "GET /a.mp3 HTTP/1.1"
    std::vector<std::string> headerLines; // as received, in order, without line breaks
    std::string method;
    std::string target;

    // The value of the first header with this name (compared without regard to case), blanks trimmed.
    std::optional<std::string> header(std::string_view name) const;
    // Every header name in order, as the client wrote it.
    std::vector<std::string> headerNames() const;
};

class FaultHttpServer
{
public:
    static constexpr int kMaxConnections = 48;

    // Starts listening and serving at once; throws std::runtime_error when no socket can be had.
    FaultHttpServer();
    ~FaultHttpServer();
    FaultHttpServer(const FaultHttpServer&) = delete;
    FaultHttpServer& operator=(const FaultHttpServer&) = delete;

    // Serves file at path (the request target, matched exactly first and then without its query).
    // Unknown paths get a 404. May be called while the server runs; later requests see the change.
    void serve(const std::string& path, ServedFile file);

    std::uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path
    std::string url(const std::string& path) const;

    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;
    // Connections accepted so far, including those that never sent a request.
    std::size_t connectionCount() const;
    // Waits until at least n requests have been read; false when timeoutMs passes first.
    bool waitForRequests(std::size_t n, int timeoutMs) const;

    // Ends every connection and joins every thread. Safe to call more than once.
    void stop();

    // A port on 127.0.0.1 where nothing listens at the moment of the call (taken from the system and
    // released again), for connection-refused tests.
    static std::uint16_t closedPort();

private:
    struct Connection
    {
        int fd = -1;
        std::thread thread;
        bool finished = false;
    };

    void acceptLoop();
    void serveConnection(Connection* connection);
    // Returns false when the connection must end.
    bool answer(int fd, const RecordedRequest& request, bool keepAlive);
    bool sendAll(int fd, std::string_view data, std::int64_t bytesPerSecond);
    // Sleeps up to ms; returns false when the server stops meanwhile.
    bool pause(int ms);
    void reapFinished();

    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::thread m_acceptThread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    // Shared so that a connection serving a large body does not copy it per request.
    std::map<std::string, std::shared_ptr<const ServedFile>> m_files;
    std::vector<RecordedRequest> m_requests;
    std::size_t m_connections = 0;
    std::list<Connection> m_live;
};

// A port on 127.0.0.1 whose queue of pending connections is full, so that the system drops new
// connection attempts unanswered, as a host that has gone away does. Connects to it hang until the
// client gives up or is told to stop.
class UnansweredPort
{
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    std::uint16_t port() const { return m_port; }

private:
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::vector<int> m_fillers;
};

} // namespace lanseek::test
