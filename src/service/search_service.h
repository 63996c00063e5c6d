#pragma once

// The music search service: an HTTP server that answers the program's search, chart and download
// requests over one music library folder. The program embeds it (on 127.0.0.1, an ephemeral port) when
// no other service is named; lanseek-service runs it on its own to share a folder over a LAN.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace lanseek::service {

struct ServiceOptions
{
    std::filesystem::path library;
    std::string host = "127.0.0.1"; // address to listen on; "0.0.0.0" for every interface
    int port = 0;                   // 0: an ephemeral port, chosen when binding
    // A request head must arrive whole within this many seconds of the connection opening (or of the
    // previous answer on it); sending it a byte at a time does not buy more time.
    unsigned headTimeoutSeconds = 10;
    // A connection on which nothing moves for this long is closed.
    unsigned idleTimeoutSeconds = 30;
    // Connections one client address may hold at once; the program itself opens up to fifteen
    // download connections beside its page loads.
    unsigned connectionsPerClient = 32;
    // Threads that answer requests at once; 0: one for each processor core.
    unsigned threads = 0;
};

class SearchService
{
public:
    explicit SearchService(ServiceOptions options);
    ~SearchService();
    SearchService(const SearchService&) = delete;
    SearchService& operator=(const SearchService&) = delete;

    // Indexes the library, binds and starts serving on the server's threads. False (with the reason in
    // *error) when the folder cannot be read or the address cannot be bound; starting twice is an error.
    bool start(std::string* error = nullptr);
    // Binds at once and returns, so that the address is known; the library is indexed on the service's
    // own thread, which then starts serving. Requests that arrive meanwhile wait (the connection is
    // accepted by the system and held in the listen queue) and are answered from the finished index, so
    // a client never sees the service half-ready. False (with the reason in *error) when the folder does
    // not exist or the address cannot be bound; a folder that becomes unreadable before it is indexed
    // leaves the service answering with no songs. Starting twice is an error.
    bool startIndexingInBackground(std::string* error = nullptr);
    // Stops serving and joins the server's threads. Safe to call when not running; while the library
    // is still being indexed it waits for that to end.
    void stop();

    // Reads the library folder again, so songs added or removed since are offered or dropped. Requests
    // under way finish with the songs they started with. False (the old songs stay) when the folder
    // cannot be read.
    bool rescan(std::string* error = nullptr);

    int port() const;
    // "http://HOST:PORT" for the listen address; 127.0.0.1 stands in for "every interface".
    std::string baseUrl() const;
    std::size_t songCount() const;

private:
    // Binds the listen address and makes the routes; serving is started by the caller.
    bool bind(std::string* error);

    struct State;
    std::unique_ptr<State> m_state;
};

// The demo catalogue shipped with the program. Looked up in this order, the first existing folder wins:
//   1. the folder named by the environment variable LANSEEK_CATALOGUE;
//   2. <folder of the executable>/../share/lanseek/catalogue (an installed program);
//   3. <folder of the executable>/catalogue (a program unpacked into one folder);
//   4. the source tree's catalogue/ (a program run from its build tree).
// An empty path when none exists.
std::filesystem::path bundledCatalogueDir();

} // namespace lanseek::service
