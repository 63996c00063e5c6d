#include "platform/media/playlist_loader.h"

#include "platform/media/media_fetch.h"

#include "platform/media/playlist_sniff.h"
#include "platform/media/playlist_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <curl/curl.h>

#include <memory>

namespace lanseek::platform {

namespace {

// Playlists are small; anything larger is not a playlist and is not read whole into memory.
constexpr qint64 kMaxListBytes = 4 * 1024 * 1024;
constexpr int kMaxDepth = 4;
constexpr size_t kMaxItems = 10000;
// Lists that only name further lists add no items, so the item limit alone does not bound the work:
// a few levels of lists naming hundreds of distinct lists each would be read for ever.
constexpr int kMaxLists = 64;

struct FetchState
{
    QByteArray body;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* state = static_cast<FetchState*>(user);
    const size_t n = size * count;
    if (state->body.size() + static_cast<qint64>(n) > kMaxListBytes) {
        state->tooLarge = true;
        return 0;
    }
    state->body.append(data, static_cast<qsizetype>(n));
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* state = static_cast<FetchState*>(user);
    return state->cancel && state->cancel->load() ? 1 : 0;
}

std::optional<QByteArray> fetchHttp(const QUrl& url, QString& error, const std::atomic<bool>* cancel,
                                    QUrl* finalUrl)
{
    const std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        error = QStringLiteral("无法下载播放列表：%1").arg(displayAddress(url));
        return std::nullopt;
    }
    FetchState state;
    state.cancel = cancel;
    const QByteArray address = url.toEncoded();
    CURL* h = curl.get();
    setMediaFetchOptions(h, address, 10, 30);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK) {
        char* effective = nullptr;
        if (finalUrl && curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
            *finalUrl = QUrl::fromEncoded(QByteArray(effective));
        return state.body;
    }
    if (state.tooLarge) {
        error = QStringLiteral("播放列表过大：%1").arg(displayAddress(url));
        return std::nullopt;
    }
    // The reason in the user's language, from the result code and status; libcurl's own texts are
    // English.
    QString reason = QStringLiteral("网络错误");
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (rc == CURLE_HTTP_RETURNED_ERROR && (status == 404 || status == 410))
        reason = QStringLiteral("服务器上没有该文件");
    else if (rc == CURLE_HTTP_RETURNED_ERROR)
        reason = QStringLiteral("服务器拒绝了请求，状态 %1").arg(status);
    else if (rc == CURLE_COULDNT_CONNECT || rc == CURLE_COULDNT_RESOLVE_HOST ||
             rc == CURLE_COULDNT_RESOLVE_PROXY)
        reason = QStringLiteral("无法连接到服务器");
    else if (rc == CURLE_OPERATION_TIMEDOUT)
        reason = QStringLiteral("连接超时");
    else if (rc == CURLE_TOO_MANY_REDIRECTS)
        reason = QStringLiteral("重定向过多");
    error = QStringLiteral("无法下载播放列表：%1（%2）").arg(displayAddress(url), reason);
    return std::nullopt;
}

std::optional<QByteArray> readFile(const QUrl& url, QString& error)
{
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("找不到播放列表：%1").arg(displayAddress(url));
        return std::nullopt;
    }
    if (info.size() > kMaxListBytes) {
        error = QStringLiteral("播放列表过大：%1").arg(displayAddress(url));
        return std::nullopt;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("无法读取播放列表：%1").arg(displayAddress(url));
        return std::nullopt;
    }
    return file.read(kMaxListBytes + 1).left(kMaxListBytes);
}

struct Expander
{
    const std::atomic<bool>* cancel;
    const PlaylistFetcher& fetch;
    LoadedPlaylist result;
    QSet<QString> visited;
    bool reportedTooMany = false;

    void expand(const QUrl& url, PlaylistKind kind, int depth)
    {
        if (cancel && cancel->load())
            return;
        const QString key = url.adjusted(QUrl::NormalizePathSegments).toString();
        if (visited.contains(key))
            return;
        if (visited.size() >= kMaxLists) {
            if (!reportedTooMany)
                result.errors << QStringLiteral("播放列表过多，其余未读：%1").arg(displayAddress(url));
            reportedTooMany = true;
            return;
        }
        visited.insert(key);
        QString error;
        QUrl base = url;
        const std::optional<QByteArray> bytes = fetch(url, error, &base);
        if (!bytes) {
            result.errors << error;
            return;
        }
        for (const PlaylistEntry& entry : parsePlaylistText(kind, decodePlaylistText(*bytes))) {
            if (result.items.size() >= kMaxItems)
                return;
            const QUrl item = resolvePlaylistEntry(base, entry.href);
            if (item.isEmpty())
                continue;
            const PlaylistKind nested = entry.isListRef ? PlaylistKind::Asx : sourceKind(item);
            if (nested == PlaylistKind::None)
                result.items.push_back({item, entry.isAlternative});
            else if (depth < kMaxDepth)
                expand(item, nested, depth + 1);
            else
                result.errors << QStringLiteral("播放列表嵌套过深：%1").arg(displayAddress(item));
        }
    }
};

} // namespace

std::optional<QByteArray> fetchPlaylistBytes(const QUrl& url, QString& error, const std::atomic<bool>* cancel,
                                             QUrl* finalUrl)
{
    if (finalUrl)
        *finalUrl = url;
    if (url.isLocalFile())
        return readFile(url, error);
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return fetchHttp(url, error, cancel, finalUrl);
    error = QStringLiteral("不支持的播放列表地址：%1").arg(displayAddress(url));
    return std::nullopt;
}

std::vector<PlaylistEntry> parsePlaylistText(PlaylistKind kind, QStringView text)
{
    // The other form is only tried when the text really looks like it, so that a broken ASX file
    // does not turn its markup lines into bogus addresses, nor markup into line entries.
    const bool looksLikeMarkup = text.trimmed().startsWith(u'<');
    if (kind == PlaylistKind::Asx) {
        std::vector<PlaylistEntry> entries = parseAsxPlaylist(text);
        if (entries.empty() && !looksLikeMarkup)
            return parseLinePlaylist(text);
        return entries;
    }
    return looksLikeMarkup ? parseAsxPlaylist(text) : parseLinePlaylist(text);
}

PlaylistKind sourceKind(const QUrl& url)
{
    const PlaylistKind named = playlistKindOf(url);
    if (named != PlaylistKind::None || !url.isLocalFile())
        return named;
    return sniffPlaylistFile(url.toLocalFile());
}

LoadedPlaylist loadPlaylist(const QUrl& url, PlaylistKind kind, const std::atomic<bool>* cancel)
{
    return loadPlaylist(url, kind, cancel, [cancel](const QUrl& list, QString& error, QUrl* finalUrl) {
        return fetchPlaylistBytes(list, error, cancel, finalUrl);
    });
}

LoadedPlaylist loadPlaylist(const QUrl& url, PlaylistKind kind, const std::atomic<bool>* cancel,
                            const PlaylistFetcher& fetch)
{
    Expander expander{cancel, fetch, {}, {}, false};
    if (kind == PlaylistKind::None)
        kind = sourceKind(url);
    if (kind == PlaylistKind::None)
        expander.result.items.push_back({url, false});
    else
        expander.expand(url, kind, 0);
    return std::move(expander.result);
}

} // namespace lanseek::platform
