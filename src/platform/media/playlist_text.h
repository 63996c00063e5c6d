#pragma once

// Reading the text of playlist files: the line-per-address lists (".rpm", ".ram") and ASX lists.
// Both readers are tolerant: they take what they can recognise and never fail on bad input.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

namespace lanseek::platform {

struct PlaylistEntry
{
    QString href;
    // True for an ASX "entryref": the entry names another ASX list rather than a media item.
    bool isListRef = false;
    // True for a second or later <ref> of one ASX <entry>: a fallback for the refs before it, to be
    // tried only when they fail.
    bool isAlternative = false;

    bool operator==(const PlaylistEntry&) const = default;
};

// Decodes playlist bytes: a UTF-8 or UTF-16 byte-order mark decides when present; otherwise valid
// UTF-8 is taken as UTF-8 and anything else as GBK (read as GB18030, which agrees with GBK on every
// GBK byte sequence), since the program writes its lists in GBK.
QString decodePlaylistText(const QByteArray& bytes);

// The lines of a line list that name something: lines end with LF, CR LF or a lone CR, surrounding
// whitespace is trimmed, blank lines and lines starting with "#" are skipped. The views point into
// the text.
std::vector<QStringView> listLines(QStringView text);

// One address per line, the lines as listLines() reads them.
std::vector<PlaylistEntry> parseLinePlaylist(QStringView text);

// The href of every <ref> and <entryref> element in document order. Element and attribute names are
// matched case-insensitively, spaces may surround "=", values may be double-quoted, single-quoted or
// bare, comments are skipped and unclosed or misnested markup is tolerated. Addresses are written
// unescaped by the program, so a double quote inside a double-quoted value is kept when it is not
// followed by the end of the tag, a line break, a new tag or another attribute; a value never runs
// past the end of its line. Character references (&amp; &#38; ...) are decoded.
std::vector<PlaylistEntry> parseAsxPlaylist(QStringView text);

} // namespace lanseek::platform
