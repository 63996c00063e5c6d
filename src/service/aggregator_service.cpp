#include "service/aggregator_service.h"

#include "service/http_server.h"
#include "service/pages.h"
#include "service/peer_fetch.h"
#include "service/peer_page.h"
#include "service/query.h"
#include "service/request_parts.h"
#include "service/result_merge.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>

namespace lanseek::service {
namespace {

constexpr std::string_view kSinger = "/singer/";
constexpr std::string_view kHtml = ".html";

// The request target as it goes to a peer: the path and query exactly as the client sent them, so the
// word's bytes reach the peer unchanged.
std::string forwardTarget(const HttpRequest& req)
{
    return req.target.empty() || req.target.front() != '/' ? "/" : req.target;
}

} // namespace

struct AggregatorService::State
{
    AggregatorOptions options;
    mutable std::mutex mutex;
    std::vector<AggregatorPeer> peers;
    std::unique_ptr<HttpServer> server;

    std::vector<AggregatorPeer> snapshot() const
    {
        const std::lock_guard lock(mutex);
        return peers;
    }

    // Hands every answering peer's reply to the same target to read, each as soon as it is in.
    void ask(const std::vector<AggregatorPeer>& to, const std::string& target,
             const std::function<void(const AggregatorPeer&, const PeerReply&)>& read) const
    {
        std::vector<std::string> addresses;
        addresses.reserve(to.size());
        for (const AggregatorPeer& peer : to) {
            addresses.push_back(peer.base + target);
        }
        fetchEach(addresses, options.peerDeadline, [&](std::size_t index, const PeerReply& reply) {
            if (reply.outcome == PeerOutcome::Answered) {
                read(to[index], reply);
            }
        });
    }

    HttpResponse answer(const HttpRequest& req) const
    {
        const std::vector<AggregatorPeer> to = snapshot();
        const PageContext context{requestBase(req, fallbackBase()), clientIp(req)};
        const std::string path = requestPath(req);
        if (path == "/") {
            std::vector<std::string> names;
            names.reserve(to.size());
            for (const AggregatorPeer& peer : to) {
                names.push_back(peer.name);
            }
            return pageResponse(renderPeerList(context, names));
        }
        if (path == "/r") {
            return redirectResponse(req);
        }
        if (path == "/m" || (path.size() > kSinger.size() + kHtml.size() && path.starts_with(kSinger) &&
                             path.ends_with(kHtml) && path != "/singer/singers.html")) {
            return results(req, context, to);
        }
        if (path == "/ngeshou.html" || path == "/ygeshou.html" || path == "/singer/singers.html") {
            const SingerChart chart = path == "/ngeshou.html"   ? SingerChart::Male
                                      : path == "/ygeshou.html" ? SingerChart::Female
                                                                : SingerChart::All;
            return pageResponse(
                renderSingerChart(context, chart, chartNames(req, to, PeerChartKind::Singers)));
        }
        if (path == "/mp3.html") {
            return pageResponse(renderSongChart(context, chartNames(req, to, PeerChartKind::Songs)));
        }
        return errorResponse(404, "not found");
    }

    HttpResponse results(const HttpRequest& req, const PageContext& context,
                         const std::vector<AggregatorPeer>& to) const
    {
        const QueryString query(rawQuery(req));
        MergeInput input;
        input.offset = resultOffset(query.raw("pn"));
        const auto type = mediaTypeFilter(query.raw("lm"));
        input.lm = type ? std::to_string(static_cast<int>(*type)) : "-1";
        const std::string path = requestPath(req);
        input.wordBytes = path == "/m"
                              ? query.decoded("word").value_or(std::string())
                              : path.substr(kSinger.size(), path.size() - kSinger.size() - kHtml.size());
        // Read in the order the pages arrive, merged in the peers' order.
        std::vector<std::optional<PeerResults>> pages(to.size());
        ask(to, forwardTarget(req), [&](const AggregatorPeer& peer, const PeerReply& reply) {
            pages[static_cast<std::size_t>(&peer - to.data())] =
                readPeerResults(reply.body, reply.contentType, peer.base);
        });
        for (auto& page : pages) {
            if (page) {
                input.pages.push_back(std::move(*page));
            }
        }
        return pageResponse(renderResultLines(context, mergeResults(input)));
    }

    std::vector<std::string> chartNames(const HttpRequest& req, const std::vector<AggregatorPeer>& to,
                                        PeerChartKind kind) const
    {
        std::vector<std::vector<std::string>> lists;
        ask(to, forwardTarget(req), [&](const AggregatorPeer& peer, const PeerReply& reply) {
            lists.push_back(readPeerChart(reply.body, reply.contentType, peer.base, kind));
        });
        return mergeNames(lists);
    }

    std::string fallbackBase() const
    {
        return "http://127.0.0.1:" + std::to_string(server ? server->port() : 0);
    }
};

AggregatorService::AggregatorService(AggregatorOptions options) : m_state(std::make_unique<State>())
{
    m_state->options = std::move(options);
}

AggregatorService::~AggregatorService()
{
    stop();
}

bool AggregatorService::start(std::string* error)
{
    if (m_state->server) {
        if (error != nullptr) {
            *error = "the aggregator is already running";
        }
        return false;
    }
    HttpServerOptions http;
    http.host = m_state->options.host;
    http.port = m_state->options.port;
    auto server =
        std::make_unique<HttpServer>(http, [this](const HttpRequest& req) { return m_state->answer(req); });
    if (!server->listen(error)) {
        return false;
    }
    m_state->server = std::move(server);
    m_state->server->serve();
    return true;
}

void AggregatorService::stop()
{
    if (m_state->server) {
        m_state->server->stop();
        m_state->server.reset();
    }
}

void AggregatorService::setPeers(std::vector<AggregatorPeer> peers)
{
    std::stable_sort(peers.begin(), peers.end(), [](const AggregatorPeer& a, const AggregatorPeer& b) {
        return a.name != b.name ? a.name < b.name : a.base < b.base;
    });
    std::vector<AggregatorPeer> unique;
    for (AggregatorPeer& peer : peers) {
        const bool seen = std::any_of(unique.begin(), unique.end(),
                                      [&](const AggregatorPeer& other) { return other.base == peer.base; });
        if (!seen && peer.base.starts_with("http://")) {
            unique.push_back(std::move(peer));
        }
    }
    const std::lock_guard lock(m_state->mutex);
    m_state->peers = std::move(unique);
}

std::vector<AggregatorPeer> AggregatorService::peers() const
{
    return m_state->snapshot();
}

int AggregatorService::port() const
{
    return m_state->server ? m_state->server->port() : 0;
}

std::string AggregatorService::baseUrl() const
{
    std::string host = m_state->options.host;
    if (host.empty() || host == "0.0.0.0" || host == "::") {
        host = "127.0.0.1";
    } else if (host.find(':') != std::string::npos) {
        host = "[" + host + "]";
    }
    return "http://" + host + ":" + std::to_string(port());
}

} // namespace lanseek::service
