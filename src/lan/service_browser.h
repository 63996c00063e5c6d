#pragma once

// Finding the services of the LAN: a browser reports each _lanseek._tcp service it sees on one interface
// and one IP family, resolved to an address, a port and its TXT values, and reports again when it goes.
// The directory (service_directory.h) makes services of these sightings; the interface lets tests play
// the part of the network.

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lanseek::lan {

inline constexpr const char* kServiceType = "_lanseek._tcp";

enum class IpFamily { V4, V6 };

// One service as seen on one interface with one family; the same service seen on another interface or
// with the other family is another sighting of it.
struct SightingKey
{
    std::string name; // the instance name, UTF-8, unescaped
    int interfaceIndex = 0;
    IpFamily family = IpFamily::V4;

    bool operator<(const SightingKey& other) const
    {
        return std::tie(name, interfaceIndex, family) <
               std::tie(other.name, other.interfaceIndex, other.family);
    }
    bool operator==(const SightingKey& other) const
    {
        return std::tie(name, interfaceIndex, family) ==
               std::tie(other.name, other.interfaceIndex, other.family);
    }
};

struct ServiceSighting
{
    SightingKey key;
    std::string address; // numeric, without brackets or zone ("10.77.0.1", "fe80::1")
    std::uint16_t port = 0;
    std::vector<std::pair<std::string, std::string>> txt; // "key=value" records split at the first '='
};

enum class BrowseFailure {
    NoDaemon,    // no mDNS daemon answers (yet); browsing starts when one does
    DaemonError, // the daemon refused to browse
};

class ServiceBrowser
{
public:
    struct Events
    {
        std::function<void(ServiceSighting)> seen;
        std::function<void(SightingKey)> lost;
        std::function<void(BrowseFailure, std::string)> failed;
    };

    virtual ~ServiceBrowser() = default;
    // Starts browsing. The events may come from any thread, until the browser is destroyed; the
    // destructor waits for an event under way. False when browsing cannot start at all.
    virtual bool start(Events events) = 0;
};

} // namespace lanseek::lan
