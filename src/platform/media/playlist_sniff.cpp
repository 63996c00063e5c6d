#include "platform/media/playlist_sniff.h"

#include "platform/media/playlist_text.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>

#include <algorithm>

namespace lanseek::platform {

namespace {

// An address line longer than this is not an address.
constexpr qsizetype kMaxLineLength = 4096;

// Bytes that never occur in a text list; media formats are full of them.
bool isBinaryByte(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F;
}

bool hasScheme(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 2 || !line.at(0).isLetter())
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = line.at(i);
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return line.mid(colon + 1).startsWith(u"//") && line.size() > colon + 3;
}

bool isAbsolutePath(QStringView line)
{
    if (line.startsWith(u'/') || line.startsWith(u'\\'))
        return line.size() > 1;
    // A drive path, as lists written on another system carry them.
    return line.size() > 3 && line.at(0).isLetter() && line.at(1) == u':' &&
           (line.at(2) == u'\\' || line.at(2) == u'/');
}

// A relative path names a file: its last part has an extension that starts with a letter, so that
// ordinary sentences and numbers ("version 1.2") are not taken for file names.
bool isRelativeFileName(QStringView line)
{
    qsizetype start = line.size();
    while (start > 0 && line.at(start - 1) != u'/' && line.at(start - 1) != u'\\')
        --start;
    const QStringView name = line.mid(start);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return false;
    const QStringView extension = name.mid(dot + 1);
    if (extension.isEmpty() || extension.size() > 5 || !extension.at(0).isLetter())
        return false;
    for (QChar c : extension)
        if (!c.isLetterOrNumber())
            return false;
    return true;
}

bool isAddressLine(QStringView line)
{
    if (line.size() > kMaxLineLength || line.contains(u'<') || line.contains(u'>'))
        return false;
    if (line.startsWith(QLatin1StringView("file:"), Qt::CaseInsensitive))
        return line.size() > 5;
    return hasScheme(line) || isAbsolutePath(line) || isRelativeFileName(line);
}

bool startsAsx(QStringView text)
{
    const QStringView t = text.trimmed();
    if (!t.startsWith(QLatin1StringView("<asx"), Qt::CaseInsensitive))
        return false;
    if (t.size() == 4)
        return true;
    const QChar next = t.at(4);
    return next.isSpace() || next == u'>' || next == u'/';
}

bool isAddressList(QStringView text)
{
    const std::vector<QStringView> lines = listLines(text);
    return !lines.empty() && std::all_of(lines.begin(), lines.end(), isAddressLine);
}

} // namespace

PlaylistKind sniffPlaylistKind(const QByteArray& head, bool complete)
{
    QByteArray bytes = head.left(kSniffBytes);
    if (bytes.size() < head.size())
        complete = false;
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    QString text = decodePlaylistText(bytes);
    if (utf16) {
        for (QChar c : text)
            if (c.unicode() < 0x80 && isBinaryByte(static_cast<unsigned char>(c.unicode())))
                return PlaylistKind::None;
    } else {
        const qsizetype skip = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        for (qsizetype i = skip; i < bytes.size(); ++i)
            if (isBinaryByte(static_cast<unsigned char>(bytes[i])))
                return PlaylistKind::None;
    }
    if (startsAsx(text))
        return PlaylistKind::Asx;
    if (!complete) {
        // The last line may be cut inside a character or an address; judge the whole lines only.
        // Bytes are cut before decoding, so that a character cut in two cannot change how the rest
        // decodes.
        if (utf16) {
            text.truncate(std::max(text.lastIndexOf(u'\n'), text.lastIndexOf(u'\r')) + 1);
        } else {
            bytes.truncate(std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r')) + 1);
            text = decodePlaylistText(bytes);
        }
    }
    // A replacement character means the bytes were no text in any encoding a list is written in.
    if (text.contains(QChar::ReplacementCharacter))
        return PlaylistKind::None;
    return isAddressList(text) ? PlaylistKind::Rpm : PlaylistKind::None;
}

PlaylistKind sniffPlaylistFile(const QString& path)
{
    // Only regular files: opening a pipe or a device named in a list would wait for a writer, or read
    // for ever.
    if (!QFileInfo(path).isFile())
        return PlaylistKind::None;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PlaylistKind::None;
    const QByteArray head = file.read(kSniffBytes);
    return sniffPlaylistKind(head, file.atEnd());
}

} // namespace lanseek::platform
