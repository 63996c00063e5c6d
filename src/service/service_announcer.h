#pragma once

// Announcing a running service on the LAN: a DNS-SD service of type _lanseek._tcp registered through the
// desktop's mDNS daemon, so that the program finds it without an address. The registration runs on a
// thread of the daemon client's own; it follows the daemon (registers again after the daemon restarts),
// takes the daemon's alternative name when another service holds ours, and withdraws the record when the
// announcer goes. Without a daemon the service works as before and is reached by its address.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace lanseek::service {

inline constexpr const char* kServiceType = "_lanseek._tcp";

struct Announcement
{
    std::string name;       // the instance name (UTF-8) asked for; the daemon may give another
    std::string listenHost; // the address the service listens on; a specific one limits the interface
    int port = 0;
    std::size_t songs = 0;
};

// Whether a service listening there is announced: not when it listens on loopback only, since nobody
// else could reach it.
bool announcesOn(const std::string& listenHost);

// "<user>@<host>", the instance name when none is given.
std::string defaultServiceName();

class ServiceAnnouncer
{
public:
    // Receives the announcer's few log lines (daemon missing, name taken, registered), from its thread.
    using Log = std::function<void(const std::string& line)>;

    ServiceAnnouncer(Announcement announcement, Log log);
    // Withdraws the record (the daemon sends its goodbye) and stops the client's thread.
    ~ServiceAnnouncer();
    ServiceAnnouncer(const ServiceAnnouncer&) = delete;
    ServiceAnnouncer& operator=(const ServiceAnnouncer&) = delete;

    // Starts the client's thread; registration follows once the daemon answers. False when the client
    // cannot run at all (the reason is logged); the service should go on without it.
    bool start();
    // Updates the "songs=" TXT value, after a rescan.
    void setSongCount(std::size_t songs);
    // The name registered now; empty until the daemon has confirmed it.
    std::string registeredName() const;

private:
    struct Client;
    std::unique_ptr<Client> m_client;
};

} // namespace lanseek::service
