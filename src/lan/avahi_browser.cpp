#include "lan/avahi_browser.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>

namespace lanseek::lan {
namespace {

// A client that failed outright (not merely waiting for the daemon) is made anew after this long.
constexpr int kRestartDelayMs = 2000;

IpFamily familyOf(AvahiProtocol protocol)
{
    return protocol == AVAHI_PROTO_INET6 ? IpFamily::V6 : IpFamily::V4;
}

std::vector<std::pair<std::string, std::string>> txtValues(AvahiStringList* list)
{
    std::vector<std::pair<std::string, std::string>> values;
    for (AvahiStringList* item = list; item != nullptr; item = avahi_string_list_get_next(item)) {
        const std::string record(reinterpret_cast<const char*>(avahi_string_list_get_text(item)),
                                 avahi_string_list_get_size(item));
        const auto equals = record.find('=');
        values.emplace_back(record.substr(0, equals),
                            equals == std::string::npos ? std::string() : record.substr(equals + 1));
    }
    return values;
}

class AvahiBrowser final : public ServiceBrowser
{
public:
    ~AvahiBrowser() override
    {
        if (m_poll == nullptr) {
            return;
        }
        avahi_threaded_poll_stop(m_poll);
        if (m_client != nullptr) {
            avahi_client_free(m_client); // frees the browser and resolvers with it
        }
        avahi_threaded_poll_free(m_poll);
    }

    bool start(Events events) override
    {
        if (m_poll != nullptr) {
            return false;
        }
        m_events = std::move(events);
        m_poll = avahi_threaded_poll_new();
        if (m_poll == nullptr) {
            fail(BrowseFailure::DaemonError, "no event loop for the mDNS client");
            return false;
        }
        connect();
        if (avahi_threaded_poll_start(m_poll) < 0) {
            fail(BrowseFailure::DaemonError, "the mDNS client's thread did not start");
            return false;
        }
        return true;
    }

private:
    void fail(BrowseFailure kind, const std::string& why) const
    {
        if (m_events.failed) {
            m_events.failed(kind, why);
        }
    }

    void connect()
    {
        if (m_client != nullptr) {
            avahi_client_free(m_client);
            m_client = nullptr;
            m_browser = nullptr;
        }
        int error = 0;
        m_client = avahi_client_new(avahi_threaded_poll_get(m_poll), AVAHI_CLIENT_NO_FAIL,
                                    &AvahiBrowser::clientChanged, this, &error);
        if (m_client == nullptr) {
            noDaemon(avahi_strerror(error));
            scheduleRestart();
        }
    }

    void noDaemon(const std::string& why)
    {
        if (!m_saidNoDaemon) {
            m_saidNoDaemon = true;
            fail(BrowseFailure::NoDaemon, why);
        }
    }

    void scheduleRestart()
    {
        timeval when{};
        avahi_elapse_time(&when, kRestartDelayMs, 0);
        const AvahiPoll* api = avahi_threaded_poll_get(m_poll);
        if (m_restart == nullptr) {
            m_restart = api->timeout_new(
                api, &when, [](AvahiTimeout*, void* self) { static_cast<AvahiBrowser*>(self)->connect(); },
                this);
        } else {
            api->timeout_update(m_restart, &when);
        }
    }

    static void clientChanged(AvahiClient* client, AvahiClientState state, void* self)
    {
        auto* me = static_cast<AvahiBrowser*>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            me->m_saidNoDaemon = false;
            if (me->m_browser == nullptr) {
                me->m_browser = avahi_service_browser_new(
                    client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, kServiceType, nullptr,
                    static_cast<AvahiLookupFlags>(0), &AvahiBrowser::browserEvent, me);
                if (me->m_browser == nullptr) {
                    me->fail(BrowseFailure::DaemonError, avahi_strerror(avahi_client_errno(client)));
                }
            }
            break;
        case AVAHI_CLIENT_CONNECTING:
            // The browser of the earlier connection belongs to the client, which frees it; a new one is
            // made once the daemon runs again.
            me->m_browser = nullptr;
            me->noDaemon("no mDNS daemon answers");
            break;
        case AVAHI_CLIENT_FAILURE:
            me->noDaemon(avahi_strerror(avahi_client_errno(client)));
            me->scheduleRestart();
            break;
        case AVAHI_CLIENT_S_REGISTERING:
        case AVAHI_CLIENT_S_COLLISION:
            break;
        }
    }

    static void browserEvent(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
                             AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                             AvahiLookupResultFlags, void* self)
    {
        auto* me = static_cast<AvahiBrowser*>(self);
        switch (event) {
        case AVAHI_BROWSER_NEW:
            // Resolved to the address of the family it was seen with, so each family gives its own.
            if (avahi_service_resolver_new(avahi_service_browser_get_client(browser), interface, protocol,
                                           name, type, domain, protocol, static_cast<AvahiLookupFlags>(0),
                                           &AvahiBrowser::resolved, me) == nullptr) {
                me->fail(BrowseFailure::DaemonError,
                         avahi_strerror(avahi_client_errno(avahi_service_browser_get_client(browser))));
            }
            break;
        case AVAHI_BROWSER_REMOVE:
            if (me->m_events.lost) {
                me->m_events.lost(SightingKey{name, interface, familyOf(protocol)});
            }
            break;
        case AVAHI_BROWSER_FAILURE:
            me->fail(BrowseFailure::DaemonError,
                     avahi_strerror(avahi_client_errno(avahi_service_browser_get_client(browser))));
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW:
        case AVAHI_BROWSER_CACHE_EXHAUSTED:
            break;
        }
    }

    static void resolved(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol protocol,
                         AvahiResolverEvent event, const char* name, const char*, const char*, const char*,
                         const AvahiAddress* address, std::uint16_t port, AvahiStringList* txt,
                         AvahiLookupResultFlags, void* self)
    {
        auto* me = static_cast<AvahiBrowser*>(self);
        if (event == AVAHI_RESOLVER_FOUND && address != nullptr && me->m_events.seen) {
            char text[AVAHI_ADDRESS_STR_MAX] = {};
            avahi_address_snprint(text, sizeof text, address);
            ServiceSighting sighting;
            sighting.key = SightingKey{name, interface, familyOf(protocol)};
            sighting.address = text;
            sighting.port = port;
            sighting.txt = txtValues(txt);
            me->m_events.seen(std::move(sighting));
        }
        // A service that cannot be resolved (it went away meanwhile) is simply not reported.
        avahi_service_resolver_free(resolver);
    }

    Events m_events;
    AvahiThreadedPoll* m_poll = nullptr;
    AvahiClient* m_client = nullptr;
    AvahiServiceBrowser* m_browser = nullptr;
    AvahiTimeout* m_restart = nullptr;
    bool m_saidNoDaemon = false;
};

} // namespace

std::unique_ptr<ServiceBrowser> makeAvahiBrowser()
{
    return std::make_unique<AvahiBrowser>();
}

} // namespace lanseek::lan
