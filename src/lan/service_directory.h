#pragma once

// The services of the LAN as the program sees them: a Qt object on the UI thread that turns the browser's
// sightings into services that answer, and says by signal when one appears, changes or disappears. A
// service appears once one of its addresses answers the liveness check (IPv4 addresses are tried first;
// an IPv6 link-local one carries its interface as zone). It disappears at once on its goodbye record, and
// when it fails the check twice in a row, which with the default timing is within 10 s of it stopping.
// Browsing and checking run off the UI thread; their results reach it as queued calls.

#include "lan/service_browser.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace lanseek::lan {

struct LanService
{
    QString name;    // the instance name as announced (UTF-8, unescaped)
    QString baseUrl; // "http://host:port" that answered, no trailing slash; give it to ServiceEndpoints
    std::vector<std::pair<QString, QString>> txt;

    // The TXT value of key ("v", "songs", "path"); empty when absent.
    QString txtValue(const QString& key) const;
};

struct DirectoryTiming
{
    std::chrono::milliseconds checkInterval{2000}; // between the end of one check round and the next
    std::chrono::milliseconds answerTimeout{1500}; // one check's limit
    int missesBeforeGone = 2;                      // failed checks in a row that take a service away
};

class ServiceDirectory : public QObject
{
    Q_OBJECT

public:
    explicit ServiceDirectory(std::unique_ptr<ServiceBrowser> browser, DirectoryTiming timing = {},
                              QObject* parent = nullptr);
    ~ServiceDirectory() override;

    // Starts browsing and checking. False (and browsingFailed) when the browser cannot start at all.
    bool start();

    // The services that answer now, ordered by name.
    QList<LanService> services() const;
    std::optional<LanService> service(const QString& name) const;

signals:
    void serviceAppeared(const lanseek::lan::LanService& service);
    // Its answering address or its TXT values changed.
    void serviceChanged(const lanseek::lan::LanService& service);
    void serviceDisappeared(const QString& name);
    // No daemon to browse through (the program then finds nothing, and says so), or it refused.
    void browsingFailed(lanseek::lan::BrowseFailure kind, const QString& reason);

private:
    struct Entry
    {
        std::map<SightingKey, ServiceSighting> sightings;
        std::string answering; // the base that answered last; empty while none does
        bool shown = false;
        int misses = 0;
    };

    void onSeen(ServiceSighting sighting);
    void onLost(const SightingKey& key);
    void onChecked(const std::string& name, const std::vector<std::string>& candidates,
                   const std::string& answering);
    void publishTargets();
    LanService describe(const std::string& name, const Entry& entry) const;

    struct Checker;
    std::unique_ptr<ServiceBrowser> m_browser;
    DirectoryTiming m_timing;
    std::map<std::string, Entry> m_entries;
    std::unique_ptr<Checker> m_checker;
};

// The addresses to try for a service's sightings, best first: IPv4, then IPv6, link-local ones with their
// interface as zone ("http://[fe80::1%25eth0]:8080").
std::vector<std::string> candidateBases(const std::vector<ServiceSighting>& sightings);

} // namespace lanseek::lan

Q_DECLARE_METATYPE(lanseek::lan::LanService)
