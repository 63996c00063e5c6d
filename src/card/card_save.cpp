#include "card/card_save.h"

#include <QUrl>

namespace lanseek::card {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The start of the first "<body" tag (any case) that is a tag of its own, not the start of a longer name.
qsizetype bodyTagStart(const QByteArray& page)
{
    const QByteArray lower = page.toLower();
    for (qsizetype at = lower.indexOf("<body"); at >= 0; at = lower.indexOf("<body", at + 1)) {
        const qsizetype after = at + 5;
        if (after >= page.size() || isSpace(page[after]) || page[after] == '>' || page[after] == '/')
            return at;
    }
    return -1;
}

} // namespace

QString companionFolderName(const QString& pageFileName)
{
    QString base = pageFileName;
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return base + QStringLiteral("_files");
}

std::optional<ByteSpan> findBodyBackground(const QByteArray& page)
{
    const qsizetype start = bodyTagStart(page);
    if (start < 0)
        return std::nullopt;
    qsizetype at = start + 5;
    const qsizetype end = page.size();
    // Attributes as HTML writes them: a name, then optionally "=" and a quoted or unquoted value.
    while (at < end) {
        while (at < end && (isSpace(page[at]) || page[at] == '/'))
            ++at;
        if (at >= end || page[at] == '>')
            return std::nullopt;
        const qsizetype nameStart = at;
        while (at < end && !isSpace(page[at]) && page[at] != '=' && page[at] != '>')
            ++at;
        const QByteArray name = page.mid(nameStart, at - nameStart).toLower();
        while (at < end && isSpace(page[at]))
            ++at;
        if (at >= end || page[at] != '=')
            continue; // an attribute without a value
        ++at;
        while (at < end && isSpace(page[at]))
            ++at;
        ByteSpan value;
        if (at < end && (page[at] == '"' || page[at] == '\'')) {
            const char quote = page[at];
            value.start = at + 1;
            const qsizetype close = page.indexOf(quote, value.start);
            if (close < 0)
                return std::nullopt; // an unterminated value: nothing trustworthy to rewrite
            value.length = close - value.start;
            at = close + 1;
        } else {
            value.start = at;
            while (at < end && !isSpace(page[at]) && page[at] != '>')
                ++at;
            value.length = at - value.start;
        }
        if (name == "background")
            return value;
    }
    return std::nullopt;
}

QByteArray withBackground(const QByteArray& page, const ByteSpan& span, const QByteArray& reference)
{
    QByteArray result = page;
    result.replace(span.start, span.length, reference);
    return result;
}

QByteArray companionReference(const QString& folderName, const QString& pictureFileName)
{
    return QUrl::toPercentEncoding(folderName) + '/' + QUrl::toPercentEncoding(pictureFileName);
}

} // namespace lanseek::card
