#pragma once

// A local HTTP server for the search tests: it answers every request with a page the test makes from the
// request, remembers the request targets as they came off the wire, and can hold answers back.

#include <httplib.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lanseek::test {

class ScriptedService
{
public:
    // Gets the request and the service's base address; returns the page body (GBK HTML).
    using PageMaker = std::function<std::string(const httplib::Request&, const std::string& base)>;

    explicit ScriptedService(PageMaker maker) : m_maker(std::move(maker))
    {
        m_server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(m_mutex);
                m_targets.push_back(req.target);
            }
            const int delay = m_delayMs.load();
            if (delay > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            PageMaker current;
            {
                std::lock_guard lock(m_mutex);
                current = m_maker;
            }
            res.set_content(current(req, m_base), "text/html; charset=gbk");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_base = "http://127.0.0.1:" + std::to_string(m_port);
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ScriptedService()
    {
        m_server.stop();
        m_thread.join();
    }
    ScriptedService(const ScriptedService&) = delete;
    ScriptedService& operator=(const ScriptedService&) = delete;

    QString base() const { return QString::fromStdString(m_base); }
    const std::string& baseBytes() const { return m_base; }
    std::vector<std::string> targets()
    {
        std::lock_guard lock(m_mutex);
        return m_targets;
    }
    void setPages(PageMaker maker)
    {
        std::lock_guard lock(m_mutex);
        m_maker = std::move(maker);
    }
    void setDelay(int milliseconds) { m_delayMs = milliseconds; }

private:
    httplib::Server m_server;
    PageMaker m_maker;
    int m_port = 0;
    std::string m_base;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_targets;
    std::atomic<int> m_delayMs{0};
};

} // namespace lanseek::test
