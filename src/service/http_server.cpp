#include "service/http_server.h"

#include "platform/log/exception_cause.h"
#include "service/service_log.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
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

// What the server knows of one open connection. A connection is served by one thread of the pool only;
// the sweep reads when its head became due and whether it has arrived from a thread of its own, so those
// two are atomic. `cut` is the sweep's own, under the lock of the connection set.
struct Connection
{
    int fd = -1;
    std::atomic<Clock::rep> waitingSince{0};
    std::atomic<bool> headComplete{false};
    bool cut = false;
    bool refused = false; // over the limit of connections in all: closed unanswered
    std::string target;
    std::string clientIp;

    void waitFromNow()
    {
        waitingSince.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    }
};

// A body handed to the server library without copying it; freed when the response goes.
void freeBody(void* body)
{
    delete static_cast<std::string*>(body);
}

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
    // Ours until the daemon starts, then the daemon's, which closes it when it stops.
    int listenFd = -1;
    int port = 0;
    unsigned threads = 1;
    unsigned maxConnections = 0;
    Clock::duration headTimeout{};
    std::thread thread; // runs `first`, starts the daemon, then sweeps until stopped

    std::mutex stopMutex;
    std::condition_variable stopSignal;
    bool stopping = false;

    // Every callback below runs on one of the pool's threads; the set is shared by them and the sweep.
    std::mutex connectionsMutex;
    std::unordered_set<Connection*> connections;
    std::atomic<unsigned> open{0};

    ~Loop()
    {
        if (listenFd >= 0) {
            ::close(listenFd);
        }
    }

    void run(const std::function<void()>& first)
    {
        // A client that hangs up while a file goes out would otherwise end the process by SIGPIPE;
        // blocked here, and so on the pool's threads, which inherit the mask, the send just fails with
        // EPIPE and the connection is closed.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

        if (first) {
            first();
        }
        if (!waitStopped(Clock::duration::zero()) && !startDaemon()) {
            // Closed at once, so that clients are refused rather than left waiting in the queue.
            qCWarning(serviceLog) << "the server could not start its threads on port" << port;
            ::close(std::exchange(listenFd, -1));
        }
        while (!waitStopped(kSweepInterval)) {
            sweep(Clock::now());
        }
        if (daemon != nullptr) {
            MHD_stop_daemon(daemon);
            daemon = nullptr;
        }
        const std::lock_guard lock(connectionsMutex);
        for (Connection* connection : connections) {
            delete connection;
        }
        connections.clear();
    }

    // True once stop() has been asked for, waiting at most `wait` for it.
    bool waitStopped(Clock::duration wait)
    {
        std::unique_lock lock(stopMutex);
        return stopSignal.wait_for(lock, wait, [this] { return stopping; });
    }

    bool startDaemon()
    {
        // Turbo mode reads, writes and accepts before asking the event loop whether the socket is ready,
        // which saves a round through epoll for every request on a busy kept-alive connection.
        const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_TURBO;
        const HttpServerOptions& options = owner->m_options;
        // The library divides its connection limit among the pool's threads, which would refuse a
        // connection on a busy thread while others have room. Each thread may hold them all; the limit in
        // all is counted here, over every thread (see notifyConnection).
        const unsigned perThreadLimit = maxConnections * threads;
        // The per-address limit is the library's own and already counted over the whole pool.
        daemon = MHD_start_daemon(
            flags, 0, nullptr, nullptr, &Loop::access, this, MHD_OPTION_LISTEN_SOCKET, listenFd,
            MHD_OPTION_THREAD_POOL_SIZE, threads > 1 ? threads : 0U, MHD_OPTION_CONNECTION_TIMEOUT,
            static_cast<unsigned>(options.idleTimeoutSeconds), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
            static_cast<unsigned>(options.connectionsPerClient), MHD_OPTION_CONNECTION_LIMIT, perThreadLimit,
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<std::size_t>(options.connectionMemory),
            MHD_OPTION_NOTIFY_CONNECTION, &Loop::notifyConnection, this, MHD_OPTION_NOTIFY_COMPLETED,
            &Loop::requestCompleted, this, MHD_OPTION_URI_LOG_CALLBACK, &Loop::uriLog, this,
            MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, MHD_OPTION_END);
        if (daemon == nullptr) {
            return false;
        }
        listenFd = -1;
        return true;
    }

    // The server's own inactivity timeout starts again with every byte, so a client sending its head a
    // byte at a time could hold a connection for ever. Heads that have not arrived in time are cut off
    // here; shutting the socket down makes its thread's next poll report it, and the server closes it.
    // The set's lock keeps the descriptor open meanwhile: a connection leaves the set before its
    // descriptor is closed.
    void sweep(Clock::time_point now)
    {
        const Clock::rep due = (now - headTimeout).time_since_epoch().count();
        const std::lock_guard lock(connectionsMutex);
        for (Connection* connection : connections) {
            if (!connection->cut && !connection->headComplete.load(std::memory_order_relaxed) &&
                connection->waitingSince.load(std::memory_order_relaxed) <= due) {
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
            record->waitFromNow();
            // The address is the same for every request on the connection, so it is written out once.
            const MHD_ConnectionInfo* client =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            record->clientIp = numericAddress(client != nullptr ? client->client_addr : nullptr);
            // Without this, a response sent in two writes waits for the client's delayed ACK, which
            // costs every request after the first on a kept-alive connection about 40 ms.
            const int yes = 1;
            ::setsockopt(record->fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            // Counted here rather than when accepting: the library calls this for every connection it
            // keeps, and the closing call below for each of them, so the count cannot drift.
            if (self->open.fetch_add(1, std::memory_order_relaxed) >= self->maxConnections) {
                record->refused = true;
                ::shutdown(record->fd, SHUT_RDWR);
            }
            {
                const std::lock_guard lock(self->connectionsMutex);
                self->connections.insert(record);
            }
            *socketContext = record;
        } else if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            auto* record = static_cast<Connection*>(*socketContext);
            if (record != nullptr) {
                bool known = false;
                {
                    const std::lock_guard lock(self->connectionsMutex);
                    known = self->connections.erase(record) != 0;
                }
                if (known) {
                    self->open.fetch_sub(1, std::memory_order_relaxed);
                    delete record;
                }
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
            record->target.assign(uri != nullptr ? uri : "");
        }
        return record;
    }

    static void requestCompleted(void* /*cls*/, MHD_Connection* connection, void** /*requestContext*/,
                                 MHD_RequestTerminationCode /*code*/)
    {
        Connection* record = connectionOf(connection);
        if (record != nullptr) {
            // The next request on a kept-alive connection gets a deadline of its own.
            record->waitFromNow();
            record->headComplete.store(false, std::memory_order_relaxed);
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
        } else if (response.body.empty()) {
            mhd = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        } else {
            // The body's buffer goes to the response as it is: a song sent inline is not copied again.
            auto* body = new std::string(std::move(response.body));
            mhd = MHD_create_response_from_buffer_with_free_callback_cls(body->size(), body->data(),
                                                                         &freeBody, body);
            if (mhd == nullptr) {
                delete body;
            }
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
            if (record->refused) {
                return MHD_NO;
            }
            record->headComplete.store(true, std::memory_order_relaxed);
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
        if (record != nullptr) {
            // The connection's own copies are not needed after this request.
            request.target = std::move(record->target);
            request.clientIp = record->clientIp;
        }
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
    const auto addressLength =
        static_cast<socklen_t>(std::min<std::size_t>(found->ai_addrlen, sizeof address));
    std::memcpy(&address, found->ai_addr, addressLength);
    const int family = found->ai_family;
    ::freeaddrinfo(found);

    // The socket is bound and listening from here on, so clients may connect at once; the daemon that
    // accepts them starts in serve(). Every thread of the pool polls it, so it must not block.
    auto loop = std::make_unique<Loop>();
    loop->owner = this;
    loop->headTimeout = std::chrono::seconds(m_options.headTimeoutSeconds);
    loop->maxConnections = std::max(1U, m_options.maxConnections);
    loop->threads =
        m_options.threads != 0 ? m_options.threads : std::max(1U, std::thread::hardware_concurrency());
    loop->listenFd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (loop->listenFd < 0) {
        return fail("cannot listen on " + where + ": " + std::strerror(errno));
    }
    const int yes = 1;
    ::setsockopt(loop->listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (family == AF_INET6) {
        // "::" means every interface, IPv4 ones included, as 0.0.0.0 does for IPv4.
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        const int only = IN6_IS_ADDR_UNSPECIFIED(&v6->sin6_addr) ? 0 : 1;
        ::setsockopt(loop->listenFd, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
    }
    if (::bind(loop->listenFd, reinterpret_cast<const sockaddr*>(&address), addressLength) != 0 ||
        ::listen(loop->listenFd, static_cast<int>(m_options.listenBacklog)) != 0) {
        return fail("cannot listen on " + where + ": " + std::strerror(errno));
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    if (::getsockname(loop->listenFd, reinterpret_cast<sockaddr*>(&bound), &boundLength) == 0) {
        loop->port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                       : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    } else {
        loop->port = m_options.port;
    }
    m_loop = std::move(loop);
    return true;
}

void HttpServer::serve(std::function<void()> first)
{
    if (m_loop && !m_loop->thread.joinable()) {
        Loop* raw = m_loop.get();
        m_loop->thread = std::thread([raw, first = std::move(first)] { raw->run(first); });
    }
}

void HttpServer::stop()
{
    if (!m_loop) {
        return;
    }
    {
        const std::lock_guard lock(m_loop->stopMutex);
        m_loop->stopping = true;
    }
    m_loop->stopSignal.notify_all();
    if (m_loop->thread.joinable()) {
        m_loop->thread.join();
    }
    m_loop.reset();
}

int HttpServer::port() const
{
    return m_loop ? m_loop->port : 0;
}

unsigned HttpServer::threads() const
{
    return m_loop ? m_loop->threads : 0;
}

} // namespace lanseek::service
