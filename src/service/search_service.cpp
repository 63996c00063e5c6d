#include "service/search_service.h"

#include "service/byte_range.h"
#include "service/http_server.h"
#include "service/library_index.h"
#include "service/pages.h"
#include "service/query.h"
#include "service/ram_playlist.h"
#include "service/request_parts.h"
#include "service/service_log.h"
#include "service/text_codec.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

constexpr std::uintmax_t kMaxRamPlaylist = 64 * 1024;
constexpr std::size_t kMaxAlbumLinks = 20;
constexpr std::size_t kSongChartLength = 100;
constexpr std::uint64_t kInlineBody = 64 * 1024;

// Where an open file really lives, links resolved; from the file system's own record of the descriptor,
// else (without /proc) by resolving the path it was opened by.
fs::path openedPath(int fd, const fs::path& openedAs)
{
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length > 0 && target[0] == '/') {
        return fs::path(std::string(target, static_cast<std::size_t>(length)));
    }
    std::error_code ec;
    fs::path real = fs::canonical(openedAs, ec);
    return ec ? fs::path() : real;
}

// A value that one thread replaces while others read it: each reader gets the value whole and keeps it
// as long as it needs, the replaced one going when its last reader lets it go. The lock is held only to
// copy the pointer (std::atomic<std::shared_ptr> of this standard library reads the pointer after a
// relaxed unlock, which the thread sanitizer rightly reports as a race with the next store).
template <typename T> class Published
{
public:
    std::shared_ptr<const T> load() const
    {
        const std::lock_guard lock(m_mutex);
        return m_value;
    }
    void store(std::shared_ptr<const T> value)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_value.swap(value);
        }
        // The old value, if this was its last holder, is freed here, outside the lock.
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const T> m_value;
};

// An index and its folder, opened once, swapped in together by a rescan.
struct ServedLibrary
{
    explicit ServedLibrary(std::shared_ptr<const LibraryIndex> songs) : index(std::move(songs))
    {
        if (index && !index->root().empty()) {
            folder = FileHandle(::open(index->root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        }
    }
    std::shared_ptr<const LibraryIndex> index;
    FileHandle folder;
};

// How a song's file was opened: the kernel resolved its path beneath the library's folder, or it was
// opened by its full path and where it really lies is still to be checked.
struct OpenedSong
{
    FileHandle file;
    bool beneath = false;
    bool missing = false;
};

// Without blocking, so that a pipe put in a song's place cannot stall us. The kernel refuses a path that
// leads out of the folder (a link to elsewhere, ".."), which saves reading back where the file lies; a
// link inside given as an absolute path is refused by it too, and is opened by its full path instead, as
// on a kernel without this call.
OpenedSong openSong(const ServedLibrary& library, const Song& song)
{
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    // Asked once: a kernel (or a sandbox) without the call says so with ENOSYS for good.
    static std::atomic<bool> s_beneathUnavailable{false};
    OpenedSong opened;
    if (library.folder.valid() && !s_beneathUnavailable.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = kFlags;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        const long fd =
            ::syscall(SYS_openat2, library.folder.get(), song.relativePath.c_str(), &how, sizeof how);
        if (fd >= 0) {
            opened.file = FileHandle(static_cast<int>(fd));
            opened.beneath = true;
            return opened;
        }
        if (errno == ENOENT) {
            opened.missing = true;
            return opened;
        }
        if (errno == ENOSYS) {
            s_beneathUnavailable.store(true, std::memory_order_relaxed);
        }
    }
    const fs::path path = library.index->root() / fs::path(song.relativePath);
    opened.file = FileHandle(::open(path.c_str(), kFlags));
    return opened;
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

// Where the bytes a range decision selects start, and how many there are; nothing when unsatisfiable.
struct Selection
{
    std::uint64_t first = 0;
    std::uint64_t length = 0;
};

std::optional<Selection> select(const RangeDecision& range, std::uint64_t size)
{
    switch (range.outcome) {
    case RangeDecision::Outcome::Unsatisfiable:
        return std::nullopt;
    case RangeDecision::Outcome::Partial:
        return Selection{range.first, range.last - range.first + 1};
    case RangeDecision::Outcome::Whole:
        break;
    }
    return Selection{0, size};
}

// The status and headers for the part of a body of `size` bytes that the range decision selects; the
// caller adds the body itself.
HttpResponse rangeHead(const RangeDecision& range, std::uint64_t size, std::string_view mime)
{
    HttpResponse res;
    res.setHeader("Accept-Ranges", "bytes");
    switch (range.outcome) {
    case RangeDecision::Outcome::Unsatisfiable:
        res.status = 416;
        res.setHeader("Content-Range", "bytes */" + std::to_string(size));
        res.setHeader("Content-Type", "text/plain");
        return res;
    case RangeDecision::Outcome::Partial:
        res.status = 206;
        res.setHeader("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                           std::to_string(range.last) + "/" + std::to_string(size));
        break;
    case RangeDecision::Outcome::Whole:
        break;
    }
    res.setHeader("Content-Type", std::string(mime));
    return res;
}

class Routes
{
public:
    Routes(std::shared_ptr<const LibraryIndex> index, std::string fallbackBase)
        : m_fallbackBase(std::move(fallbackBase))
    {
        replaceIndex(std::move(index));
    }

    void replaceIndex(std::shared_ptr<const LibraryIndex> index)
    {
        m_library.store(std::make_shared<const ServedLibrary>(std::move(index)));
    }

    HttpResponse answer(const HttpRequest& req) const
    {
        const std::string path = requestPath(req);
        if (path == "/") {
            return home(req);
        }
        if (path == "/m") {
            return query(req);
        }
        if (path == "/r") {
            return redirectResponse(req);
        }
        if (path == "/ngeshou.html") {
            return singerChart(req, SingerChart::Male);
        }
        if (path == "/ygeshou.html") {
            return singerChart(req, SingerChart::Female);
        }
        if (path == "/singer/singers.html") {
            return singerChart(req, SingerChart::All);
        }
        if (path == "/mp3.html") {
            return songChart(req);
        }
        constexpr std::string_view kSinger = "/singer/";
        constexpr std::string_view kHtml = ".html";
        if (path.size() > kSinger.size() + kHtml.size() && path.starts_with(kSinger) &&
            path.ends_with(kHtml)) {
            std::string name = path.substr(kSinger.size(), path.size() - kSinger.size() - kHtml.size());
            if (name.find('/') == std::string::npos) {
                return singerPage(req, std::move(name));
            }
        }
        constexpr std::string_view kMusic = "/music/";
        if (path.size() > kMusic.size() && path.starts_with(kMusic)) {
            return song(req, path.substr(kMusic.size()));
        }
        return errorResponse(404, "not found");
    }

private:
    PageContext context(const HttpRequest& req) const
    {
        return PageContext{requestBase(req, m_fallbackBase), clientIp(req)};
    }

    HttpResponse home(const HttpRequest& req) const
    {
        const auto library = m_library.load();
        const LibraryIndex* index = library->index.get();
        return pageResponse(renderHomePage(context(req), index->songs().size()));
    }

    HttpResponse query(const HttpRequest& req) const
    {
        const auto library = m_library.load();
        const LibraryIndex* index = library->index.get();
        const QueryString query(rawQuery(req));
        std::string wordBytes = query.decoded("word").value_or(std::string());
        SongFilter filter;
        filter.words = wordReadings(wordBytes);
        filter.type = mediaTypeFilter(query.raw("lm"));
        if (query.raw("f") == "al") {
            filter.field = SongFilter::Field::Album;
        }
        const ResultPage result =
            makeResultPage(*index, filter, std::move(wordBytes), resultOffset(query.raw("pn")));
        return pageResponse(renderResultPage(context(req), result));
    }

    HttpResponse singerChart(const HttpRequest& req, SingerChart chart) const
    {
        const auto library = m_library.load();
        const LibraryIndex* index = library->index.get();
        std::vector<std::string> singers = index->singers();
        if (chart != SingerChart::All) {
            const Gender wanted = chart == SingerChart::Male ? Gender::Male : Gender::Female;
            std::erase_if(singers, [&](const std::string& s) { return index->genderOf(s) != wanted; });
        }
        return pageResponse(renderSingerChart(context(req), chart, singers));
    }

    HttpResponse songChart(const HttpRequest& req) const
    {
        const auto library = m_library.load();
        const LibraryIndex* index = library->index.get();
        std::vector<const Song*> songs;
        songs.reserve(index->songs().size());
        for (const Song& song : index->songs()) {
            songs.push_back(&song);
        }
        // Only the first hundred are wanted: sorted alone, in the order a stable sort by name would give
        // them (songs are in one array, so their addresses keep the listing order among equal names).
        const std::size_t shown = std::min(songs.size(), kSongChartLength);
        std::partial_sort(songs.begin(), songs.begin() + static_cast<std::ptrdiff_t>(shown), songs.end(),
                          [](const Song* a, const Song* b) {
                              const int order = a->foldedName.compare(b->foldedName);
                              return order != 0 ? order < 0 : a < b;
                          });
        songs.resize(shown);
        std::vector<std::string> names;
        names.reserve(songs.size());
        for (const Song* song : songs) {
            names.push_back(song->name);
        }
        return pageResponse(renderSongChart(context(req), names));
    }

    HttpResponse singerPage(const HttpRequest& req, std::string nameBytes) const
    {
        const auto library = m_library.load();
        const LibraryIndex* index = library->index.get();
        // The name's bytes are GBK like any query word.
        SongFilter filter;
        filter.words = wordReadings(nameBytes);
        filter.field = SongFilter::Field::Singer;
        const QueryString query(rawQuery(req));
        const ResultPage result =
            makeResultPage(*index, filter, std::move(nameBytes), resultOffset(query.raw("pn")));
        return pageResponse(renderResultPage(context(req), result));
    }

    HttpResponse song(const HttpRequest& req, const std::string& relativePath) const
    {
        const auto library = m_library.load();
        const LibraryIndex* index = library->index.get();
        // Only files of the index are served: a path is looked up, never joined onto the folder as given,
        // so "..", absolute paths and names outside the library never reach the file system.
        const Song* found = index->findByPath(relativePath);
        if (found == nullptr) {
            return errorResponse(404, "not found");
        }
        // Opened first and checked after: what is checked is then the very file that will be sent, even if
        // a link takes its place in between.
        OpenedSong opened = openSong(*library, *found);
        FileHandle& file = opened.file;
        struct stat info
        {};
        if (opened.missing || !file.valid() || ::fstat(file.get(), &info) != 0) {
            return errorResponse(404, "not found");
        }
        // The file may have been replaced by a link leading out of the library since it was indexed.
        if (!S_ISREG(info.st_mode) ||
            (!opened.beneath &&
             !isInsideFolder(index->root(),
                             openedPath(file.get(), index->root() / fs::path(found->relativePath))))) {
            return errorResponse(403, "forbidden");
        }
        const auto size = static_cast<std::uint64_t>(info.st_size);
        const std::string mime(mediaTypeMime(found->type));

        if (found->type == MediaType::Ram && size <= kMaxRamPlaylist) {
            std::string content(static_cast<std::size_t>(size), '\0');
            const ssize_t got = ::pread(file.get(), content.data(), content.size(), 0);
            content.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            content =
                rewriteRamPlaylist(content, requestBase(req, m_fallbackBase) + "/music", found->relativePath);
            const RangeDecision range = decideRange(req.header("Range"), content.size());
            HttpResponse res = rangeHead(range, content.size(), mime);
            if (const auto part = select(range, content.size())) {
                res.body = content.substr(static_cast<std::size_t>(part->first),
                                          static_cast<std::size_t>(part->length));
            }
            return res;
        }

        const RangeDecision range = decideRange(req.header("Range"), size);
        HttpResponse res = rangeHead(range, size, mime);
        const auto part = select(range, size);
        if (!part) {
            return res;
        }
        if (part->length <= kInlineBody) {
            // A small body goes out in one write with the header, which saves the client a wake-up and a
            // packet on every request; larger ones are sent straight from the file.
            res.body.resize(static_cast<std::size_t>(part->length));
            const ssize_t got =
                ::pread(file.get(), res.body.data(), res.body.size(), static_cast<off_t>(part->first));
            if (got == static_cast<ssize_t>(res.body.size())) {
                return res;
            }
            // The file shrank since it was measured; sent from the file, the answer ends short, which
            // tells the client it is incomplete.
            res.body.clear();
        }
        res.file = std::move(file);
        res.offset = part->first;
        res.length = part->length;
        return res;
    }

    // A rescan swaps in a new index while requests run; each request keeps the one it started with.
    Published<ServedLibrary> m_library;
    std::string m_fallbackBase;
};

bool failWith(std::string* error, std::string message)
{
    if (error != nullptr) {
        *error = std::move(message);
    }
    return false;
}

} // namespace

struct SearchService::State
{
    ServiceOptions options;
    Published<LibraryIndex> index;
    std::unique_ptr<Routes> routes;
    std::unique_ptr<HttpServer> server;
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
    if (m_state->server) {
        return failWith(error, "the service is already running");
    }
    if (!rescan(error) || !bind(error)) {
        return false;
    }
    m_state->server->serve();
    return true;
}

bool SearchService::startIndexingInBackground(std::string* error)
{
    if (m_state->server) {
        return failWith(error, "the service is already running");
    }
    // What would make indexing fail at once is found out here, so the caller still hears of it.
    std::error_code ec;
    if (!fs::is_directory(m_state->options.library, ec)) {
        return failWith(error, "cannot read the music library " + m_state->options.library.string() +
                                   ": not a folder");
    }
    if (!m_state->index.load()) {
        // Nothing is served from this placeholder: serving starts once the real index is in.
        m_state->index.store(std::make_shared<const LibraryIndex>());
    }
    if (!bind(error)) {
        return false;
    }
    m_state->server->serve([this] {
        std::string failure;
        if (!rescan(&failure)) {
            // Nobody waits for this answer: the program is already running when the index fails.
            qCWarning(serviceLog).noquote() << QString::fromStdString(failure);
        }
    });
    return true;
}

bool SearchService::bind(std::string* error)
{
    const ServiceOptions& options = m_state->options;
    HttpServerOptions http;
    http.host = options.host;
    http.port = options.port;
    http.headTimeoutSeconds = options.headTimeoutSeconds;
    http.idleTimeoutSeconds = options.idleTimeoutSeconds;
    http.connectionsPerClient = options.connectionsPerClient;
    http.threads = options.threads;
    auto server = std::make_unique<HttpServer>(
        http, [this](const HttpRequest& req) { return m_state->routes->answer(req); });
    if (!server->listen(error)) {
        return false;
    }
    m_state->server = std::move(server);
    // The routes' fallback links name the bound port, so they are made between binding and serving.
    m_state->routes = std::make_unique<Routes>(m_state->index.load(), baseUrl());
    return true;
}

void SearchService::stop()
{
    if (!m_state->server) {
        return;
    }
    m_state->server->stop();
    m_state->server.reset();
    m_state->routes.reset();
}

int SearchService::port() const
{
    return m_state->server ? m_state->server->port() : 0;
}

std::string SearchService::baseUrl() const
{
    std::string host = m_state->options.host;
    if (host.empty() || host == "0.0.0.0" || host == "::" || host == "[::]") {
        host = "127.0.0.1";
    } else if (host.find(':') != std::string::npos && host.front() != '[') {
        host = "[" + host + "]";
    }
    return "http://" + host + ":" + std::to_string(port());
}

std::size_t SearchService::songCount() const
{
    const auto index = m_state->index.load();
    return index ? index->songs().size() : 0;
}

bool SearchService::rescan(std::string* error)
{
    std::shared_ptr<const LibraryIndex> index;
    try {
        index = std::make_shared<const LibraryIndex>(LibraryIndex::scan(m_state->options.library));
    } catch (const std::exception& e) {
        if (error != nullptr) {
            *error = "cannot read the music library " + m_state->options.library.string() + ": " + e.what();
        }
        return false;
    }
    m_state->index.store(index);
    if (m_state->routes) {
        m_state->routes->replaceIndex(std::move(index));
    }
    return true;
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
