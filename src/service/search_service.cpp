#include "service/search_service.h"

#include "service/byte_range.h"
#include "service/library_index.h"
#include "service/pages.h"
#include "service/query.h"
#include "service/ram_playlist.h"
#include "service/text_codec.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

// Fifteen download workers may fetch at once, each holding its connection open, next to the page loads.
constexpr std::size_t kServerThreads = 24;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::uintmax_t kMaxRamPlaylist = 64 * 1024;
constexpr std::size_t kMaxAlbumLinks = 20;
constexpr std::size_t kSongChartLength = 100;
constexpr std::size_t kMaxRedirectTarget = 4096;

std::string rawQuery(const httplib::Request& req)
{
    const auto mark = req.target.find('?');
    return mark == std::string::npos ? std::string() : req.target.substr(mark + 1);
}

bool isHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == ':' || c == '[' || c == ']' || c == '_';
}

bool isIpChar(char c)
{
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == '.' || c == ':';
}

// Links name the host the client used to reach us, so a LAN client gets addresses it can reach.
std::string requestBase(const httplib::Request& req, const std::string& fallback)
{
    const std::string host = req.get_header_value("Host");
    if (!host.empty() && host.size() <= 255 && std::all_of(host.begin(), host.end(), isHostChar)) {
        return "http://" + host;
    }
    return fallback;
}

std::string clientIp(const httplib::Request& req)
{
    std::string ip = req.remote_addr;
    if (ip.rfind("::ffff:", 0) == 0 && ip.find('.') != std::string::npos) {
        ip.erase(0, 7);
    }
    if (ip.size() > 64 || !std::all_of(ip.begin(), ip.end(), isIpChar)) {
        return {};
    }
    return ip;
}

bool isInside(const fs::path& root, const fs::path& candidate)
{
    auto r = root.begin();
    auto c = candidate.begin();
    for (; r != root.end(); ++r, ++c) {
        if (c == candidate.end() || *r != *c) {
            return false;
        }
    }
    return true;
}

void sendPage(httplib::Response& res, std::string gbkHtml)
{
    res.set_content(std::move(gbkHtml), "text/html; charset=gbk");
}

void sendError(httplib::Response& res, int status, std::string_view message)
{
    res.status = status;
    res.set_content(std::string(message) + "\n", "text/plain; charset=utf-8");
}

ResultPage makeResultPage(const LibraryIndex& index, const SongFilter& filter, std::string wordBytes,
                          std::uint64_t offset)
{
    const std::vector<const Song*> all = index.match(filter);
    ResultPage page;
    page.total = all.size();
    page.wordBytes = std::move(wordBytes);
    page.lm = filter.type ? std::to_string(static_cast<int>(*filter.type)) : "-1";
    page.offset = offset;
    if (offset < all.size()) {
        const std::size_t end =
            std::min<std::size_t>(all.size(), static_cast<std::size_t>(offset) + kResultsPerPage);
        page.songs.assign(all.begin() + static_cast<std::ptrdiff_t>(offset),
                          all.begin() + static_cast<std::ptrdiff_t>(end));
    }
    std::set<std::string> seen;
    for (const Song* song : all) {
        if (!song->album.empty() && seen.insert(song->foldedAlbum).second) {
            page.albums.push_back(song->album);
            if (page.albums.size() == kMaxAlbumLinks) {
                break;
            }
        }
    }
    return page;
}

// Sends bytes [first, last] of a body, either streamed from a file or from memory, with the status and
// headers the range decision calls for.
void sendBody(httplib::Response& res, const RangeDecision& range, std::uint64_t size, std::string_view mime,
              const fs::path* file, std::string memory)
{
    res.set_header("Accept-Ranges", "bytes");
    if (range.outcome == RangeDecision::Outcome::Unsatisfiable) {
        res.status = 416;
        res.set_header("Content-Range", "bytes */" + std::to_string(size));
        res.set_content("", "text/plain");
        return;
    }
    std::uint64_t first = 0;
    std::uint64_t length = size;
    if (range.outcome == RangeDecision::Outcome::Partial) {
        first = range.first;
        length = range.last - range.first + 1;
        res.status = 206;
        res.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                            std::to_string(range.last) + "/" + std::to_string(size));
    } else {
        res.status = 200;
    }
    if (file == nullptr) {
        res.set_content(memory.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(length)),
                        std::string(mime));
        return;
    }
    if (length == 0) {
        res.set_content("", std::string(mime));
        return;
    }
    auto stream = std::make_shared<std::ifstream>(*file, std::ios::binary);
    res.set_content_provider(static_cast<std::size_t>(length), std::string(mime),
                             [stream, first](std::size_t offset, std::size_t want, httplib::DataSink& sink) {
                                 std::vector<char> buffer(std::min(want, kChunk));
                                 stream->clear();
                                 stream->seekg(static_cast<std::streamoff>(first + offset));
                                 stream->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                                 const auto got = stream->gcount();
                                 if (got <= 0) {
                                     // The file shrank under us; ending the response tells the client it is
                                     // incomplete.
                                     return false;
                                 }
                                 return sink.write(buffer.data(), static_cast<std::size_t>(got));
                             });
}

class Routes
{
public:
    Routes(std::shared_ptr<const LibraryIndex> index, std::string fallbackBase)
        : m_index(std::move(index)), m_fallbackBase(std::move(fallbackBase))
    {
    }

    void install(httplib::Server& server)
    {
        server.Get("/", [this](const httplib::Request& req, httplib::Response& res) { home(req, res); });
        server.Get("/m", [this](const httplib::Request& req, httplib::Response& res) { query(req, res); });
        server.Get("/r", [](const httplib::Request& req, httplib::Response& res) { redirect(req, res); });
        server.Get("/ngeshou.html", [this](const httplib::Request& req, httplib::Response& res) {
            singerChart(req, res, SingerChart::Male);
        });
        server.Get("/ygeshou.html", [this](const httplib::Request& req, httplib::Response& res) {
            singerChart(req, res, SingerChart::Female);
        });
        server.Get("/singer/singers.html", [this](const httplib::Request& req, httplib::Response& res) {
            singerChart(req, res, SingerChart::All);
        });
        server.Get("/mp3.html",
                   [this](const httplib::Request& req, httplib::Response& res) { songChart(req, res); });
        server.Get(R"(/singer/([^/]+)\.html)",
                   [this](const httplib::Request& req, httplib::Response& res) { singerPage(req, res); });
        server.Get(R"(/music/(.+))",
                   [this](const httplib::Request& req, httplib::Response& res) { song(req, res); });
    }

private:
    PageContext context(const httplib::Request& req) const
    {
        return PageContext{requestBase(req, m_fallbackBase), clientIp(req)};
    }

    void home(const httplib::Request& req, httplib::Response& res) const
    {
        sendPage(res, renderHomePage(context(req), m_index->songs().size()));
    }

    void query(const httplib::Request& req, httplib::Response& res) const
    {
        const QueryString query(rawQuery(req));
        std::string wordBytes = query.decoded("word").value_or(std::string());
        SongFilter filter;
        filter.words = wordReadings(wordBytes);
        filter.type = mediaTypeFilter(query.raw("lm"));
        if (query.raw("f") == "al") {
            filter.field = SongFilter::Field::Album;
        }
        const ResultPage page =
            makeResultPage(*m_index, filter, std::move(wordBytes), resultOffset(query.raw("pn")));
        sendPage(res, renderResultPage(context(req), page));
    }

    static void redirect(const httplib::Request& req, httplib::Response& res)
    {
        const std::string raw = rawQuery(req);
        if (raw.rfind("url=", 0) != 0) {
            sendError(res, 400, "missing url");
            return;
        }
        std::string target = raw.substr(4);
        auto isWeb = [](const std::string& address) {
            const std::string lower = asciiLower(address.substr(0, 8));
            return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
        };
        if (!isWeb(target)) {
            target = percentDecode(target);
        }
        const bool clean = std::none_of(target.begin(), target.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
        });
        // Only web addresses: anything else (file:, javascript:, bare paths) is refused rather than bounced.
        if (!isWeb(target) || !clean || target.size() > kMaxRedirectTarget || target.size() <= 8) {
            sendError(res, 400, "bad url");
            return;
        }
        res.set_redirect(target, 302);
    }

    void singerChart(const httplib::Request& req, httplib::Response& res, SingerChart chart) const
    {
        std::vector<std::string> singers = m_index->singers();
        if (chart != SingerChart::All) {
            const Gender wanted = chart == SingerChart::Male ? Gender::Male : Gender::Female;
            std::erase_if(singers, [&](const std::string& s) { return m_index->genderOf(s) != wanted; });
        }
        sendPage(res, renderSingerChart(context(req), chart, singers));
    }

    void songChart(const httplib::Request& req, httplib::Response& res) const
    {
        std::vector<const Song*> songs;
        for (const Song& song : m_index->songs()) {
            songs.push_back(&song);
        }
        std::stable_sort(songs.begin(), songs.end(),
                         [](const Song* a, const Song* b) { return a->foldedName < b->foldedName; });
        if (songs.size() > kSongChartLength) {
            songs.resize(kSongChartLength);
        }
        sendPage(res, renderSongChart(context(req), songs));
    }

    void singerPage(const httplib::Request& req, httplib::Response& res) const
    {
        // The path is already unescaped by the server; its bytes are GBK like any query word.
        std::string nameBytes = req.matches[1].str();
        SongFilter filter;
        filter.words = wordReadings(nameBytes);
        filter.field = SongFilter::Field::Singer;
        const QueryString query(rawQuery(req));
        const ResultPage page =
            makeResultPage(*m_index, filter, std::move(nameBytes), resultOffset(query.raw("pn")));
        sendPage(res, renderResultPage(context(req), page));
    }

    void song(const httplib::Request& req, httplib::Response& res) const
    {
        // Only files of the index are served: a path is looked up, never joined onto the folder as given,
        // so "..", absolute paths and names outside the library never reach the file system.
        const Song* found = m_index->findByPath(req.matches[1].str());
        if (found == nullptr) {
            sendError(res, 404, "not found");
            return;
        }
        std::error_code ec;
        const fs::path real = fs::canonical(m_index->root() / fs::path(found->relativePath), ec);
        if (ec) {
            sendError(res, 404, "not found");
            return;
        }
        // The file may have been replaced by a link since it was indexed.
        if (!isInside(m_index->root(), real) || !fs::is_regular_file(real, ec)) {
            sendError(res, 403, "forbidden");
            return;
        }
        const std::uintmax_t size = fs::file_size(real, ec);
        if (ec) {
            sendError(res, 404, "not found");
            return;
        }
        // The server would otherwise cut the body a second time by the ranges it parsed itself.
        const_cast<httplib::Request&>(req).ranges.clear();
        const std::string mime(mediaTypeMime(found->type));

        if (found->type == MediaType::Ram && size <= kMaxRamPlaylist) {
            std::ifstream in(real, std::ios::binary);
            std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            content =
                rewriteRamPlaylist(content, requestBase(req, m_fallbackBase) + "/music", found->relativePath);
            const std::uint64_t length = content.size();
            const RangeDecision range = decideRange(req.get_header_value("Range"), length);
            sendBody(res, range, length, mime, nullptr, std::move(content));
            return;
        }
        const RangeDecision range = decideRange(req.get_header_value("Range"), size);
        sendBody(res, range, size, mime, &real, {});
    }

    std::shared_ptr<const LibraryIndex> m_index;
    std::string m_fallbackBase;
};

} // namespace

struct SearchService::State
{
    ServiceOptions options;
    std::shared_ptr<const LibraryIndex> index;
    std::unique_ptr<Routes> routes;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;
};

SearchService::SearchService(ServiceOptions options) : m_state(std::make_unique<State>())
{
    m_state->options = std::move(options);
}

SearchService::~SearchService()
{
    stop();
}

bool SearchService::start(std::string* error)
{
    auto fail = [error](std::string message) {
        if (error != nullptr) {
            *error = std::move(message);
        }
        return false;
    };
    if (m_state->server) {
        return fail("the service is already running");
    }
    try {
        m_state->index = std::make_shared<const LibraryIndex>(LibraryIndex::scan(m_state->options.library));
    } catch (const std::exception& e) {
        return fail("cannot read the music library " + m_state->options.library.string() + ": " + e.what());
    }

    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    // The library's defaults let a second server share a port already in use, which would split the
    // requests between two services without a word; a port that is taken must fail to bind instead.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    const std::string& host = m_state->options.host;
    int port = m_state->options.port;
    if (port < 0 || port > 65535) {
        return fail("bad port " + std::to_string(port));
    }
    if (port == 0) {
        port = server->bind_to_any_port(host);
    } else if (!server->bind_to_port(host, port)) {
        port = -1;
    }
    if (port <= 0) {
        return fail("cannot listen on " + host + ":" + std::to_string(m_state->options.port));
    }
    m_state->port = port;
    m_state->routes = std::make_unique<Routes>(m_state->index, baseUrl());
    m_state->routes->install(*server);
    m_state->server = std::move(server);
    httplib::Server* raw = m_state->server.get();
    m_state->thread = std::thread([raw] { raw->listen_after_bind(); });
    // stop() only reaches a server that has begun listening, so wait for that before handing control back.
    for (int waited = 0; !raw->is_running() && waited < 5000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void SearchService::stop()
{
    if (!m_state->server) {
        return;
    }
    m_state->server->stop();
    if (m_state->thread.joinable()) {
        m_state->thread.join();
    }
    m_state->server.reset();
    m_state->routes.reset();
    m_state->port = 0;
}

int SearchService::port() const
{
    return m_state->port;
}

std::string SearchService::baseUrl() const
{
    std::string host = m_state->options.host;
    if (host.empty() || host == "0.0.0.0" || host == "::" || host == "[::]") {
        host = "127.0.0.1";
    } else if (host.find(':') != std::string::npos && host.front() != '[') {
        host = "[" + host + "]";
    }
    return "http://" + host + ":" + std::to_string(m_state->port);
}

std::size_t SearchService::songCount() const
{
    return m_state->index ? m_state->index->songs().size() : 0;
}

fs::path bundledCatalogueDir()
{
    std::error_code ec;
    auto usable = [&ec](const fs::path& candidate) {
        return !candidate.empty() && fs::is_directory(candidate, ec);
    };
    if (const char* named = std::getenv("LANSEEK_CATALOGUE"); named != nullptr && usable(named)) {
        return fs::path(named);
    }
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.empty()) {
        const fs::path dir = exe.parent_path();
        for (const fs::path& candidate :
             {dir / ".." / "share" / "lanseek" / "catalogue", dir / "catalogue"}) {
            if (usable(candidate)) {
                return candidate.lexically_normal();
            }
        }
    }
#ifdef LANSEEK_SOURCE_CATALOGUE
    if (usable(LANSEEK_SOURCE_CATALOGUE)) {
        return fs::path(LANSEEK_SOURCE_CATALOGUE);
    }
#endif
    return {};
}

} // namespace lanseek::service
