#include "fuzz_playlist_entries.h"

#include "platform/media/media_source.h"
#include "platform/media/playlist_loader.h"
#include "platform/media/playlist_sniff.h"
#include "platform/media/playlist_text.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace lanseek::platform::fuzz {

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "play list reader broke its promise: %s\n", what);
        std::abort();
    }
}

void checkLineEntries(const std::vector<PlaylistEntry>& entries)
{
    for (const PlaylistEntry& e : entries) {
        require(!e.href.isEmpty(), "a line entry is empty");
        require(e.href == e.href.trimmed(), "a line entry keeps surrounding whitespace");
        require(!e.href.contains(u'\n') && !e.href.contains(u'\r'), "a line entry spans lines");
        require(!e.href.startsWith(u'#'), "a comment line became an entry");
        require(!e.isListRef && !e.isAlternative, "a line entry carries ASX marks");
    }
}

void checkAsxEntries(const std::vector<PlaylistEntry>& entries)
{
    for (const PlaylistEntry& e : entries) {
        require(!e.href.isEmpty(), "an ASX entry is empty");
        require(e.href == e.href.trimmed(), "an ASX entry keeps surrounding whitespace");
        require(!(e.isListRef && e.isAlternative), "an entryref is marked as a fallback");
    }
}

void useEntries(const std::vector<PlaylistEntry>& entries)
{
    static const QUrl localList = QUrl::fromLocalFile(QStringLiteral("/nonexistent/lists/list.asx"));
    static const QUrl webList(QStringLiteral("http://127.0.0.1:9/lists/list.asx"));
    size_t used = 0;
    for (const PlaylistEntry& e : entries) {
        if (++used > 64)
            break;
        for (const QUrl& base : {localList, webList}) {
            // An entry may name nothing ("file:" alone); the loader skips those.
            const QUrl url = resolvePlaylistEntry(base, e.href);
            if (url.isEmpty())
                continue;
            if (url.isLocalFile())
                require(!url.toLocalFile().isEmpty(), "a local entry has no path");
            (void)displayAddress(url);
            (void)playlistKindOf(url);
            (void)url.toEncoded();
        }
    }
}

// The list file the loader reads: one per process, rewritten for every input, removed at exit.
QString listPath()
{
    static const QTemporaryDir folder;
    return folder.filePath(QStringLiteral("list"));
}

} // namespace

void playlistBytes(const uint8_t* data, size_t size)
{
    // Qt warns about every path that holds a NUL character; millions of such lines only slow the run.
    static const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
            if (type == QtFatalMsg)
                std::abort();
        });
    (void)previous;
    if (size < 1)
        return;
    static const PlaylistKind kinds[] = {PlaylistKind::None, PlaylistKind::Rpm, PlaylistKind::Ram,
                                         PlaylistKind::Asx};
    const PlaylistKind kind = kinds[data[0] % 4];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const QString text = decodePlaylistText(bytes);
    const std::vector<PlaylistEntry> lines = parseLinePlaylist(text);
    checkLineEntries(lines);
    const std::vector<PlaylistEntry> asx = parseAsxPlaylist(text);
    checkAsxEntries(asx);
    useEntries(lines);
    useEntries(asx);
    for (PlaylistKind k : {PlaylistKind::Rpm, PlaylistKind::Ram, PlaylistKind::Asx}) {
        const std::vector<PlaylistEntry> entries = parsePlaylistText(k, text);
        require(entries == lines || entries == asx, "the chosen reader gave entries of neither form");
    }

    const PlaylistKind whole = sniffPlaylistKind(bytes, true);
    require(whole == PlaylistKind::None || whole == PlaylistKind::Rpm || whole == PlaylistKind::Asx,
            "sniffing gave a kind it never decides");
    if (whole == PlaylistKind::Asx)
        require(text.trimmed().startsWith(QLatin1StringView("<asx"), Qt::CaseInsensitive),
                "a text not starting with <asx was sniffed as ASX");
    if (whole == PlaylistKind::Rpm)
        require(!lines.empty(), "a text without addresses was sniffed as an address list");
    (void)sniffPlaylistKind(bytes, false);

    // The whole loader, through a real file, as the player reads a list from disk.
    const QString path = listPath();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return;
    file.close();
    // Lists named on the web are served the same bytes, so that nesting through web addresses is
    // read too; nothing leaves the process.
    int webLists = 0;
    const auto fetch = [&bytes, &webLists](const QUrl& url, QString& error,
                                           QUrl* finalUrl) -> std::optional<QByteArray> {
        if (url.isLocalFile())
            return fetchPlaylistBytes(url, error, nullptr, finalUrl);
        const QString scheme = url.scheme().toLower();
        // A few levels are enough to reach every path of the loader; the limit on lists read is
        // tested on its own.
        if ((scheme == u"http" || scheme == u"https") && ++webLists <= 8)
            return bytes;
        error = QStringLiteral("unsupported");
        return std::nullopt;
    };
    const LoadedPlaylist list = loadPlaylist(QUrl::fromLocalFile(path), kind, nullptr, fetch);
    for (const MediaItem& item : list.items)
        require(!item.url.isEmpty(), "the loader returned an empty item");
}

} // namespace lanseek::platform::fuzz
