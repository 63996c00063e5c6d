#pragma once

// The HTTP server under the search service: event-driven loops on a pool of threads that accept
// connections, read request heads and hand each complete GET or HEAD request to one handler, which may
// therefore run on several threads at once. It knows nothing of songs; it is where the rules for hostile
// or careless clients live: a deadline for a whole request head, a connection limit per client address
// and in all, a bounded amount of memory per connection. The limits hold for the server as a whole,
// whichever thread a connection lands on.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lanseek::service {

struct HttpRequest
{
    std::string method;   // "GET" or "HEAD"; other methods are answered by the server itself
    std::string target;   // the request target exactly as the client sent it, query included
    std::string clientIp; // numeric, without the IPv4-mapped prefix; empty when unknown
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of the first header of that name (compared case-insensitively); empty when absent.
    std::string header(std::string_view name) const;
};

// An open file descriptor, closed when the owner lets it go unless handed on.
class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

struct HttpResponse
{
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    // The body: `length` bytes of `file` from `offset` when the file is set (sent without copying it
    // through the program), else `body`.
    std::string body;
    FileHandle file;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;

    void setHeader(std::string name, std::string value)
    {
        headers.emplace_back(std::move(name), std::move(value));
    }
};

struct HttpServerOptions
{
    std::string host = "127.0.0.1"; // numeric IPv4 or IPv6 address, or a name that resolves to one
    int port = 0;                   // 0: an ephemeral port
    // A request head (request line and headers) must arrive whole within this many seconds of the
    // connection opening or of the previous response on it ending; trickling bytes does not extend it.
    unsigned headTimeoutSeconds = 10;
    // A connection on which nothing moves for this long is closed (a reader that stopped reading).
    unsigned idleTimeoutSeconds = 30;
    // Connections one client address may hold at once; more are refused as they arrive. The program
    // itself opens up to fifteen download connections next to its page loads.
    unsigned connectionsPerClient = 32;
    unsigned maxConnections = 512;
    unsigned listenBacklog = 256;
    // Threads that serve connections; 0: one for each processor core.
    unsigned threads = 0;
    // Memory each connection may use for its request head and send buffers; larger heads are refused.
    std::size_t connectionMemory = 32 * 1024;
};

class HttpServer
{
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    HttpServer(HttpServerOptions options, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the address; clients may connect from here on and wait until serve() is called. False, with
    // the reason in *error, when the address cannot be bound or the server is already listening.
    bool listen(std::string* error);
    // Starts the threads that answer requests. Does nothing unless listening. `first`, when given, runs
    // on a thread of the server's before the first request is read: connections made meanwhile wait in
    // the listen queue and are answered once it has returned.
    void serve(std::function<void()> first = {});
    // Stops serving, closes every connection and joins the threads. Safe when not running.
    void stop();
    // The bound port; 0 when not running.
    int port() const;
    // How many threads serve (the option's 0 resolved); 0 when not running.
    unsigned threads() const;

private:
    struct Loop;
    HttpServerOptions m_options;
    Handler m_handler;
    std::unique_ptr<Loop> m_loop;
};

} // namespace lanseek::service
