// One search across eight services on loopback, each over its own library, through the aggregator,
// beside each service's own page time: the first merged page should take no more than 1.2 times the
// slowest single service's page, and a peer that never answers should cost no more than the deadline.
//
// On a LAN each service has a machine of its own; here the eight share this machine's cores, so asked at
// once they answer later than any one alone. That figure (the eight pages fetched at once, straight from
// the services) is printed too: it is the floor the aggregator stands on, and the ratio against it is the
// aggregator's own cost.

#include "service/aggregator_service.h"
#include "service/peer_fetch.h"
#include "service/search_service.h"
#include "support/bench_stats.h"

#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using lanseek::service::AggregatorService;
using lanseek::service::SearchService;
using lanseek::service::ServiceOptions;

namespace {

constexpr int kServices = 8;
constexpr int kSongsEach = 6000;
constexpr int kRuns = 15;
const std::string kQuery = "/m?tn=baidump3&ct=134217728&rn=&word=Track&lm=-1";

std::size_t discard(char*, std::size_t size, std::size_t count, void* bytes)
{
    *static_cast<std::size_t*>(bytes) += size * count;
    return size * count;
}

// One page, on a connection of its own as the program's browser fetches it.
std::size_t fetch(const std::string& address)
{
    std::size_t bytes = 0;
    CURL* c = curl_easy_init();
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_PROXY, "");
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &bytes);
    curl_easy_perform(c);
    curl_easy_cleanup(c);
    return bytes;
}

// A port that accepts connections (the system completes them) but never answers: a peer that hangs.
struct SilentPeer
{
    SilentPeer()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0) {
            std::printf("no silent peer could listen\n");
        }
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~SilentPeer() { ::close(fd); }
    int fd = -1;
    int port = 0;
};

} // namespace

int main()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::mt19937 random(11);
    const fs::path root = fs::temp_directory_path() / ("lanseek-lan-bench-" + std::to_string(random()));
    std::vector<std::unique_ptr<SearchService>> services;
    std::vector<lanseek::service::AggregatorPeer> peers;
    for (int s = 0; s < kServices; ++s) {
        const fs::path library = root / ("library" + std::to_string(s));
        fs::create_directories(library);
        for (int n = 0; n < kSongsEach; ++n) {
            std::ofstream(library /
                          ("Singer " + std::to_string(s) + " - Track " + std::to_string(n) + ".mp3"))
                << std::string(static_cast<std::size_t>(1000 + n), 'x');
        }
        services.push_back(std::make_unique<SearchService>(ServiceOptions{library, "127.0.0.1", 0}));
        if (!services.back()->start()) {
            std::printf("a service did not start\n");
            return 1;
        }
        peers.push_back({"service " + std::to_string(s), services.back()->baseUrl()});
    }

    double slowest = 0;
    std::printf("single services, first result page (%d songs each, 30 a page), median of %d:\n", kSongsEach,
                kRuns);
    for (const auto& service : services) {
        const double micros =
            lanseek::bench::medianMicros(kRuns, [&] { fetch(service->baseUrl() + kQuery); });
        slowest = std::max(slowest, micros);
        std::printf("  %s  %8.0f us\n", service->baseUrl().c_str(), micros);
    }

    AggregatorService aggregator;
    if (!aggregator.start()) {
        std::printf("the aggregator did not start\n");
        return 1;
    }
    aggregator.setPeers(peers);
    std::size_t mergedBytes = 0;
    const double merged =
        lanseek::bench::medianMicros(kRuns, [&] { mergedBytes = fetch(aggregator.baseUrl() + kQuery); });
    std::printf("merged first page of %d services: %8.0f us (%zu bytes)\n", kServices, merged, mergedBytes);
    std::vector<std::string> direct;
    direct.reserve(peers.size());
    for (const auto& peer : peers) {
        direct.push_back(peer.base + kQuery);
    }
    const double together = lanseek::bench::medianMicros(
        kRuns, [&] { lanseek::service::fetchAll(direct, std::chrono::milliseconds(10000)); });
    std::printf("the %d pages fetched at once, straight from the services: %8.0f us\n", kServices, together);
    std::printf("merged / slowest single service alone: %.2f (goal: at most 1.20) %s\n", merged / slowest,
                merged / slowest <= 1.2 ? "ok" : "over: the services share this machine's cores");
    std::printf("merged / the services asked at once: %.2f (the aggregator's own cost)\n", merged / together);

    SilentPeer silent;
    auto withDead = peers;
    withDead.push_back({"hanging", "http://127.0.0.1:" + std::to_string(silent.port)});
    aggregator.setPeers(withDead);
    // Without warm-up rounds: each one would cost the whole deadline.
    std::vector<double> deadTimes;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fetch(aggregator.baseUrl() + kQuery);
        deadTimes.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    const double dead = lanseek::bench::median(deadTimes);
    std::printf("merged first page with one peer that never answers: %8.0f us (deadline 2000000 us; cost "
                "beyond it %.0f us) %s\n",
                dead, dead - 2'000'000.0, dead <= 2'000'000.0 + merged + 100'000.0 ? "ok" : "OVER");

    aggregator.stop();
    services.clear();
    std::error_code ec;
    fs::remove_all(root, ec);
    curl_global_cleanup();
    return 0;
}
