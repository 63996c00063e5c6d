#include "service/service_announcer.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace lanseek::service {
namespace {

// When the client fails outright (not merely waiting for the daemon), it is made anew after this long.
constexpr int kRestartDelaySeconds = 2;

bool isLoopback(const std::string& host)
{
    return host == "localhost" || host == "::1" || host == "[::1]" || host.starts_with("127.");
}

bool isWildcard(const std::string& host)
{
    return host.empty() || host == "0.0.0.0" || host == "::" || host == "[::]";
}

// The interface and protocol to announce on for the listen address: a specific address is announced on
// its own interface with its own family; a wildcard everywhere.
void scopeFor(const std::string& host, AvahiIfIndex& interface, AvahiProtocol& protocol)
{
    interface = AVAHI_IF_UNSPEC;
    protocol = AVAHI_PROTO_UNSPEC;
    if (isWildcard(host)) {
        return;
    }
    std::string bare = host;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']') {
        bare = bare.substr(1, bare.size() - 2);
    }
    in_addr v4{};
    in6_addr v6{};
    const bool isV4 = inet_pton(AF_INET, bare.c_str(), &v4) == 1;
    const bool isV6 = !isV4 && inet_pton(AF_INET6, bare.c_str(), &v6) == 1;
    if (!isV4 && !isV6) {
        return;
    }
    protocol = isV4 ? AVAHI_PROTO_INET : AVAHI_PROTO_INET6;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) {
            continue;
        }
        const bool match =
            isV4 ? entry->ifa_addr->sa_family == AF_INET &&
                       std::memcmp(&reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, &v4,
                                   sizeof v4) == 0
                 : entry->ifa_addr->sa_family == AF_INET6 &&
                       std::memcmp(&reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr, &v6,
                                   sizeof v6) == 0;
        if (match) {
            interface = static_cast<AvahiIfIndex>(if_nametoindex(entry->ifa_name));
            break;
        }
    }
    freeifaddrs(list);
}

} // namespace

bool announcesOn(const std::string& listenHost)
{
    return !isLoopback(listenHost);
}

std::string defaultServiceName()
{
    std::string user;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_name != nullptr) {
        user = entry->pw_name;
    } else if (const char* env = std::getenv("USER"); env != nullptr) {
        user = env;
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        std::strcpy(host, "localhost");
    }
    return (user.empty() ? std::string("lanseek") : user) + "@" + host;
}

// Everything below runs on the threaded poll's thread, except where the public methods take its lock.
struct ServiceAnnouncer::Client
{
    Announcement announcement;
    Log log;
    AvahiIfIndex interface = AVAHI_IF_UNSPEC;
    AvahiProtocol protocol = AVAHI_PROTO_UNSPEC;
    AvahiThreadedPoll* poll = nullptr;
    AvahiClient* client = nullptr;
    AvahiEntryGroup* group = nullptr;
    AvahiTimeout* restart = nullptr;
    std::string name; // the name asked for now (the alternative after a collision)
    mutable std::mutex nameMutex;
    std::string registered;
    bool saidNoDaemon = false;

    void say(const std::string& line) const
    {
        if (log) {
            log(line);
        }
    }

    void setRegistered(std::string value)
    {
        const std::lock_guard lock(nameMutex);
        registered = std::move(value);
    }

    AvahiStringList* txt() const
    {
        AvahiStringList* list = avahi_string_list_new("v=1", nullptr);
        list = avahi_string_list_add_printf(list, "songs=%zu", announcement.songs);
        list = avahi_string_list_add(list, "path=/m");
        return list;
    }

    void registerService(AvahiClient* c)
    {
        if (group == nullptr) {
            group = avahi_entry_group_new(c, &Client::groupChanged, this);
            if (group == nullptr) {
                say(std::string("cannot announce on the LAN: ") + avahi_strerror(avahi_client_errno(c)));
                return;
            }
        }
        if (!avahi_entry_group_is_empty(group)) {
            return;
        }
        for (;;) {
            AvahiStringList* list = txt();
            const int added = avahi_entry_group_add_service_strlst(
                group, interface, protocol, static_cast<AvahiPublishFlags>(0), name.c_str(), kServiceType,
                nullptr, nullptr, static_cast<std::uint16_t>(announcement.port), list);
            avahi_string_list_free(list);
            if (added == AVAHI_ERR_COLLISION) {
                takeAlternativeName();
                continue;
            }
            if (added < 0) {
                say(std::string("cannot announce on the LAN: ") + avahi_strerror(added));
                return;
            }
            break;
        }
        if (const int committed = avahi_entry_group_commit(group); committed < 0) {
            say(std::string("cannot announce on the LAN: ") + avahi_strerror(committed));
        }
    }

    void takeAlternativeName()
    {
        char* next = avahi_alternative_service_name(name.c_str());
        say("the name \"" + name + "\" is taken on the LAN; announcing as \"" + next + "\"");
        name = next;
        avahi_free(next);
    }

    static void groupChanged(AvahiEntryGroup* g, AvahiEntryGroupState state, void* self)
    {
        auto* me = static_cast<Client*>(self);
        me->group = g;
        switch (state) {
        case AVAHI_ENTRY_GROUP_ESTABLISHED:
            me->setRegistered(me->name);
            me->say("announced on the LAN as \"" + me->name + "\" (" + kServiceType + ")");
            break;
        case AVAHI_ENTRY_GROUP_COLLISION:
            me->setRegistered({});
            me->takeAlternativeName();
            avahi_entry_group_reset(g);
            me->registerService(avahi_entry_group_get_client(g));
            break;
        case AVAHI_ENTRY_GROUP_FAILURE:
            me->setRegistered({});
            me->say(std::string("announcing on the LAN failed: ") +
                    avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(g))));
            break;
        case AVAHI_ENTRY_GROUP_UNCOMMITED:
        case AVAHI_ENTRY_GROUP_REGISTERING:
            break;
        }
    }

    static void clientChanged(AvahiClient* c, AvahiClientState state, void* self)
    {
        auto* me = static_cast<Client*>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            me->saidNoDaemon = false;
            me->registerService(c);
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The daemon's host name is changing; the records go up again once it runs.
            if (me->group != nullptr) {
                avahi_entry_group_reset(me->group);
            }
            me->setRegistered({});
            break;
        case AVAHI_CLIENT_CONNECTING:
            // Waiting for a daemon: the client registers again by itself once one appears. Entry groups of
            // the earlier connection belong to the client, which frees them.
            me->group = nullptr;
            me->setRegistered({});
            if (!me->saidNoDaemon) {
                me->saidNoDaemon = true;
                me->say("no mDNS daemon answers: not announced on the LAN (it is still reached by its "
                        "address); announcing once a daemon runs");
            }
            break;
        case AVAHI_CLIENT_FAILURE:
            // The connection is lost for good; a new client waits for the daemon to come back.
            me->setRegistered({});
            me->scheduleRestart();
            break;
        }
    }

    static void restartNow(AvahiTimeout*, void* self)
    {
        auto* me = static_cast<Client*>(self);
        me->connect();
    }

    void scheduleRestart()
    {
        timeval when{};
        avahi_elapse_time(&when, kRestartDelaySeconds * 1000, 0);
        const AvahiPoll* api = avahi_threaded_poll_get(poll);
        if (restart == nullptr) {
            restart = api->timeout_new(api, &when, &Client::restartNow, this);
        } else {
            api->timeout_update(restart, &when);
        }
    }

    void connect()
    {
        if (client != nullptr) {
            avahi_client_free(client); // frees its entry groups too
            client = nullptr;
            group = nullptr;
        }
        int error = 0;
        client = avahi_client_new(avahi_threaded_poll_get(poll), AVAHI_CLIENT_NO_FAIL, &Client::clientChanged,
                                  this, &error);
        if (client == nullptr) {
            // Without even a system bus to reach a daemon through; tried again quietly from time to time.
            if (!saidNoDaemon) {
                saidNoDaemon = true;
                say(std::string("no mDNS daemon answers (") + avahi_strerror(error) +
                    "): not announced on the LAN (it is still reached by its address); announcing once a "
                    "daemon runs");
            }
            scheduleRestart();
        }
    }
};

ServiceAnnouncer::ServiceAnnouncer(Announcement announcement, Log log) : m_client(std::make_unique<Client>())
{
    m_client->announcement = std::move(announcement);
    m_client->log = std::move(log);
    m_client->name = m_client->announcement.name.empty() ? defaultServiceName() : m_client->announcement.name;
    scopeFor(m_client->announcement.listenHost, m_client->interface, m_client->protocol);
}

ServiceAnnouncer::~ServiceAnnouncer()
{
    if (m_client->poll == nullptr) {
        return;
    }
    avahi_threaded_poll_stop(m_client->poll);
    // Freeing the group withdraws its records: the daemon sends the goodbye.
    if (m_client->group != nullptr) {
        avahi_entry_group_free(m_client->group);
        m_client->group = nullptr;
    }
    if (m_client->client != nullptr) {
        avahi_client_free(m_client->client);
    }
    avahi_threaded_poll_free(m_client->poll);
}

bool ServiceAnnouncer::start()
{
    if (m_client->poll != nullptr) {
        return true;
    }
    m_client->poll = avahi_threaded_poll_new();
    if (m_client->poll == nullptr) {
        m_client->say("cannot announce on the LAN: no event loop for the mDNS client");
        return false;
    }
    avahi_threaded_poll_lock(m_client->poll);
    m_client->connect();
    avahi_threaded_poll_unlock(m_client->poll);
    if (avahi_threaded_poll_start(m_client->poll) < 0) {
        m_client->say("cannot announce on the LAN: the mDNS client's thread did not start");
        return false;
    }
    return true;
}

void ServiceAnnouncer::setSongCount(std::size_t songs)
{
    if (m_client->poll == nullptr) {
        m_client->announcement.songs = songs;
        return;
    }
    avahi_threaded_poll_lock(m_client->poll);
    m_client->announcement.songs = songs;
    if (m_client->group != nullptr && !avahi_entry_group_is_empty(m_client->group)) {
        AvahiStringList* list = m_client->txt();
        avahi_entry_group_update_service_txt_strlst(m_client->group, m_client->interface, m_client->protocol,
                                                    static_cast<AvahiPublishFlags>(0), m_client->name.c_str(),
                                                    kServiceType, nullptr, list);
        avahi_string_list_free(list);
    }
    avahi_threaded_poll_unlock(m_client->poll);
}

std::string ServiceAnnouncer::registeredName() const
{
    const std::lock_guard lock(m_client->nameMutex);
    return m_client->registered;
}

} // namespace lanseek::service
