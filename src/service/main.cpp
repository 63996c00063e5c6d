// lanseek-service: shares a music folder with lanseek users on the LAN (or on this machine).

#include "service/search_service.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

void usage()
{
    std::cerr << "usage: lanseek-service [--library DIR] [--listen ADDR:PORT]\n"
                 "  --library DIR      the music folder to share (default: the bundled demo catalogue)\n"
                 "  --listen ADDR:PORT where to listen (default 0.0.0.0:8080; port 0 picks a free one)\n";
}

// "ADDR:PORT", "[V6ADDR]:PORT" or just "PORT".
bool parseListen(const std::string& text, std::string& host, int& port)
{
    std::string portText = text;
    const auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
        if (host.empty()) {
            host = "0.0.0.0";
        }
    }
    if (portText.empty() || portText.size() > 5 ||
        portText.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    port = std::stoi(portText);
    return port <= 65535;
}

} // namespace

int main(int argc, char** argv)
{
    lanseek::service::ServiceOptions options;
    options.host = "0.0.0.0";
    options.port = 8080;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--library" && i + 1 < argc) {
            options.library = argv[++i];
        } else if (arg == "--listen" && i + 1 < argc) {
            if (!parseListen(argv[++i], options.host, options.port)) {
                std::cerr << "lanseek-service: bad listen address " << argv[i] << "\n";
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else {
            usage();
            return 2;
        }
    }
    if (options.library.empty()) {
        options.library = lanseek::service::bundledCatalogueDir();
        if (options.library.empty()) {
            std::cerr << "lanseek-service: no --library given and no bundled catalogue found\n";
            return 2;
        }
    }

    // Block the stop signals before any thread starts, so that only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    lanseek::service::SearchService service(options);
    std::string error;
    if (!service.start(&error)) {
        std::cerr << "lanseek-service: " << error << "\n";
        return 1;
    }
    std::cout << "lanseek-service: " << service.songCount() << " songs from " << options.library.string()
              << "\nlanseek-service: serving http://" << options.host << ":" << service.port();
    if (options.host == "0.0.0.0" || options.host == "::") {
        std::cout << " (every interface; on this machine " << service.baseUrl() << ")";
    }
    std::cout << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    service.stop();
    return 0;
}
