#include "lan/service_directory.h"

#include "lan/liveness_check.h"

#include <net/if.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lanseek::lan {

QString LanService::txtValue(const QString& key) const
{
    for (const auto& [field, value] : txt) {
        if (field == key) {
            return value;
        }
    }
    return {};
}

std::vector<std::string> candidateBases(const std::vector<ServiceSighting>& sightings)
{
    std::vector<std::pair<int, std::string>> ranked;
    for (const ServiceSighting& sighting : sightings) {
        const std::string port = ":" + std::to_string(sighting.port);
        if (sighting.key.family == IpFamily::V4) {
            ranked.emplace_back(0, "http://" + sighting.address + port);
            continue;
        }
        const bool linkLocal = sighting.address.size() >= 4 && (sighting.address.compare(0, 4, "fe80") == 0 ||
                                                                sighting.address.compare(0, 4, "FE80") == 0);
        if (!linkLocal) {
            ranked.emplace_back(1, "http://[" + sighting.address + "]" + port);
            continue;
        }
        // A link-local address means nothing without the link it is on.
        char name[IF_NAMESIZE] = {};
        if (sighting.key.interfaceIndex > 0 &&
            if_indextoname(static_cast<unsigned>(sighting.key.interfaceIndex), name) != nullptr) {
            ranked.emplace_back(2, "http://[" + sighting.address + "%25" + name + "]" + port);
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> bases;
    for (auto& [rank, base] : ranked) {
        if (std::find(bases.begin(), bases.end(), base) == bases.end()) {
            bases.push_back(std::move(base));
        }
    }
    return bases;
}

// The thread that checks every service's addresses in rounds. The UI thread hands it the current
// targets; it hands back, per service, the first address that answered (or none).
struct ServiceDirectory::Checker
{
    std::mutex mutex;
    std::condition_variable wake;
    std::map<std::string, std::vector<std::string>> targets;
    bool stopping = false;
    bool hurry = false; // a new target: check now instead of after the interval
    std::thread thread;

    void run(ServiceDirectory* owner, DirectoryTiming timing)
    {
        std::unique_lock lock(mutex);
        while (!stopping) {
            const std::map<std::string, std::vector<std::string>> round = targets;
            hurry = false;
            lock.unlock();
            std::vector<std::string> all;
            for (const auto& [name, bases] : round) {
                all.insert(all.end(), bases.begin(), bases.end());
            }
            const std::vector<bool> answers =
                all.empty() ? std::vector<bool>() : checkAnswers(all, timing.answerTimeout);
            std::size_t at = 0;
            for (const auto& target : round) {
                std::string answering;
                for (std::size_t i = 0; i < target.second.size(); ++i, ++at) {
                    if (answering.empty() && answers[at]) {
                        answering = target.second[i];
                    }
                }
                QMetaObject::invokeMethod(
                    owner,
                    [owner, name = target.first, bases = target.second, answering] {
                        owner->onChecked(name, bases, answering);
                    },
                    Qt::QueuedConnection);
            }
            lock.lock();
            wake.wait_for(lock, timing.checkInterval, [this] { return stopping || hurry; });
        }
    }
};

ServiceDirectory::ServiceDirectory(std::unique_ptr<ServiceBrowser> browser, DirectoryTiming timing,
                                   QObject* parent)
    : QObject(parent), m_browser(std::move(browser)), m_timing(timing)
{
    qRegisterMetaType<lanseek::lan::LanService>();
}

ServiceDirectory::~ServiceDirectory()
{
    // The browser first, so that no sighting arrives for a directory that is half gone.
    m_browser.reset();
    if (m_checker) {
        {
            const std::lock_guard lock(m_checker->mutex);
            m_checker->stopping = true;
        }
        m_checker->wake.notify_all();
        m_checker->thread.join();
    }
}

bool ServiceDirectory::start()
{
    if (m_checker) {
        return true;
    }
    m_checker = std::make_unique<Checker>();
    m_checker->thread = std::thread([this] { m_checker->run(this, m_timing); });
    ServiceBrowser::Events events;
    events.seen = [this](ServiceSighting sighting) {
        QMetaObject::invokeMethod(
            this, [this, sighting = std::move(sighting)]() mutable { onSeen(std::move(sighting)); },
            Qt::QueuedConnection);
    };
    events.lost = [this](const SightingKey& key) {
        QMetaObject::invokeMethod(
            this, [this, key] { onLost(key); }, Qt::QueuedConnection);
    };
    events.failed = [this](BrowseFailure kind, const std::string& reason) {
        QMetaObject::invokeMethod(
            this, [this, kind, reason] { emit browsingFailed(kind, QString::fromStdString(reason)); },
            Qt::QueuedConnection);
    };
    if (!m_browser || !m_browser->start(std::move(events))) {
        emit browsingFailed(BrowseFailure::DaemonError, QStringLiteral("browsing the LAN could not start"));
        return false;
    }
    return true;
}

QList<LanService> ServiceDirectory::services() const
{
    QList<LanService> list;
    for (const auto& [name, entry] : m_entries) {
        if (entry.shown) {
            list.push_back(describe(name, entry));
        }
    }
    return list;
}

std::optional<LanService> ServiceDirectory::service(const QString& name) const
{
    const auto found = m_entries.find(name.toStdString());
    if (found == m_entries.end() || !found->second.shown) {
        return std::nullopt;
    }
    return describe(found->first, found->second);
}

LanService ServiceDirectory::describe(const std::string& name, const Entry& entry) const
{
    LanService service;
    service.name = QString::fromStdString(name);
    service.baseUrl = QString::fromStdString(entry.answering);
    // Every sighting of one service carries the same records; the first one's stand for all.
    if (!entry.sightings.empty()) {
        for (const auto& [key, value] : entry.sightings.begin()->second.txt) {
            service.txt.emplace_back(QString::fromStdString(key), QString::fromStdString(value));
        }
    }
    return service;
}

void ServiceDirectory::onSeen(ServiceSighting sighting)
{
    Entry& entry = m_entries[sighting.key.name];
    const bool txtChanged =
        entry.shown && !entry.sightings.empty() && entry.sightings.begin()->second.txt != sighting.txt;
    entry.sightings[sighting.key] = std::move(sighting);
    if (txtChanged) {
        for (auto& [key, other] : entry.sightings) {
            other.txt = entry.sightings.begin()->second.txt;
        }
    }
    publishTargets();
    if (txtChanged) {
        emit serviceChanged(describe(entry.sightings.begin()->first.name, entry));
    }
}

void ServiceDirectory::onLost(const SightingKey& key)
{
    const auto found = m_entries.find(key.name);
    if (found == m_entries.end()) {
        return;
    }
    found->second.sightings.erase(key);
    if (found->second.sightings.empty()) {
        // The goodbye of its last sighting: the service has gone from the LAN.
        const bool shown = found->second.shown;
        m_entries.erase(found);
        publishTargets();
        if (shown) {
            emit serviceDisappeared(QString::fromStdString(key.name));
        }
        return;
    }
    publishTargets();
}

void ServiceDirectory::onChecked(const std::string& name, const std::vector<std::string>& candidates,
                                 const std::string& answering)
{
    const auto found = m_entries.find(name);
    if (found == m_entries.end()) {
        return; // gone while it was being checked
    }
    Entry& entry = found->second;
    std::vector<ServiceSighting> sightings;
    for (const auto& [key, sighting] : entry.sightings) {
        sightings.push_back(sighting);
    }
    if (candidateBases(sightings) != candidates) {
        return; // its addresses changed meanwhile; the next round checks the new ones
    }
    if (!answering.empty()) {
        entry.misses = 0;
        const bool moved = entry.answering != answering;
        entry.answering = answering;
        if (!entry.shown) {
            entry.shown = true;
            emit serviceAppeared(describe(name, entry));
        } else if (moved) {
            emit serviceChanged(describe(name, entry));
        }
        return;
    }
    ++entry.misses;
    if (entry.shown && entry.misses >= m_timing.missesBeforeGone) {
        // Its record lingers, but it does not answer: gone for the user. It comes back when it answers.
        entry.shown = false;
        entry.answering.clear();
        emit serviceDisappeared(QString::fromStdString(name));
    }
}

void ServiceDirectory::publishTargets()
{
    if (!m_checker) {
        return;
    }
    std::map<std::string, std::vector<std::string>> targets;
    for (const auto& [name, entry] : m_entries) {
        std::vector<ServiceSighting> sightings;
        for (const auto& [key, sighting] : entry.sightings) {
            sightings.push_back(sighting);
        }
        targets[name] = candidateBases(sightings);
    }
    {
        const std::lock_guard lock(m_checker->mutex);
        const bool added = std::any_of(targets.begin(), targets.end(), [this](const auto& target) {
            const auto old = m_checker->targets.find(target.first);
            return old == m_checker->targets.end() || old->second != target.second;
        });
        m_checker->targets = std::move(targets);
        m_checker->hurry = m_checker->hurry || added;
    }
    m_checker->wake.notify_all();
}

} // namespace lanseek::lan
