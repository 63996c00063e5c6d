#pragma once

// Telling a play list from a media file by its first bytes, for lists whose name does not say what
// they are: a list saved under a name without ".rpm" or ".asx" must still play as a list.

#include "platform/media/media_source.h"

#include <QByteArray>
#include <QString>

namespace lanseek::platform {

// How much of a file is looked at. Lists are short texts; a media file shows itself as binary long
// before this.
inline constexpr qsizetype kSniffBytes = 16 * 1024;

// The kind of list that `head` (the first bytes of a file, at most kSniffBytes) begins, or
// PlaylistKind::None for anything else. `complete` says that `head` is the whole file; otherwise its
// last line may be cut short and is not judged.
//
// An ASX list starts, after an optional byte-order mark and whitespace, with "<asx" in any case. A
// text whose lines are all addresses or paths (blank lines and "#" comments aside, at least one
// address) is an RPM list. Anything with control bytes or text that does not decode is media.
PlaylistKind sniffPlaylistKind(const QByteArray& head, bool complete);

// Reads the start of a local file and sniffs it; PlaylistKind::None when it cannot be read.
PlaylistKind sniffPlaylistFile(const QString& path);

} // namespace lanseek::platform
