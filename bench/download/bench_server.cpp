#include "bench_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace lanseek::bench {

namespace {

bool sendAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> headerValue(const std::string& head, const char* name)
{
    const std::size_t n = std::strlen(name);
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (head.size() >= at + n + 1 && strncasecmp(head.c_str() + at, name, n) == 0 &&
            head[at + n] == ':') {
            std::size_t start = at + n + 1;
            while (start < head.size() && head[start] == ' ')
                ++start;
            return head.substr(start, head.find("\r\n", start) - start);
        }
    }
    return std::nullopt;
}

} // namespace

BenchServer::BenchServer(std::int64_t bytesPerSecond) : m_rate(bytesPerSecond)
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 128) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("the benchmark server cannot listen");
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

BenchServer::~BenchServer()
{
    m_stopping = true;
    ::shutdown(m_listenFd, SHUT_RDWR);
    m_acceptThread.join();
    ::close(m_listenFd);
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_fds)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (auto& thread : m_threads)
        thread.join();
    // Connections are closed only here, so that no descriptor number is reused while it may be shut down.
    for (int fd : m_fds)
        ::close(fd);
}

void BenchServer::serve(const std::string& path, std::shared_ptr<const std::string> body)
{
    m_files[path] = std::move(body);
}

std::string BenchServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void BenchServer::acceptLoop()
{
    while (!m_stopping) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(m_mutex);
        m_fds.push_back(fd);
        m_threads.emplace_back([this, fd] { serveConnection(fd); });
    }
}

bool BenchServer::sendBody(int fd, const char* data, std::size_t length)
{
    constexpr std::size_t kPiece = 64 * 1024;
    const auto started = std::chrono::steady_clock::now();
    std::size_t sent = 0;
    while (sent < length && !m_stopping) {
        const std::size_t n = std::min(kPiece, length - sent);
        if (!sendAll(fd, data + sent, n))
            return false;
        sent += n;
        if (m_rate > 0) {
            const auto due =
                started + std::chrono::microseconds(static_cast<std::int64_t>(sent) * 1000000 / m_rate);
            std::this_thread::sleep_until(due);
        }
    }
    return sent == length;
}

void BenchServer::serveConnection(int fd)
{
    std::string pending;
    char chunk[8192];
    for (;;) {
        std::size_t end;
        while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            pending.append(chunk, static_cast<std::size_t>(n));
        }
        const std::string head = pending.substr(0, end);
        pending.erase(0, end + 4);
        const std::size_t pathStart = head.find(' ') + 1;
        const std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
        const auto found = m_files.find(path);
        if (found == m_files.end()) {
            const char reply[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
            if (!sendAll(fd, reply, sizeof reply - 1))
                return;
            continue;
        }
        const std::string& body = *found->second;
        const auto size = static_cast<std::int64_t>(body.size());
        std::int64_t first = 0;
        std::int64_t last = size - 1;
        bool ranged = false;
        if (const auto range = headerValue(head, "Range"); range && range->rfind("bytes=", 0) == 0) {
            const std::string bounds = range->substr(6);
            const std::size_t dash = bounds.find('-');
            if (dash != std::string::npos && dash > 0) {
                first = std::strtoll(bounds.c_str(), nullptr, 10);
                if (dash + 1 < bounds.size())
                    last = std::min<std::int64_t>(size - 1,
                                                  std::strtoll(bounds.c_str() + dash + 1, nullptr, 10));
                ranged = true;
            }
        }
        std::string reply;
        if (ranged && (first >= size || last < first)) {
            reply = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(size) +
                    "\r\nContent-Length: 0\r\n\r\n";
            if (!sendAll(fd, reply.data(), reply.size()))
                return;
            continue;
        }
        const std::int64_t count = last - first + 1;
        reply = ranged ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) +
                             "-" + std::to_string(last) + "/" + std::to_string(size) + "\r\n"
                       : std::string("HTTP/1.1 200 OK\r\n");
        reply +=
            "Accept-Ranges: bytes\r\nContent-Type: audio/mpeg\r\nContent-Length: " + std::to_string(count) +
            "\r\n\r\n";
        if (!sendAll(fd, reply.data(), reply.size()) ||
            !sendBody(fd, body.data() + first, static_cast<std::size_t>(count)))
            return;
    }
}

} // namespace lanseek::bench
