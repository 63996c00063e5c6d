#include "service/http_server.h"

#include "platform/log/exception_cause.h"
#include "service/service_log.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>
#include <unordered_set>

namespace lanseek::service {
namespace {

using Clock = std::chrono::steady_clock;

// How often connections are checked against their head deadline. The deadline is counted in whole
// seconds, so a fifth of a second is precise enough and costs nothing with a few hundred connections.
constexpr auto kSweepInterval = std::chrono::milliseconds(200);

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

std::string numericAddress(const sockaddr* address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address == nullptr) {
        return {};
    }
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    } else if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    } else {
        return {};
    }
    std::string ip = text;
    if (ip.rfind("::ffff:", 0) == 0 && ip.find('.') != std::string::npos) {
        ip.erase(0, 7);
    }
    return ip;
}

// What the loop knows of one open connection: when the head it waits for became due and whether it
// has arrived.
struct Connection
{
    int fd = -1;
    Clock::time_point waitingSince;
    bool headComplete = false;
    bool cut = false;
    std::string target;
};

// Where a request stands, kept in the server's per-request pointer: its head has been read, or its
// answer has been queued.
char kHeadRead = 0;
char kAnswered = 0;

} // namespace

std::string HttpRequest::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            return value;
        }
    }
    return {};
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

struct HttpServer::Loop
{
    HttpServer* owner = nullptr;
    MHD_Daemon* daemon = nullptr;
    int wake = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::thread thread;
    // Only the loop thread touches the connections: every callback runs inside MHD_run on it.
    std::unordered_set<Connection*> connections;
    Clock::duration headTimeout{};

    ~Loop()
    {
        if (wake >= 0) {
            ::close(wake);
        }
    }

    void run()
    {
        // A client that hangs up while a file goes out would otherwise end the process by SIGPIPE;
        // blocked here, the send just fails with EPIPE and the connection is closed.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

        const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_EPOLL_FD);
        const int epoll = info != nullptr ? info->epoll_fd : -1;
        auto nextSweep = Clock::now() + kSweepInterval;
        while (!stopping.load()) {
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextSweep - Clock::now());
            MHD_UNSIGNED_LONG_LONG due = 0;
            if (MHD_get_timeout(daemon, &due) == MHD_YES &&
                due < static_cast<MHD_UNSIGNED_LONG_LONG>(std::max<long long>(0, wait.count()))) {
                wait = std::chrono::milliseconds(static_cast<long long>(due));
            }
            pollfd fds[2] = {{epoll, POLLIN, 0}, {wake, POLLIN, 0}};
            const int ready = ::poll(fds, 2, static_cast<int>(std::max<long long>(0, wait.count())));
            if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto got = ::read(wake, &count, sizeof count);
            }
            MHD_run(daemon);
            const auto now = Clock::now();
            if (now >= nextSweep) {
                sweep(now);
                nextSweep = now + kSweepInterval;
            }
        }
        MHD_stop_daemon(daemon);
        daemon = nullptr;
        for (Connection* connection : connections) {
            delete connection;
        }
        connections.clear();
    }

    // The server's own inactivity timeout starts again with every byte, so a client sending its head a
    // byte at a time could hold a connection for ever. Heads that have not arrived in time are cut off
    // here; shutting the socket down makes the next poll report it, and the server closes it.
    void sweep(Clock::time_point now)
    {
        for (Connection* connection : connections) {
            if (!connection->headComplete && !connection->cut &&
                now - connection->waitingSince >= headTimeout) {
                ::shutdown(connection->fd, SHUT_RDWR);
                connection->cut = true;
            }
        }
    }

    static Connection* connectionOf(MHD_Connection* connection)
    {
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        return info != nullptr ? static_cast<Connection*>(info->socket_context) : nullptr;
    }

    static void notifyConnection(void* cls, MHD_Connection* connection, void** socketContext,
                                 MHD_ConnectionNotificationCode code)
    {
        auto* self = static_cast<Loop*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto* record = new Connection;
            const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            record->fd = info != nullptr ? info->connect_fd : -1;
            record->waitingSince = Clock::now();
            // Without this, a response sent in two writes waits for the client's delayed ACK, which
            // costs every request after the first on a kept-alive connection about 40 ms.
            const int yes = 1;
            ::setsockopt(record->fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            self->connections.insert(record);
            *socketContext = record;
        } else if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            auto* record = static_cast<Connection*>(*socketContext);
            if (record != nullptr && self->connections.erase(record) != 0) {
                delete record;
            }
            *socketContext = nullptr;
        }
    }

    // Called once per request as soon as its request line has arrived, before the headers. The raw
    // target is kept: the server's parsed path has lost its escapes and its query.
    static void* uriLog(void* /*cls*/, const char* uri, MHD_Connection* connection)
    {
        Connection* record = connectionOf(connection);
        if (record != nullptr) {
            record->target = uri != nullptr ? uri : "";
        }
        return record;
    }

    static void requestCompleted(void* cls, MHD_Connection* connection, void** /*requestContext*/,
                                 MHD_RequestTerminationCode /*code*/)
    {
        auto* self = static_cast<Loop*>(cls);
        Connection* record = connectionOf(connection);
        if (record != nullptr && self->connections.count(record) != 0) {
            // The next request on a kept-alive connection gets a deadline of its own.
            record->headComplete = false;
            record->waitingSince = Clock::now();
            record->target.clear();
        }
    }

    static MHD_Result collectHeader(void* cls, MHD_ValueKind /*kind*/, const char* key, const char* value)
    {
        auto* headers = static_cast<std::vector<std::pair<std::string, std::string>>*>(cls);
        if (key != nullptr) {
            headers->emplace_back(key, value != nullptr ? value : "");
        }
        return MHD_YES;
    }

    static MHD_Result queue(MHD_Connection* connection, HttpResponse& response)
    {
        MHD_Response* mhd = nullptr;
        if (response.file.valid() && response.length > 0) {
            // The server owns the descriptor from here on and closes it with the response.
            const int fd = response.file.release();
            mhd = MHD_create_response_from_fd_at_offset64(response.length, fd, response.offset);
            if (mhd == nullptr) {
                ::close(fd);
            }
        } else {
            mhd = MHD_create_response_from_buffer(response.body.size(), response.body.data(),
                                                  MHD_RESPMEM_MUST_COPY);
        }
        if (mhd == nullptr) {
            return MHD_NO;
        }
        for (const auto& [name, value] : response.headers) {
            MHD_add_response_header(mhd, name.c_str(), value.c_str());
        }
        const MHD_Result result = MHD_queue_response(connection, static_cast<unsigned>(response.status), mhd);
        MHD_destroy_response(mhd);
        return result;
    }

    static MHD_Result access(void* cls, MHD_Connection* connection, const char* /*url*/, const char* method,
                             const char* /*version*/, const char* /*uploadData*/, std::size_t* uploadSize,
                             void** requestContext)
    {
        auto* self = static_cast<Loop*>(cls);
        if (*requestContext == &kAnswered) {
            // Body bytes after an early answer; the connection closes once the answer is out.
            *uploadSize = 0;
            return MHD_YES;
        }
        if (*requestContext == &kHeadRead) {
            // The server calls once more when the whole request is in; a body (none is expected)
            // is passed over.
            if (*uploadSize != 0) {
                *uploadSize = 0;
                return MHD_YES;
            }
            *requestContext = &kAnswered;
            return answer(self, connection, method);
        }
        Connection* record = connectionOf(connection);
        if (record != nullptr) {
            record->headComplete = true;
        }
        // The server keeps a connection alive only for requests answered after they were read whole,
        // which for a request without a body is the call that follows this one. Anything else (another
        // method, a body to a GET) is answered at once, and its connection closes after the answer, so
        // that nobody can stream a body at us for ever.
        const bool get =
            method != nullptr && (std::strcmp(method, "GET") == 0 || std::strcmp(method, "HEAD") == 0);
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
        const bool bodyless =
            (length == nullptr || std::strcmp(length, "0") == 0) &&
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding") == nullptr;
        if (get && bodyless) {
            *requestContext = &kHeadRead;
            return MHD_YES;
        }
        *requestContext = &kAnswered;
        return answer(self, connection, method);
    }

    // The target is the client's text: it is quoted (which escapes control characters) and cut short, so
    // that a hostile request can neither forge log lines nor flood the log.
    static void logHandlerFailure(const HttpRequest& request, const QString& cause)
    {
        constexpr qsizetype kShownTarget = 200;
        QString target = QString::fromUtf8(request.target);
        if (target.size() > kShownTarget)
            target = target.left(kShownTarget) + QStringLiteral("...");
        qCWarning(serviceLog).nospace() << "answering " << target << " from " << request.clientIp.c_str()
                                        << " failed, sent 500: " << qUtf8Printable(cause);
    }

    static MHD_Result answer(Loop* self, MHD_Connection* connection, const char* method)
    {
        Connection* record = connectionOf(connection);
        HttpRequest request;
        request.method = method != nullptr ? method : "";
        request.target = record != nullptr ? record->target : "";
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        request.clientIp = numericAddress(info != nullptr ? info->client_addr : nullptr);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader, &request.headers);

        HttpResponse response;
        if (request.method != "GET" && request.method != "HEAD") {
            response.status = 405;
            response.setHeader("Allow", "GET, HEAD");
            response.setHeader("Content-Type", "text/plain; charset=utf-8");
            response.body = "method not allowed\n";
        } else {
            try {
                response = self->owner->m_handler(request);
            } catch (...) {
                // The client learns only that the request failed; the cause is ours to know. Anything
                // thrown is caught, since nothing may unwind into the server library's C code.
                logHandlerFailure(request, lanseek::platform::exceptionCause(std::current_exception()));
                response = HttpResponse{};
                response.status = 500;
                response.setHeader("Content-Type", "text/plain; charset=utf-8");
                response.body = "internal error\n";
            }
        }
        return queue(connection, response);
    }
};

HttpServer::HttpServer(HttpServerOptions options, Handler handler)
    : m_options(std::move(options)), m_handler(std::move(handler))
{
}

HttpServer::~HttpServer()
{
    stop();
}

bool HttpServer::listen(std::string* error)
{
    auto fail = [error](std::string message) {
        if (error != nullptr) {
            *error = std::move(message);
        }
        return false;
    };
    if (m_loop) {
        return fail("the server is already running");
    }
    const std::string where = m_options.host + ":" + std::to_string(m_options.port);
    if (m_options.port < 0 || m_options.port > 65535) {
        return fail("bad port " + std::to_string(m_options.port));
    }

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(m_options.port);
    if (::getaddrinfo(m_options.host.empty() ? nullptr : m_options.host.c_str(), service.c_str(), &hints,
                      &found) != 0 ||
        found == nullptr) {
        return fail("cannot listen on " + where + ": unknown address");
    }
    sockaddr_storage address{};
    std::memcpy(&address, found->ai_addr, std::min<std::size_t>(found->ai_addrlen, sizeof address));
    const bool v6 = found->ai_family == AF_INET6;
    ::freeaddrinfo(found);

    auto loop = std::make_unique<Loop>();
    loop->owner = this;
    loop->headTimeout = std::chrono::seconds(m_options.headTimeoutSeconds);
    loop->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (loop->wake < 0) {
        return fail(std::string("cannot start the server: ") + std::strerror(errno));
    }
    // Turbo mode reads, writes and accepts before asking the event loop whether the socket is ready,
    // which saves a round through epoll for every request on a busy kept-alive connection.
    unsigned flags = MHD_USE_EPOLL | MHD_USE_TURBO;
    if (v6) {
        // "::" means every interface, IPv4 ones included, as 0.0.0.0 does for IPv4.
        const auto* any = reinterpret_cast<const sockaddr_in6*>(&address);
        flags |= IN6_IS_ADDR_UNSPECIFIED(&any->sin6_addr) ? MHD_USE_DUAL_STACK : MHD_USE_IPv6;
    }
    loop->daemon = MHD_start_daemon(
        flags, static_cast<std::uint16_t>(m_options.port), nullptr, nullptr, &Loop::access, loop.get(),
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&address), MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(m_options.idleTimeoutSeconds), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(m_options.connectionsPerClient), MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(m_options.maxConnections), MHD_OPTION_LISTEN_BACKLOG_SIZE,
        static_cast<unsigned>(m_options.listenBacklog), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        static_cast<std::size_t>(m_options.connectionMemory), MHD_OPTION_NOTIFY_CONNECTION,
        &Loop::notifyConnection, loop.get(), MHD_OPTION_NOTIFY_COMPLETED, &Loop::requestCompleted, loop.get(),
        MHD_OPTION_URI_LOG_CALLBACK, &Loop::uriLog, loop.get(), MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1,
        MHD_OPTION_END);
    if (loop->daemon == nullptr) {
        return fail("cannot listen on " + where);
    }
    const MHD_DaemonInfo* bound = MHD_get_daemon_info(loop->daemon, MHD_DAEMON_INFO_BIND_PORT);
    loop->port = bound != nullptr ? bound->port : m_options.port;
    m_loop = std::move(loop);
    return true;
}

void HttpServer::serve(std::function<void()> first)
{
    if (m_loop && !m_loop->thread.joinable()) {
        Loop* raw = m_loop.get();
        m_loop->thread = std::thread([raw, first = std::move(first)] {
            if (first) {
                first();
            }
            raw->run();
        });
    }
}

void HttpServer::stop()
{
    if (!m_loop) {
        return;
    }
    m_loop->stopping.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto put = ::write(m_loop->wake, &one, sizeof one);
    if (m_loop->thread.joinable()) {
        m_loop->thread.join();
    } else if (m_loop->daemon != nullptr) {
        MHD_stop_daemon(m_loop->daemon);
    }
    m_loop.reset();
}

int HttpServer::port() const
{
    return m_loop ? m_loop->port : 0;
}

} // namespace lanseek::service
