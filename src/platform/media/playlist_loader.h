#pragma once

// Loading a playlist into the flat list of items to play. Blocking: it reads files and fetches web
// addresses, so the player runs it on a helper thread.

#include "platform/media/media_source.h"
#include "platform/media/playlist_text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace lanseek::platform {

struct MediaItem
{
    QUrl url;
    // A fallback for the item before it (another source of the same ASX entry): played only when
    // that one fails, skipped when it plays.
    bool isAlternative = false;

    bool operator==(const MediaItem&) const = default;
};

struct LoadedPlaylist
{
    std::vector<MediaItem> items; // in play order, nested lists expanded in place
    QStringList errors;           // one line per list that could not be read; items may still be present
};

// Fetches the raw bytes of a list: a local file, or an http(s) address (redirects followed, bounded
// in time and size). `cancel`, when set, aborts a fetch in progress. Returns nothing and fills
// `error` with a message for the user on failure. `finalUrl`, when given, receives the address the
// bytes came from after redirects, against which relative entries resolve.
std::optional<QByteArray> fetchPlaylistBytes(const QUrl& url, QString& error,
                                             const std::atomic<bool>* cancel = nullptr,
                                             QUrl* finalUrl = nullptr);

// What an address names: the list kind its extension gives, else, for a local file, the kind its
// first bytes show (a list saved under another name); PlaylistKind::None for media. Reads the file.
PlaylistKind sourceKind(const QUrl& url);

// Reads the list at `url` (of the given kind) and every list it names, up to a few levels deep,
// and returns the media items in order. A list that names itself (directly or through others) is
// read once. With PlaylistKind::None the kind is found by sourceKind(); an address that is no list
// then gives itself as the only item.
LoadedPlaylist loadPlaylist(const QUrl& url, PlaylistKind kind, const std::atomic<bool>* cancel = nullptr);

// Reads one list's bytes; the same contract as fetchPlaylistBytes without the cancel flag.
using PlaylistFetcher =
    std::function<std::optional<QByteArray>(const QUrl& url, QString& error, QUrl* finalUrl)>;

// As above, with the lists read through `fetch` instead of from disk and the network.
LoadedPlaylist loadPlaylist(const QUrl& url, PlaylistKind kind, const std::atomic<bool>* cancel,
                            const PlaylistFetcher& fetch);

// The entries of a list's text: the parser chosen by its kind, and the other one when the text
// turns out to be written in the other form (an ".rpm" holding ASX markup, an ".asx" of bare lines).
std::vector<PlaylistEntry> parsePlaylistText(PlaylistKind kind, QStringView text);

} // namespace lanseek::platform
