#include "platform/media/playlist_text.h"

#include "platform/text/gbk.h"

#include <QStringDecoder>

#include <algorithm>
#include <string_view>

namespace lanseek::platform {

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u':' || c == u'.';
}

QString decodeCharacterReferences(QStringView v)
{
    if (!v.contains(u'&'))
        return v.toString();
    QString out;
    out.reserve(v.size());
    qsizetype i = 0;
    while (i < v.size()) {
        if (v[i] != u'&') {
            out += v[i++];
            continue;
        }
        const qsizetype semi = v.indexOf(u';', i);
        if (semi < 0 || semi - i > 10) {
            out += v[i++];
            continue;
        }
        const QStringView name = v.mid(i + 1, semi - i - 1);
        char32_t code = 0;
        if (name == u"amp")
            code = u'&';
        else if (name == u"lt")
            code = u'<';
        else if (name == u"gt")
            code = u'>';
        else if (name == u"quot")
            code = u'"';
        else if (name == u"apos")
            code = u'\'';
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint n = (name.size() > 1 && (name[1] == u'x' || name[1] == u'X'))
                               ? name.mid(2).toUInt(&ok, 16)
                               : name.mid(1).toUInt(&ok, 10);
            if (ok && n > 0 && n <= 0x10FFFF && !(n >= 0xD800 && n <= 0xDFFF))
                code = n;
        }
        if (code == 0) {
            out += v[i++];
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semi + 1;
    }
    return out;
}

// A double quote ends the value when the tag ends after it, a line break or a new tag follows, or
// whitespace and another attribute ("name=") follow. Any other quote belongs to an unescaped
// address.
bool endsQuotedValue(QStringView t, qsizetype q)
{
    qsizetype j = q + 1;
    while (j < t.size() && (t[j] == u' ' || t[j] == u'\t'))
        ++j;
    if (j >= t.size() || t[j] == u'\r' || t[j] == u'\n' || t[j] == u'>' || t[j] == u'<' ||
        (t[j] == u'/' && j + 1 < t.size() && t[j + 1] == u'>'))
        return true;
    if (j == q + 1)
        return false;
    qsizetype k = j;
    while (k < t.size() && isNameChar(t[k]))
        ++k;
    if (k == j)
        return false;
    while (k < t.size() && isSpace(t[k]))
        ++k;
    return k < t.size() && t[k] == u'=';
}

struct Attribute
{
    QString name; // lower case
    QString value;
};

// Reads the attributes of a start tag whose name ends just before `pos`; returns them and leaves
// `pos` after the tag's closing ">" (or at the end of the text for an unclosed tag).
std::vector<Attribute> readAttributes(QStringView t, qsizetype& pos)
{
    std::vector<Attribute> attrs;
    while (pos < t.size()) {
        while (pos < t.size() && (isSpace(t[pos]) || t[pos] == u'/'))
            ++pos;
        if (pos >= t.size())
            break;
        if (t[pos] == u'>') {
            ++pos;
            break;
        }
        if (t[pos] == u'<') // a new tag begins: this one was never closed
            break;
        const qsizetype nameStart = pos;
        while (pos < t.size() && !isSpace(t[pos]) && t[pos] != u'=' && t[pos] != u'>' && t[pos] != u'/' &&
               t[pos] != u'<')
            ++pos;
        if (pos == nameStart) {
            ++pos;
            continue;
        }
        Attribute a{t.mid(nameStart, pos - nameStart).toString().toLower(), {}};
        qsizetype p = pos;
        while (p < t.size() && isSpace(t[p]))
            ++p;
        if (p < t.size() && t[p] == u'=') {
            ++p;
            while (p < t.size() && isSpace(t[p]))
                ++p;
            if (p < t.size() && (t[p] == u'"' || t[p] == u'\'')) {
                const QChar quote = t[p];
                const qsizetype start = p + 1;
                // Addresses never span lines, so the value ends on the line it starts on: at the
                // first quote that can end it, else at the line's last quote, else at the line end.
                qsizetype lineEnd = start;
                while (lineEnd < t.size() && t[lineEnd] != u'\n' && t[lineEnd] != u'\r')
                    ++lineEnd;
                qsizetype end = -1;
                qsizetype lastQuote = -1;
                for (qsizetype q = start; q < lineEnd; ++q) {
                    if (t[q] != quote)
                        continue;
                    lastQuote = q;
                    if (quote == u'\'' || endsQuotedValue(t, q)) {
                        end = q;
                        break;
                    }
                }
                if (end < 0)
                    end = lastQuote;
                if (end < 0) {
                    a.value = decodeCharacterReferences(t.mid(start, lineEnd - start));
                    pos = lineEnd;
                } else {
                    a.value = decodeCharacterReferences(t.mid(start, end - start));
                    pos = end + 1;
                }
            } else {
                const qsizetype start = p;
                while (p < t.size() && !isSpace(t[p]) && t[p] != u'>')
                    ++p;
                QStringView bare = t.mid(start, p - start);
                if (bare.endsWith(u'/') && p < t.size() && t[p] == u'>')
                    bare.chop(1);
                a.value = decodeCharacterReferences(bare);
                pos = p;
            }
        }
        attrs.push_back(std::move(a));
    }
    return attrs;
}

} // namespace

QString decodePlaylistText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromGbk(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

std::vector<QStringView> listLines(QStringView text)
{
    std::vector<QStringView> lines;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView line = text.mid(i, end - i).trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            lines.push_back(line);
        i = end;
        if (i < text.size() && text[i] == u'\r')
            ++i;
        if (i < text.size() && text[i] == u'\n')
            ++i;
    }
    return lines;
}

std::vector<PlaylistEntry> parseLinePlaylist(QStringView text)
{
    std::vector<PlaylistEntry> entries;
    for (QStringView line : listLines(text))
        entries.push_back({line.toString(), false});
    return entries;
}

std::vector<PlaylistEntry> parseAsxPlaylist(QStringView t)
{
    std::vector<PlaylistEntry> entries;
    bool inEntry = false;
    int refsInEntry = 0;
    qsizetype pos = 0;
    while (pos < t.size()) {
        const qsizetype lt = t.indexOf(u'<', pos);
        if (lt < 0)
            break;
        if (t.mid(lt).startsWith(u"<!--")) {
            const qsizetype close = t.indexOf(u"-->", lt + 4);
            pos = close < 0 ? t.size() : close + 3;
            continue;
        }
        qsizetype p = lt + 1;
        while (p < t.size() && isSpace(t[p]))
            ++p;
        const bool closing = p < t.size() && t[p] == u'/';
        if (closing)
            ++p;
        const qsizetype nameStart = p;
        while (p < t.size() && isNameChar(t[p]))
            ++p;
        const QStringView name = t.mid(nameStart, p - nameStart);
        // An entry without its end tag ends where the next one begins.
        if (name.compare(u"entry", Qt::CaseInsensitive) == 0) {
            inEntry = !closing;
            refsInEntry = 0;
            pos = p;
            continue;
        }
        if (closing) {
            pos = p;
            continue;
        }
        const bool isRef = name.compare(u"ref", Qt::CaseInsensitive) == 0;
        const bool isEntryRef = name.compare(u"entryref", Qt::CaseInsensitive) == 0;
        if (!isRef && !isEntryRef) {
            pos = lt + 1;
            continue;
        }
        pos = p;
        for (const Attribute& a : readAttributes(t, pos)) {
            if (a.name == u"href") {
                const QString href = a.value.trimmed();
                if (!href.isEmpty()) {
                    entries.push_back({href, isEntryRef, isRef && inEntry && refsInEntry > 0});
                    if (isRef && inEntry)
                        ++refsInEntry;
                }
                break;
            }
        }
    }
    return entries;
}

} // namespace lanseek::platform
