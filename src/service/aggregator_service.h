#pragma once

// The aggregator: an endpoint that speaks the search service's own protocol (result pages, charts, singer
// pages) and answers each request by asking every service of the LAN at once and merging their pages. The
// program starts it in-process on 127.0.0.1 and points its searches at it like at any service, so the
// harvesting rules stay as they are. Download addresses on its pages point straight at the peer that has
// the song.
//
// Every peer gets the same deadline, all at once: a slow or vanished peer costs no more than the deadline,
// and what it sends is read with the limits of any page. The list of peers may change at any time; each
// request uses the list as it was when the request arrived.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace lanseek::service {

struct AggregatorPeer
{
    std::string name; // shown on the aggregator's home page
    std::string base; // "http://host:port", no trailing slash; IPv6 in brackets, link-local with "%25zone"
};

struct AggregatorOptions
{
    std::string host = "127.0.0.1";
    int port = 0; // 0: an ephemeral port
    std::chrono::milliseconds peerDeadline{2000};
};

class AggregatorService
{
public:
    explicit AggregatorService(AggregatorOptions options = {});
    ~AggregatorService();
    AggregatorService(const AggregatorService&) = delete;
    AggregatorService& operator=(const AggregatorService&) = delete;

    // Binds and starts serving on a thread of its own. False (with the reason in *error) when the address
    // cannot be bound or it already runs.
    bool start(std::string* error = nullptr);
    // Stops serving and joins the thread; a request under way finishes first (at most the deadline).
    void stop();

    // Replaces the peers; from any thread. Peers are asked, and their songs listed, in order of name and
    // then base; a base given twice is asked once.
    void setPeers(std::vector<AggregatorPeer> peers);
    std::vector<AggregatorPeer> peers() const;

    int port() const;
    // "http://127.0.0.1:PORT": where the program sends its searches.
    std::string baseUrl() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace lanseek::service
