// lanseek-service: shares a music folder with lanseek users on the LAN (or on this machine).

#include "service/search_service.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

void usage(std::ostream& out)
{
    out << "usage: lanseek-service [--library DIR] [--listen ADDR:PORT]\n"
           "  --library DIR      the music folder to share (default: the bundled demo catalogue)\n"
           "  --listen ADDR:PORT where to listen (default 127.0.0.1:8080, this machine only;\n"
           "                     0.0.0.0:8080 or :8080 shares with the LAN; port 0 picks a free one)\n"
           "A request head must arrive within 10 s; one address may hold 32 connections at once.\n"
           "Send SIGHUP to read the folder again after songs were added or removed.\n";
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
    // Only this machine unless asked otherwise: sharing a folder with the whole network is a choice the
    // user makes with --listen.
    options.host = "127.0.0.1";
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
            usage(std::cout);
            return 0;
        } else {
            std::cerr << "lanseek-service: unknown argument " << arg << "\n";
            usage(std::cerr);
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
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    lanseek::service::SearchService service(options);
    std::string error;
    if (!service.start(&error)) {
        std::cerr << "lanseek-service: " << error << "\n";
        return 1;
    }
    const bool v6 = options.host.find(':') != std::string::npos;
    std::cout << "lanseek-service: sharing " << service.songCount() << " songs from "
              << options.library.string() << " on http://" << (v6 ? "[" : "") << options.host
              << (v6 ? "]" : "") << ":" << service.port();
    if (options.host == "0.0.0.0" || options.host == "::") {
        std::cout << " (every interface; on this machine " << service.baseUrl() << ")";
    } else if (options.host == "127.0.0.1" || options.host == "::1" || options.host == "localhost") {
        std::cout << " (this machine only; --listen 0.0.0.0:" << service.port() << " shares with the LAN)";
    }
    std::cout << std::endl;

    // SIGHUP reads the folder again; SIGINT and SIGTERM stop.
    for (int received = 0; sigwait(&stopSignals, &received) == 0 && received == SIGHUP;) {
        if (service.rescan(&error)) {
            std::cout << "lanseek-service: " << service.songCount() << " songs after rescanning" << std::endl;
        } else {
            std::cerr << "lanseek-service: " << error << "\n";
        }
    }
    service.stop();
    return 0;
}
