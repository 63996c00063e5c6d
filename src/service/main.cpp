// lanseek-service: shares a music folder with lanseek users on the LAN (or on this machine).

#include "service/search_service.h"
#include "service/service_announcer.h"
#include "service/service_config.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace {

void usage(std::ostream& out)
{
    out << "usage: lanseek-service [--config FILE] [--library DIR] [--listen ADDR:PORT] [--name NAME]\n"
           "                       [--threads N]\n"
           "  --config FILE      read library, listen and name from FILE (lines \"key = value\");\n"
           "                     options given on the command line win\n"
           "  --library DIR      the music folder to share (default: the bundled demo catalogue)\n"
           "  --listen ADDR:PORT where to listen (default 127.0.0.1:8080, this machine only;\n"
           "                     0.0.0.0:8080 or :8080 shares with the LAN; port 0 picks a free one)\n"
           "  --name NAME        the name the LAN sees (default USER@HOST); announced over mDNS\n"
           "                     whenever the address is not loopback\n"
           "  --threads N        answer requests on N threads (1 to 256; default one per processor core)\n"
           "A request head must arrive within 10 s; one address may hold 32 connections at once.\n"
           "Send SIGHUP to read the folder again after songs were added or removed.\n";
}

// A whole number from 1 to 256, nothing else (no sign, blanks or suffix).
bool parseThreadCount(const std::string& text, unsigned& threads)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned value = static_cast<unsigned>(std::stoul(text));
    if (value < 1 || value > 256) {
        return false;
    }
    threads = value;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using lanseek::service::parseListenAddress;
    lanseek::service::ServiceOptions options;
    // Only this machine unless asked otherwise: sharing a folder with the whole network is a choice the
    // user makes with --listen.
    options.host = "127.0.0.1";
    options.port = 8080;
    lanseek::service::ServiceSettings settings;
    std::string error;
    // The settings file first, whatever its place among the options, so that the options override it.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--config" && !readServiceSettings(argv[i + 1], settings, &error)) {
            std::cerr << "lanseek-service: " << error << "\n";
            return 2;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--config" && i + 1 < argc) {
            ++i;
        } else if (arg == "--library" && i + 1 < argc) {
            settings.library = argv[++i];
        } else if (arg == "--listen" && i + 1 < argc) {
            settings.listen = argv[++i];
        } else if (arg == "--name" && i + 1 < argc) {
            settings.name = argv[++i];
        } else if (arg == "--threads" && i + 1 < argc) {
            if (!parseThreadCount(argv[++i], options.threads)) {
                std::cerr << "lanseek-service: bad thread count " << argv[i] << " (1 to 256)\n";
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
    if (settings.listen && !parseListenAddress(*settings.listen, options.host, options.port)) {
        std::cerr << "lanseek-service: bad listen address " << *settings.listen << "\n";
        return 2;
    }
    if (settings.name && settings.name->size() > 63) {
        std::cerr << "lanseek-service: the name may hold at most 63 bytes\n";
        return 2;
    }
    options.library = settings.library.value_or(lanseek::service::bundledCatalogueDir());
    if (options.library.empty()) {
        std::cerr << "lanseek-service: no --library given and no bundled catalogue found\n";
        return 2;
    }

    // Block the stop signals before any thread starts, so that only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    lanseek::service::SearchService service(options);
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

    // Announced on the LAN only when the LAN can reach it.
    std::unique_ptr<lanseek::service::ServiceAnnouncer> announcer;
    if (lanseek::service::announcesOn(options.host)) {
        lanseek::service::Announcement announcement;
        announcement.name = settings.name.value_or(lanseek::service::defaultServiceName());
        announcement.listenHost = options.host;
        announcement.port = service.port();
        announcement.songs = service.songCount();
        announcer =
            std::make_unique<lanseek::service::ServiceAnnouncer>(announcement, [](const std::string& line) {
                std::cout << "lanseek-service: " << line << std::endl;
            });
        announcer->start();
    }

    // SIGHUP reads the folder again; SIGINT and SIGTERM stop.
    for (int received = 0; sigwait(&stopSignals, &received) == 0 && received == SIGHUP;) {
        if (service.rescan(&error)) {
            std::cout << "lanseek-service: " << service.songCount() << " songs after rescanning" << std::endl;
            if (announcer) {
                announcer->setSongCount(service.songCount());
            }
        } else {
            std::cerr << "lanseek-service: " << error << "\n";
        }
    }
    // The record goes first, so that nobody is sent to a service that no longer answers.
    announcer.reset();
    service.stop();
    return 0;
}
