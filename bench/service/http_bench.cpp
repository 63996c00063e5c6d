// How the service's server holds up beside a general-purpose web server serving the same files from the
// same folder in the same run: kept-alive requests per second for one small song over 1 and 64
// connections, and the throughput of one large song. Both servers listen on 127.0.0.1 only; the load
// comes from wrk with a fixed duration, and the reference server is started and stopped here with a
// configuration of its own in a temporary folder.

#include "service/search_service.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

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
    ReferenceServer(const std::string& program, const fs::path& work, const fs::path& library, int port)
    {
        fs::create_directories(work / "temp");
        const fs::path config = work / "reference.conf";
        std::ofstream out(config);
        out << "daemon off;\nmaster_process on;\nworker_processes 2;\n"
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
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
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
    std::string error;
    if (!service.start(&error)) {
        std::printf("cannot start the service: %s\n", error.c_str());
        fs::remove_all(root);
        return 1;
    }
    const int referencePort = freePort();
    int status = 0;
    {
        ReferenceServer server(*reference, root, library, referencePort);
        if (!server.ready()) {
            std::printf("the reference server did not start (see %s)\n", (root / "error.log").c_str());
            status = 1;
        } else {
            const std::string ours = service.baseUrl() + "/music/";
            const std::string theirs = "http://127.0.0.1:" + std::to_string(referencePort) + "/music/";
            std::printf("kept-alive GETs of one %zu KiB song, median of %d rounds of %d s, 127.0.0.1:\n",
                        kSmall / 1024, kRounds, kSeconds);
            for (int connections : {1, 64}) {
                const auto [a, b] = compare(*wrk, ours + "small.mp3", theirs + "small.mp3", connections);
                std::printf("  %2d connection%s  service %9.0f req/s   reference %9.0f req/s   ratio %.2f "
                            "(goal >= %.1f)\n",
                            connections, connections == 1 ? " " : "s", a.requestsPerSecond,
                            b.requestsPerSecond,
                            b.requestsPerSecond > 0 ? a.requestsPerSecond / b.requestsPerSecond : 0.0,
                            connections == 1 ? 0.5 : 0.3);
            }
            const auto [a, b] = compare(*wrk, ours + "large.mp3", theirs + "large.mp3", 1);
            std::printf("one %zu MiB song over one connection:\n", kLarge / (1024 * 1024));
            std::printf("   service %7.0f MiB/s   reference %7.0f MiB/s   ratio %.2f (goal >= 1.0)\n",
                        a.bytesPerSecond / (1024 * 1024), b.bytesPerSecond / (1024 * 1024),
                        b.bytesPerSecond > 0 ? a.bytesPerSecond / b.bytesPerSecond : 0.0);
        }
    }
    service.stop();
    fs::remove_all(root);
    return status;
}
