#include "fault_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace lanseek::test {

namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

const char* reasonFor(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

std::optional<std::int64_t> parseNumber(std::string_view text)
{
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// One byte range of a "bytes=" header, resolved against the body size. Nothing when the header is absent,
// malformed or asks for several ranges (the server then answers with the whole body, as HTTP allows).
struct ResolvedRange
{
    bool satisfiable = false;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

std::optional<ResolvedRange> resolveRange(std::string_view value, std::int64_t size)
{
    value = trim(value);
    if (value.substr(0, 6) != "bytes=" || value.find(',') != std::string_view::npos) {
        return std::nullopt;
    }
    value.remove_prefix(6);
    const auto dash = value.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto firstText = trim(value.substr(0, dash));
    const auto lastText = trim(value.substr(dash + 1));
    ResolvedRange range;
    if (firstText.empty()) {
        const auto suffix = parseNumber(lastText);
        if (!suffix) {
            return std::nullopt;
        }
        range.satisfiable = *suffix > 0 && size > 0;
        range.first = std::max<std::int64_t>(0, size - *suffix);
        range.last = size - 1;
        return range;
    }
    const auto first = parseNumber(firstText);
    if (!first) {
        return std::nullopt;
    }
    std::int64_t last = size - 1;
    if (!lastText.empty()) {
        const auto parsed = parseNumber(lastText);
        if (!parsed || *parsed < *first) {
            return std::nullopt;
        }
        last = std::min(*parsed, size - 1);
    }
    range.satisfiable = *first < size;
    range.first = *first;
    range.last = last;
    return range;
}

bool sendRaw(int fd, std::string_view data)
{
    while (!data.empty()) {
        const auto sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const
{
    for (const auto& line : headerLines) {
        const auto colon = line.find(':');
        if (colon != std::string::npos && sameName(std::string_view(line).substr(0, colon), name)) {
            return std::string(trim(std::string_view(line).substr(colon + 1)));
        }
    }
    return std::nullopt;
}

std::vector<std::string> RecordedRequest::headerNames() const
{
    std::vector<std::string> names;
    for (const auto& line : headerLines) {
        names.push_back(line.substr(0, line.find(':')));
    }
    return names;
}

FaultHttpServer::FaultHttpServer()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        throw std::runtime_error("test server: no socket");
    }
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 64) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

FaultHttpServer::~FaultHttpServer()
{
    stop();
}

void FaultHttpServer::serve(const std::string& path, ServedFile file)
{
    auto shared = std::make_shared<const ServedFile>(std::move(file));
    std::lock_guard lock(m_mutex);
    m_files[path] = std::move(shared);
}

std::string FaultHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<RecordedRequest> FaultHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t FaultHttpServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

std::size_t FaultHttpServer::connectionCount() const
{
    std::lock_guard lock(m_mutex);
    return m_connections;
}

bool FaultHttpServer::waitForRequests(std::size_t n, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_requests.size() >= n; });
}

std::uint16_t FaultHttpServer::closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("test server: no socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("test server: cannot bind");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

void FaultHttpServer::stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping && !m_acceptThread.joinable()) {
            return;
        }
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_listenFd >= 0) {
        ::shutdown(m_listenFd, SHUT_RDWR);
    }
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
    }
    // No new connection can appear now. Wake every connection thread out of its blocking socket call;
    // descriptors are closed only after their thread is joined, so none is reused under a running thread.
    std::list<Connection> live;
    {
        std::lock_guard lock(m_mutex);
        live.swap(m_live);
        for (auto& connection : live) {
            ::shutdown(connection.fd, SHUT_RDWR);
        }
    }
    for (auto& connection : live) {
        if (connection.thread.joinable()) {
            connection.thread.join();
        }
        ::close(connection.fd);
    }
}

bool FaultHttpServer::pause(int ms)
{
    if (ms <= 0) {
        return true;
    }
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void FaultHttpServer::reapFinished()
{
    std::list<Connection> done;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_live.begin(); it != m_live.end();) {
            auto next = std::next(it);
            if (it->finished) {
                done.splice(done.end(), m_live, it);
            }
            it = next;
        }
    }
    for (auto& connection : done) {
        connection.thread.join();
        ::close(connection.fd);
    }
}

void FaultHttpServer::acceptLoop()
{
    for (;;) {
        pollfd waiting{m_listenFd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, 200);
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return;
            }
        }
        reapFinished();
        if (ready <= 0) {
            continue;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        std::lock_guard lock(m_mutex);
        ++m_connections;
        if (m_stopping || m_live.size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        m_live.emplace_back();
        Connection* connection = &m_live.back();
        connection->fd = fd;
        connection->thread = std::thread([this, connection] { serveConnection(connection); });
    }
}

void FaultHttpServer::serveConnection(Connection* connection)
{
    const int fd = connection->fd;
    std::string pending;
    bool open = true;
    while (open) {
        std::size_t headEnd = pending.find("\r\n\r\n");
        while (headEnd == std::string::npos) {
            if (pending.size() > kMaxRequestHead) {
                sendRaw(fd, "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n\r\n");
                open = false;
                break;
            }
            char chunk[4096];
            const auto got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                open = false;
                break;
            }
            pending.append(chunk, static_cast<std::size_t>(got));
            headEnd = pending.find("\r\n\r\n");
        }
        if (!open) {
            break;
        }

        RecordedRequest request;
        const std::string head = pending.substr(0, headEnd);
        pending.erase(0, headEnd + 4);
        std::size_t lineStart = 0;
        bool first = true;
        while (lineStart <= head.size()) {
            auto lineEnd = head.find("\r\n", lineStart);
            if (lineEnd == std::string::npos) {
                lineEnd = head.size();
            }
            std::string line = head.substr(lineStart, lineEnd - lineStart);
            if (first) {
                request.requestLine = line;
                first = false;
            } else if (!line.empty()) {
                request.headerLines.push_back(line);
            }
            lineStart = lineEnd + 2;
        }
        const auto methodEnd = request.requestLine.find(' ');
        const auto targetEnd =
            request.requestLine.find(' ', methodEnd == std::string::npos ? 0 : methodEnd + 1);
        if (methodEnd != std::string::npos && targetEnd != std::string::npos) {
            request.method = request.requestLine.substr(0, methodEnd);
            request.target = request.requestLine.substr(methodEnd + 1, targetEnd - methodEnd - 1);
        }
        const bool http11 = request.requestLine.size() >= 8 &&
                            request.requestLine.compare(request.requestLine.size() - 8, 8, "HTTP/1.1") == 0;
        const auto connectionHeader = request.header("Connection");
        const bool keepAlive = http11 && !(connectionHeader && sameName(*connectionHeader, "close"));
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        m_changed.notify_all();

        if (request.method.empty() || !answer(fd, request, keepAlive) || !keepAlive) {
            open = false;
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    {
        std::lock_guard lock(m_mutex);
        connection->finished = true;
    }
}

bool FaultHttpServer::answer(int fd, const RecordedRequest& request, bool keepAlive)
{
    std::shared_ptr<const ServedFile> served;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_files.find(request.target);
        if (it == m_files.end()) {
            it = m_files.find(request.target.substr(0, request.target.find('?')));
        }
        if (it != m_files.end()) {
            served = it->second;
        }
    }
    if (!served) {
        served = std::make_shared<const ServedFile>(ServedFile{.body = "no such file", .status = 404});
    }
    const ServedFile& file = *served;
    if (!pause(file.firstByteDelayMs)) {
        return false;
    }

    const auto rangeHeader = request.header("Range");
    const bool refusesRange = rangeHeader && file.rangedStatus != 0;
    static const std::string kRangeRefused = "ranged requests are not served here";
    const std::string& source = refusesRange ? kRangeRefused : file.body;
    const auto size = static_cast<std::int64_t>(source.size());
    int status = refusesRange ? file.rangedStatus : file.status;
    std::int64_t first = 0;
    std::int64_t count = size;
    std::string contentRange;
    if (status == 200 && file.ranges == RangeHandling::Honour && rangeHeader) {
        if (const auto range = resolveRange(*rangeHeader, size)) {
            if (range->satisfiable) {
                status = 206;
                first = range->first;
                count = range->last - range->first + 1;
                contentRange = "bytes " + std::to_string(range->first) + "-" + std::to_string(range->last) +
                               "/" + std::to_string(size);
            } else {
                status = 416;
                count = 0;
                contentRange = "bytes */" + std::to_string(size);
            }
        }
    }

    const bool closeAfter = file.framing == BodyFraming::CloseDelimited || !keepAlive;
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reasonFor(status) + "\r\n";
    head += "Content-Type: " + file.contentType + "\r\n";
    if (!contentRange.empty()) {
        head += "Content-Range: " + contentRange + "\r\n";
    }
    if (!file.location.empty()) {
        head += "Location: " + file.location + "\r\n";
    }
    if (file.framing == BodyFraming::ContentLength) {
        const std::int64_t announced =
            (status == 200 && file.announcedLength) ? *file.announcedLength : count;
        head += "Content-Length: " + std::to_string(announced) + "\r\n";
    } else if (file.framing == BodyFraming::Chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    }
    if (closeAfter) {
        head += "Connection: close\r\n";
    }
    for (const auto& line : file.extraHeaders) {
        head += line + "\r\n";
    }
    head += "\r\n";
    if (!sendRaw(fd, head)) {
        return false;
    }
    if (request.method == "HEAD" || count == 0) {
        if (file.framing == BodyFraming::Chunked && !sendRaw(fd, "0\r\n\r\n")) {
            return false;
        }
        return !closeAfter;
    }
    if (!pause(file.bodyDelayMs)) {
        return false;
    }

    const std::string_view body =
        std::string_view(source).substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    const bool drops = file.dropAfterBodyBytes >= 0 && file.dropAfterBodyBytes < count;
    const std::int64_t limit = drops ? file.dropAfterBodyBytes : count;
    const std::int64_t piece =
        file.bytesPerSecond > 0 ? std::max<std::int64_t>(1, file.bytesPerSecond / 50) : 65536;
    const auto started = std::chrono::steady_clock::now();
    std::int64_t sent = 0;
    while (sent < limit) {
        const std::int64_t n = std::min(piece, limit - sent);
        const auto part = body.substr(static_cast<std::size_t>(sent), static_cast<std::size_t>(n));
        if (file.framing == BodyFraming::Chunked) {
            char chunkHead[32];
            std::snprintf(chunkHead, sizeof chunkHead, "%llx\r\n", static_cast<unsigned long long>(n));
            if (!sendRaw(fd, chunkHead) || !sendRaw(fd, part) || !sendRaw(fd, "\r\n")) {
                return false;
            }
        } else if (!sendRaw(fd, part)) {
            return false;
        }
        sent += n;
        if (file.bytesPerSecond > 0) {
            const auto due = started + std::chrono::milliseconds(sent * 1000 / file.bytesPerSecond);
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
            if (!pause(static_cast<int>(wait.count()))) {
                return false;
            }
        }
    }
    if (drops) {
        return false;
    }
    if (file.framing == BodyFraming::Chunked && !sendRaw(fd, "0\r\n\r\n")) {
        return false;
    }
    // A claimed length longer than the body cannot be completed: end the connection so the client sees it.
    if (file.framing == BodyFraming::ContentLength && status == 200 && file.announcedLength &&
        *file.announcedLength != size) {
        return false;
    }
    return !closeAfter;
}

UnansweredPort::UnansweredPort()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    // A backlog of 0 leaves room for a single pending connection; nothing is ever accepted.
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 0) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listenFd >= 0) {
            ::close(m_listenFd);
        }
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            continue;
        }
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        m_fillers.push_back(fd);
    }
    // Give the handshakes of the fillers time to fill the queue before a test connects.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

UnansweredPort::~UnansweredPort()
{
    for (int fd : m_fillers) {
        ::close(fd);
    }
    ::close(m_listenFd);
}

} // namespace lanseek::test
