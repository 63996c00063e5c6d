#include "test_media.h"

#include <QFile>

#include <httplib.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace lanseek::test {

namespace {

void putLe(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray makeWav(int ms, double frequency, const QString& title)
{
    constexpr int kRate = 8000;
    const int samples = kRate * ms / 1000;
    QByteArray info;
    if (!title.isEmpty()) {
        QByteArray name = title.toUtf8() + '\0';
        if (name.size() % 2)
            name += '\0';
        info.append("LIST");
        putLe(info, quint32(4 + 8 + name.size()), 4);
        info.append("INFOINAM");
        putLe(info, quint32(name.size()), 4);
        info.append(name);
    }
    QByteArray out;
    out.append("RIFF");
    putLe(out, quint32(36 + info.size() + samples * 2), 4);
    out.append("WAVEfmt ");
    putLe(out, 16, 4);
    putLe(out, 1, 2); // PCM
    putLe(out, 1, 2); // mono
    putLe(out, kRate, 4);
    putLe(out, kRate * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out.append(info);
    out.append("data");
    putLe(out, quint32(samples * 2), 4);
    for (int i = 0; i < samples; ++i) {
        const double v = std::sin(2.0 * M_PI * frequency * i / kRate) * 8000.0;
        putLe(out, quint32(qint16(v)) & 0xFFFF, 2);
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

struct LocalWebServer::Impl
{
    httplib::Server server;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;
    std::map<std::string, int> hits;
};

LocalWebServer::LocalWebServer() : m_impl(std::make_unique<Impl>())
{
    // Clients that keep a connection open would hold up stop() until the keep-alive timeout.
    m_impl->server.set_keep_alive_max_count(1);
    m_impl->port = m_impl->server.bind_to_any_port("127.0.0.1");
    m_impl->thread = std::thread([this] { m_impl->server.listen_after_bind(); });
}

LocalWebServer::~LocalWebServer()
{
    // stop() only takes effect once the accept loop runs.
    while (!m_impl->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_impl->server.stop();
    m_impl->thread.join();
}

void LocalWebServer::serve(const std::string& path, QByteArray body, const std::string& contentType)
{
    Impl* impl = m_impl.get();
    m_impl->server.Get(path, [impl, body = body.toStdString(), contentType](const httplib::Request& req,
                                                                            httplib::Response& res) {
        {
            std::lock_guard lock(impl->mutex);
            ++impl->hits[req.path];
        }
        res.set_content(body, contentType.c_str());
    });
}

void LocalWebServer::redirect(const std::string& path, const std::string& target)
{
    m_impl->server.Get(
        path, [target](const httplib::Request&, httplib::Response& res) { res.set_redirect(target); });
}

QString LocalWebServer::url(const std::string& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_impl->port).arg(QString::fromStdString(path));
}

int LocalWebServer::hits(const std::string& path) const
{
    std::lock_guard lock(m_impl->mutex);
    const auto it = m_impl->hits.find(path);
    return it == m_impl->hits.end() ? 0 : it->second;
}

} // namespace lanseek::test
