#pragma once

// How a player object's source value becomes an address the playback engine can open, and how the
// entries of a playlist are resolved against the list they came from.

#include <QString>
#include <QUrl>

namespace lanseek::platform {

enum class PlaylistKind { None, Rpm, Ram, Asx };

// Turns a source value as a page writes it into an openable address. Pages append a native path to
// "file:///" unchanged, so "file:////home/a b/歌.rpm" and "file:///home/x.asx" must both work; the path
// part is taken literally (a "%" in a file name stays a "%") unless only its percent-decoded form
// exists. Surrounding whitespace is dropped. Other schemes pass through in tolerant form; a value
// without a scheme is a local path. Returns an empty QUrl for an empty value.
QUrl mediaUrlFromValue(const QString& value);

// The list kind named by the address's extension (case-insensitive), query and fragment ignored.
PlaylistKind playlistKindOf(const QUrl& url);

// Resolves one playlist entry against the list's own address: entries with a scheme stand alone,
// relative entries are taken relative to the folder (or web location) of the list. Returns an empty
// QUrl for an empty entry.
QUrl resolvePlaylistEntry(const QUrl& listUrl, const QString& entry);

// A short human-readable form for the control's title line: a native path for files, the decoded
// address otherwise.
QString displayAddress(const QUrl& url);

} // namespace lanseek::platform
