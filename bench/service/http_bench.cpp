// How the service's server holds up beside a general-purpose web server serving the same files from the
// same folder in the same run: kept-alive requests per second for one small song over 1, 16 and 64
// connections (the service on its default threads against the reference with one worker, and on two
// threads against two workers), the throughput of one large song, the service's own search and chart
// pages, and how searches fare while lanseek-service reads a folder of 20,000 songs again on SIGHUP.
// Every server listens on 127.0.0.1 only; the load comes from wrk with a fixed duration, and the
// reference server is started and stopped here with a configuration of its own in a temporary folder.

#include "service/library_index.h"
#include "service/search_service.h"
#include "support/bench_stats.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

// The argument vector of a program to spawn: the strings' own storage, ended by a null pointer.
std::vector<char*> argvOf(std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    return argv;
}

constexpr int kSeconds = 3;
// The machine may be shared, so each figure is the median of rounds that alternate between the servers.
constexpr int kRounds = 3;

std::optional<std::string> findProgram(const std::string& name)
{
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/local/bin", "/usr/local/sbin"}) {
        const fs::path candidate = fs::path(dir) / name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return std::nullopt;
}

int freePort()
{
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    close(sock);
    return ntohs(address.sin_port);
}

bool answers(int port)
{
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(sock);
    return ok;
}

struct Load
{
    double requestsPerSecond = 0;
    double bytesPerSecond = 0;
};

double withUnit(const std::string& text)
{
    double value = std::atof(text.c_str());
    if (text.find("GB") != std::string::npos) {
        value *= 1024.0 * 1024 * 1024;
    } else if (text.find("MB") != std::string::npos) {
        value *= 1024.0 * 1024;
    } else if (text.find("KB") != std::string::npos) {
        value *= 1024.0;
    }
    return value;
}

// Runs wrk against one address for a fixed time and reads its summary.
Load measure(const std::string& wrk, const std::string& url, int connections)
{
    const int threads = connections > 1 ? 2 : 1;
    const std::string command = wrk + " -t" + std::to_string(threads) + " -c" + std::to_string(connections) +
                                " -d" + std::to_string(kSeconds) + "s '" + url + "' 2>&1";
    Load load;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return load;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text = line;
        if (text.rfind("Requests/sec:", 0) == 0) {
            load.requestsPerSecond = std::atof(text.substr(13).c_str());
        } else if (text.rfind("Transfer/sec:", 0) == 0) {
            load.bytesPerSecond = withUnit(text.substr(13));
        }
    }
    pclose(pipe);
    return load;
}

// Alternates between the two addresses and keeps the median of each.
std::pair<Load, Load> compare(const std::string& wrk, const std::string& ours, const std::string& theirs,
                              int connections)
{
    std::vector<Load> a;
    std::vector<Load> b;
    for (int round = 0; round < kRounds; ++round) {
        a.push_back(measure(wrk, ours, connections));
        b.push_back(measure(wrk, theirs, connections));
    }
    auto middle = [](std::vector<Load> loads) {
        Load load;
        std::vector<double> requests;
        std::vector<double> bytes;
        for (const Load& l : loads) {
            requests.push_back(l.requestsPerSecond);
            bytes.push_back(l.bytesPerSecond);
        }
        std::sort(requests.begin(), requests.end());
        std::sort(bytes.begin(), bytes.end());
        load.requestsPerSecond = requests[requests.size() / 2];
        load.bytesPerSecond = bytes[bytes.size() / 2];
        return load;
    };
    return {middle(a), middle(b)};
}

// The reference web server, as a child process with its own configuration, stopped when this ends.
class ReferenceServer
{
public:
    ReferenceServer(const std::string& program, const fs::path& work, const fs::path& library, int port,
                    int workers)
    {
        fs::create_directories(work / "temp");
        const fs::path config = work / "reference.conf";
        std::ofstream out(config);
        out << "daemon off;\nmaster_process on;\nworker_processes " << workers << ";\n"
            << "pid " << (work / "reference.pid").string() << ";\n"
            << "error_log " << (work / "error.log").string() << " warn;\n"
            << "events { worker_connections 1024; }\n"
            << "http {\n  access_log off;\n  sendfile on;\n  tcp_nopush on;\n  tcp_nodelay on;\n"
            << "  keepalive_requests 100000000;\n  keepalive_timeout 60;\n"
            << "  client_body_temp_path " << (work / "temp").string() << ";\n"
            << "  types { audio/mpeg mp3; }\n"
            << "  server {\n    listen 127.0.0.1:" << port << ";\n"
            << "    location /music/ { alias " << library.string() << "/; }\n  }\n}\n";
        out.close();
        std::vector<std::string> args = {
            program, "-e", (work / "error.log").string(), "-c", config.string(), "-p", work.string()};
        std::vector<char*> argv = argvOf(args);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        for (int waited = 0; m_pid > 0 && waited < 50 && !answers(port); ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        m_ready = m_pid > 0 && answers(port);
    }
    ~ReferenceServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;
    bool ready() const { return m_ready; }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

void writeRandom(const fs::path& file, std::size_t size, std::mt19937& random)
{
    std::vector<char> bytes(size);
    for (char& b : bytes) {
        b = static_cast<char>(random() & 0xFF);
    }
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The median of kRounds runs against one address alone.
Load alone(const std::string& wrk, const std::string& url, int connections)
{
    std::vector<double> requests;
    for (int round = 0; round < kRounds; ++round) {
        requests.push_back(measure(wrk, url, connections).requestsPerSecond);
    }
    return Load{lanseek::bench::median(requests), 0};
}

double ratio(double ours, double theirs)
{
    return theirs > 0 ? ours / theirs : 0.0;
}

// One kept-alive connection that sends GETs one after another and reads each answer whole.
class KeptAlive
{
public:
    explicit KeptAlive(int port)
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ok = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~KeptAlive() { close(m_fd); }
    KeptAlive(const KeptAlive&) = delete;
    KeptAlive& operator=(const KeptAlive&) = delete;

    // Milliseconds until the whole answer was in; negative when the connection failed.
    double get(const std::string& target)
    {
        const auto start = std::chrono::steady_clock::now();
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        if (!m_ok || send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
            return -1;
        }
        std::size_t headEnd = std::string::npos;
        while ((headEnd = m_pending.find("\r\n\r\n")) == std::string::npos) {
            if (!receive()) {
                return -1;
            }
        }
        const auto at = m_pending.find("Content-Length: ");
        const std::size_t length = at != std::string::npos && at < headEnd
                                       ? std::strtoul(m_pending.c_str() + at + 16, nullptr, 10)
                                       : 0;
        while (m_pending.size() < headEnd + 4 + length) {
            if (!receive()) {
                return -1;
            }
        }
        m_pending.erase(0, headEnd + 4 + length);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

private:
    bool receive()
    {
        char buffer[65536];
        const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            m_ok = false;
            return false;
        }
        m_pending.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int m_fd = -1;
    bool m_ok = false;
    std::string m_pending;
};

double percentile(std::vector<double> values, double share)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

// lanseek-service over a folder of 20,000 songs: searches over one kept-alive connection for a second,
// then again while SIGHUP makes it read the folder anew, until it says it is done.
void searchDuringRescan(const fs::path& root)
{
    const fs::path catalogue = lanseek::service::bundledCatalogueDir();
    std::vector<fs::path> sources;
    if (!catalogue.empty()) {
        for (const auto& entry : fs::recursive_directory_iterator(catalogue)) {
            const auto type = lanseek::service::mediaTypeOfFile(entry.path());
            if (entry.is_regular_file() && type && *type != lanseek::service::MediaType::Ram) {
                sources.push_back(entry.path());
            }
        }
    }
    if (sources.empty()) {
        std::printf("search during a rescan skipped: no demo catalogue found\n");
        return;
    }
    std::sort(sources.begin(), sources.end());
    constexpr int kSongs = 20000;
    const fs::path library = root / "twenty-thousand";
    const char* const words[] = {"Harbor", "Lantern", "River", "Glass", "Static"};
    for (int i = 0; i < kSongs; ++i) {
        const fs::path& source = sources[static_cast<std::size_t>(i) % sources.size()];
        const fs::path folder = library / ("folder " + std::to_string(i % 100));
        fs::create_directories(folder);
        fs::create_hard_link(source, folder / (std::string(words[i % 5]) + " " + std::to_string(i) + " - " +
                                               words[(i / 5) % 5] + source.extension().string()));
    }

    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    std::vector<std::string> args = {LANSEEK_SERVICE_EXE, "--library", library.string(), "--listen",
                                     "127.0.0.1:0"};
    std::vector<char*> argv = argvOf(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, LANSEEK_SERVICE_EXE, &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // Lines of the service's standard output as they come; empty when none came within `waitMs`.
    std::string pending;
    auto line = [&](int waitMs) {
        for (;;) {
            if (const auto end = pending.find('\n'); end != std::string::npos) {
                std::string text = pending.substr(0, end);
                pending.erase(0, end + 1);
                return text;
            }
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, waitMs) <= 0) {
                return std::string();
            }
            char buffer[512];
            const ssize_t got = read(out[0], buffer, sizeof buffer);
            if (got <= 0) {
                return std::string();
            }
            pending.append(buffer, static_cast<std::size_t>(got));
        }
    };
    const std::string first = spawned ? line(120000) : std::string();
    const auto at = first.find("on http://127.0.0.1:");
    if (at == std::string::npos) {
        std::printf("search during a rescan: lanseek-service did not start (%s)\n", first.c_str());
    } else {
        const int port = std::atoi(first.c_str() + at + 20);
        KeptAlive client(port);
        const std::string search = "/m?tn=baidump3&ct=134217728&rn=&word=lantern&lm=-1";
        std::vector<double> before;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < until) {
            before.push_back(client.get(search));
        }
        std::vector<double> during;
        kill(pid, SIGHUP);
        const auto rescanStart = std::chrono::steady_clock::now();
        std::string done;
        while (done.find("after rescanning") == std::string::npos &&
               std::chrono::steady_clock::now() - rescanStart < std::chrono::seconds(120)) {
            during.push_back(client.get(search));
            done = line(0);
        }
        const double rescanMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - rescanStart).count();
        const bool failed = std::any_of(before.begin(), before.end(), [](double ms) { return ms < 0; }) ||
                            std::any_of(during.begin(), during.end(), [](double ms) { return ms < 0; });
        std::printf(
            "a search of %d songs while SIGHUP reads them again (%.0f ms), one kept-alive connection:\n",
            kSongs, rescanMs);
        std::printf("   before   %5zu searches  median %6.2f ms  99th %6.2f ms\n", before.size(),
                    lanseek::bench::median(before), percentile(before, 0.99));
        std::printf(
            "   during   %5zu searches  median %6.2f ms  99th %6.2f ms  max %6.2f ms   ratio of medians "
            "%.2f%s\n",
            during.size(), lanseek::bench::median(during), percentile(during, 0.99), percentile(during, 1.0),
            ratio(lanseek::bench::median(during), lanseek::bench::median(before)),
            failed ? "  (a search failed)" : "");
    }
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    close(out[0]);
}

} // namespace

int main()
{
    const auto wrk = findProgram("wrk");
    const auto reference = findProgram("nginx");
    if (!wrk || !reference) {
        std::printf("service HTTP bench skipped: needs wrk and nginx (scripts/deps.sh --tests)\n");
        return 0;
    }
    std::mt19937 random(11);
    const fs::path root = fs::temp_directory_path() / ("lanseek-http-bench-" + std::to_string(random()));
    const fs::path library = root / "library";
    fs::create_directories(library);
    // A small song as the demo catalogue has them, and a large one as a long live recording would be.
    constexpr std::size_t kSmall = 12 * 1024;
    constexpr std::size_t kLarge = 128 * 1024 * 1024;
    writeRandom(library / "small.mp3", kSmall, random);
    writeRandom(library / "large.mp3", kLarge, random);

    // Sixty-four clients on a LAN come from as many addresses; here they all come from 127.0.0.1, so the
    // per-address connection limit is raised for this run (it does not slow anything down).
    lanseek::service::ServiceOptions options{library, "127.0.0.1", 0};
    options.connectionsPerClient = 128;
    lanseek::service::SearchService service(options);
    options.threads = 2;
    lanseek::service::SearchService twoThreads(options);
    std::string error;
    if (!service.start(&error) || !twoThreads.start(&error)) {
        std::printf("cannot start the service: %s\n", error.c_str());
        fs::remove_all(root);
        return 1;
    }
    const int onePort = freePort();
    ReferenceServer oneWorker(*reference, root / "one-worker", library, onePort, 1);
    const int twoPort = freePort();
    ReferenceServer twoWorkers(*reference, root / "two-workers", library, twoPort, 2);
    int status = 0;
    if (!oneWorker.ready() || !twoWorkers.ready()) {
        std::printf("the reference server did not start (see %s)\n", root.c_str());
        status = 1;
    } else {
        const std::string ours = service.baseUrl();
        const std::string ours2 = twoThreads.baseUrl();
        const std::string theirs1 = "http://127.0.0.1:" + std::to_string(onePort);
        const std::string theirs2 = "http://127.0.0.1:" + std::to_string(twoPort);
        const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
        std::printf(
            "kept-alive GETs of one %zu KiB song, median of %d rounds of %d s, 127.0.0.1, %u cores:\n",
            kSmall / 1024, kRounds, kSeconds, cores);
        std::map<int, double> smallRate;
        for (int connections : {1, 16, 64}) {
            const auto [a, b] =
                compare(*wrk, ours + "/music/small.mp3", theirs1 + "/music/small.mp3", connections);
            const auto [c, d] =
                compare(*wrk, ours2 + "/music/small.mp3", theirs2 + "/music/small.mp3", connections);
            smallRate[connections] = a.requestsPerSecond;
            std::printf(
                "  %2d conn.  service (%u threads) %8.0f req/s  reference 1 worker  %8.0f  ratio %.2f "
                "(goal >= 0.9)\n",
                connections, cores, a.requestsPerSecond, b.requestsPerSecond,
                ratio(a.requestsPerSecond, b.requestsPerSecond));
            std::printf("            service (2 threads) %8.0f req/s  reference 2 workers %8.0f  ratio %.2f "
                        "(goal >= 0.9)\n",
                        c.requestsPerSecond, d.requestsPerSecond,
                        ratio(c.requestsPerSecond, d.requestsPerSecond));
        }
        std::printf("one %zu MiB song, service (%u threads) against the reference with 1 worker:\n",
                    kLarge / (1024 * 1024), cores);
        for (int connections : {1, 16, 64}) {
            const auto [a, b] =
                compare(*wrk, ours + "/music/large.mp3", theirs1 + "/music/large.mp3", connections);
            std::printf("  %2d conn.  service %7.0f MiB/s  reference %7.0f MiB/s  ratio %.2f (goal >= 1.0)\n",
                        connections, a.bytesPerSecond / (1024 * 1024), b.bytesPerSecond / (1024 * 1024),
                        ratio(a.bytesPerSecond, b.bytesPerSecond));
        }
        std::printf("the service's own pages (no reference serves them), beside its small-song rate:\n");
        const struct
        {
            const char* name;
            const char* target;
        } pages[] = {{"search page", "/m?tn=baidump3&ct=134217728&rn=&word=small&lm=-1"},
                     {"chart page ", "/mp3.html"}};
        for (const auto& page : pages) {
            for (int connections : {1, 64}) {
                const Load load = alone(*wrk, ours + page.target, connections);
                std::printf("  %s %2d conn.  %8.0f req/s  ratio to the small song %.2f\n", page.name,
                            connections, load.requestsPerSecond,
                            ratio(load.requestsPerSecond, smallRate[connections]));
            }
        }
    }
    service.stop();
    twoThreads.stop();
    searchDuringRescan(root);
    fs::remove_all(root);
    return status;
}
