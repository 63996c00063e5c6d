// A shared folder of 20,000 songs: how long indexing takes, how long a search takes (in the index and
// as a result page over HTTP from 127.0.0.1), and how much memory the process needs for it. The folder
// is made of hard links to the demo catalogue's songs under varied names, in a temporary folder.

#include "service/library_index.h"
#include "service/search_service.h"
#include "support/bench_stats.h"

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using lanseek::bench::median;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSongs = 20000;

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// One GET over a fresh connection, read until the server closes it; the size of what came back.
std::size_t fetch(int port, const std::string& target)
{
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::size_t total = 0;
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n";
        send(sock, request.data(), request.size(), 0);
        char buffer[65536];
        for (ssize_t got; (got = recv(sock, buffer, sizeof buffer, 0)) > 0;) {
            total += static_cast<std::size_t>(got);
        }
    }
    close(sock);
    return total;
}

} // namespace

int main()
{
    const fs::path catalogue = lanseek::service::bundledCatalogueDir();
    if (catalogue.empty()) {
        std::printf("no demo catalogue found\n");
        return 1;
    }
    std::vector<fs::path> sources;
    for (const auto& entry : fs::recursive_directory_iterator(catalogue)) {
        if (entry.is_regular_file() && lanseek::service::mediaTypeOfFile(entry.path()) &&
            lanseek::service::mediaTypeOfFile(entry.path()) != lanseek::service::MediaType::Ram) {
            sources.push_back(entry.path());
        }
    }
    std::sort(sources.begin(), sources.end());
    std::mt19937 random(5);
    const fs::path root = fs::temp_directory_path() / ("lanseek-library-bench-" + std::to_string(random()));
    const char* const words[] = {"晚风",   "Harbor", "列车",  "Lantern", "雨夜",
                                 "Static", "北方",   "Glass", "潮汐",    "River"};
    const auto makeStart = Clock::now();
    for (int i = 0; i < kSongs; ++i) {
        const fs::path& source = sources[static_cast<std::size_t>(i) % sources.size()];
        const fs::path folder =
            root / ("folder " + std::to_string(i % 200)) / ("album " + std::to_string(i % 7));
        fs::create_directories(folder);
        const std::string name = std::string(words[random() % 10]) + " " + std::to_string(i) + " - " +
                                 words[random() % 10] + source.extension().string();
        fs::create_hard_link(source, folder / name);
    }
    std::printf("made %d songs (hard links) in %.0f ms\n", kSongs, milliseconds(makeStart));

    const long rssBefore = peakRssKiB();
    const auto scanStart = Clock::now();
    const auto index = lanseek::service::LibraryIndex::scan(root);
    const double scanMs = milliseconds(scanStart);
    std::printf("indexing %zu songs: %.0f ms (%.1f us a song); peak RSS %ld KiB -> %ld KiB\n",
                index.songs().size(), scanMs, scanMs * 1000.0 / static_cast<double>(index.songs().size()),
                rssBefore, peakRssKiB());

    std::vector<double> searchTimes;
    std::size_t hits = 0;
    for (int round = 0; round < 5; ++round) {
        for (const char* word : {"晚风", "harbor", "列车", "4711", "nothing at all", "b"}) {
            lanseek::service::SongFilter filter;
            filter.words = {word};
            const auto start = Clock::now();
            hits += index.match(filter).size();
            searchTimes.push_back(milliseconds(start));
        }
    }
    std::printf("search in the index: median %.2f ms over %zu searches (%zu hits)\n", median(searchTimes),
                searchTimes.size(), hits);

    lanseek::service::SearchService service(lanseek::service::ServiceOptions{root, "127.0.0.1", 0});
    const auto startStart = Clock::now();
    std::string error;
    if (!service.start(&error)) {
        std::printf("cannot start the service: %s\n", error.c_str());
        fs::remove_all(root);
        return 1;
    }
    std::printf("service start over the folder (index included): %.0f ms\n", milliseconds(startStart));
    std::vector<double> pageTimes;
    std::size_t bytes = 0;
    for (int round = 0; round < 5; ++round) {
        // "晚风" in GBK, as the program sends it, then plain words.
        for (const char* word : {"%CD%ED%B7%E7", "harbor", "4711", "b"}) {
            const auto start = Clock::now();
            bytes +=
                fetch(service.port(), std::string("/m?tn=baidump3&ct=134217728&rn=&word=") + word + "&lm=-1");
            pageTimes.push_back(milliseconds(start));
        }
    }
    std::printf("result page over HTTP: median %.2f ms over %zu requests (%zu bytes)\n", median(pageTimes),
                pageTimes.size(), bytes);
    std::printf("peak RSS of the whole run: %ld KiB\n", peakRssKiB());
    service.stop();
    fs::remove_all(root);
    return 0;
}
