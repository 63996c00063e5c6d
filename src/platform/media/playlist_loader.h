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

// Reads the list at `url` (of the given kind) and every list it names, up to a few levels deep,
// and returns the media items in order. A list that names itself (directly or through others) is
// read once.
LoadedPlaylist loadPlaylist(const QUrl& url, PlaylistKind kind, const std::atomic<bool>* cancel = nullptr);

// The entries of a list's text: the parser chosen by its kind, and the other one when the text
// turns out to be written in the other form (an ".rpm" holding ASX markup, an ".asx" of bare lines).
std::vector<PlaylistEntry> parsePlaylistText(PlaylistKind kind, QStringView text);

} // namespace lanseek::platform
