#pragma once

// A lean HTTP/1.1 file server on 127.0.0.1 for the download benchmark: single byte ranges, keep-alive,
// and an optional rate limit per connection. Bodies are shared, never copied per request, so that the
// server costs every contender the same little.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lanseek::bench {

class BenchServer
{
public:
    explicit BenchServer(std::int64_t bytesPerSecond);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Serves body at path; call before clients connect.
    void serve(const std::string& path, std::shared_ptr<const std::string> body);
    std::string url(const std::string& path) const;

private:
    void acceptLoop();
    void serveConnection(int fd);
    bool sendBody(int fd, const char* data, std::size_t length);

    std::int64_t m_rate;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::map<std::string, std::shared_ptr<const std::string>> m_files;
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::vector<int> m_fds;
    std::vector<std::thread> m_threads;
};

} // namespace lanseek::bench
