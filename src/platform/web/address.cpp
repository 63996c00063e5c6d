#include "platform/web/address.h"

#include "platform/text/gbk.h"

#include <QFileInfo>
#include <QUrl>

#include <cctype>

namespace lanseek::platform {

namespace {

bool isUrlWhitespace(QChar c)
{
    return c.unicode() <= 0x20;
}

QString trimmedUrl(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isUrlWhitespace(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isUrlWhitespace(text.at(end - 1))) {
        --end;
    }
    QString out = text.mid(begin, end - begin);
    // Browsers drop tabs and line breaks anywhere inside an address, so hrefs that pages wrap still work.
    out.remove(QLatin1Char('\t'));
    out.remove(QLatin1Char('\n'));
    out.remove(QLatin1Char('\r'));
    return out;
}

// Length of the scheme including its colon, or 0 when the text does not start with one.
qsizetype schemeLength(const QString& text)
{
    if (text.isEmpty() || !(text.at(0).isLetter() && text.at(0).unicode() < 0x80)) {
        return 0;
    }
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u':') {
            return i + 1;
        }
        const bool ok =
            (c < 0x80 && std::isalnum(static_cast<int>(c))) || c == u'+' || c == u'-' || c == u'.';
        if (!ok) {
            return 0;
        }
    }
    return 0;
}

bool isHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

void appendEncoded(std::string& out, const std::string& bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        bool encode = b >= 0x80 || b <= 0x20 || b == 0x7F;
        switch (b) {
        case '"':
        case '<':
        case '>':
        case '\\':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
            encode = true;
            break;
        case '%':
            encode = !(i + 2 < bytes.size() && isHex(bytes[i + 1]) && isHex(bytes[i + 2]));
            break;
        default:
            break;
        }
        if (encode) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += static_cast<char>(b);
        }
    }
}

struct Parts
{
    QString scheme;    // with its colon
    QString authority; // with its leading "//", empty when absent
    QString path;
    QString query;    // with its '?', empty when absent
    QString fragment; // with its '#', empty when absent
    bool hasAuthority = false;
};

Parts split(const QString& address)
{
    Parts p;
    const qsizetype s = schemeLength(address);
    p.scheme = address.left(s);
    QString rest = address.mid(s);
    const qsizetype hash = rest.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        p.fragment = rest.mid(hash);
        rest.truncate(hash);
    }
    const qsizetype question = rest.indexOf(QLatin1Char('?'));
    if (question >= 0) {
        p.query = rest.mid(question);
        rest.truncate(question);
    }
    if (rest.startsWith(QLatin1String("//"))) {
        p.hasAuthority = true;
        const qsizetype slash = rest.indexOf(QLatin1Char('/'), 2);
        p.authority = slash < 0 ? rest : rest.left(slash);
        p.path = slash < 0 ? QString() : rest.mid(slash);
    } else {
        p.path = rest;
    }
    return p;
}

// RFC 3986 section 5.2.4, on whole segments.
QString removeDotSegments(const QString& path)
{
    if (!path.contains(QLatin1Char('.'))) {
        return path;
    }
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList segments = path.split(QLatin1Char('/'));
    QStringList out;
    for (qsizetype i = absolute ? 1 : 0; i < segments.size(); ++i) {
        const QString& seg = segments.at(i);
        const bool last = i + 1 == segments.size();
        if (seg == QLatin1String(".")) {
            if (last) {
                out.append(QString());
            }
        } else if (seg == QLatin1String("..")) {
            if (!out.isEmpty()) {
                out.removeLast();
            }
            if (last) {
                out.append(QString());
            }
        } else {
            out.append(seg);
        }
    }
    QString joined = out.join(QLatin1Char('/'));
    return absolute ? QLatin1Char('/') + joined : joined;
}

} // namespace

std::string wireAddress(const QString& address)
{
    const Parts p = split(trimmedUrl(address));
    std::string out = p.scheme.toStdString();
    // The host carries no escapes; it is passed on as UTF-8 and a name that cannot be resolved fails later.
    const QByteArray authority = p.authority.toUtf8();
    appendEncoded(out, std::string(authority.constData(), static_cast<size_t>(authority.size())));
    QString path = p.path;
    if (p.hasAuthority && path.isEmpty()) {
        path = QStringLiteral("/");
    }
    appendEncoded(out, toGbk(path + p.query));
    return out;
}

QString resolveAddress(const QString& base, const QString& href)
{
    const QString ref = trimmedUrl(href);
    if (schemeLength(ref) > 0) {
        return ref;
    }
    const Parts b = split(trimmedUrl(base));
    if (b.scheme.isEmpty()) {
        // Nothing to resolve against; the href is all there is.
        return ref;
    }
    const QString origin = b.scheme + b.authority;
    if (ref.startsWith(QLatin1String("//"))) {
        return b.scheme + ref;
    }
    if (ref.isEmpty()) {
        return origin + b.path + b.query;
    }
    if (ref.startsWith(QLatin1Char('#'))) {
        return origin + b.path + b.query + ref;
    }
    if (ref.startsWith(QLatin1Char('?'))) {
        return origin + b.path + ref;
    }
    // Separate the reference's own query and fragment: only its path takes part in dot removal.
    qsizetype tail = ref.size();
    for (QChar c : {QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype at = ref.indexOf(c);
        if (at >= 0 && at < tail) {
            tail = at;
        }
    }
    const QString refPath = ref.left(tail);
    const QString refTail = ref.mid(tail);
    if (refPath.startsWith(QLatin1Char('/'))) {
        return origin + removeDotSegments(refPath) + refTail;
    }
    QString merged;
    if (b.hasAuthority && b.path.isEmpty()) {
        merged = QLatin1Char('/') + refPath;
    } else {
        merged = b.path.left(b.path.lastIndexOf(QLatin1Char('/')) + 1) + refPath;
    }
    return origin + removeDotSegments(merged) + refTail;
}

bool isFileAddress(const QString& address)
{
    return trimmedUrl(address).startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

QString localPathOf(const QString& fileAddress)
{
    QString rest = fileAddress.trimmed().mid(5); // after "file:"
    if (rest.startsWith(QLatin1String("//localhost/"), Qt::CaseInsensitive)) {
        rest = rest.mid(11);
    }
    qsizetype slashes = 0;
    while (slashes < rest.size() &&
           (rest.at(slashes) == QLatin1Char('/') || rest.at(slashes) == QLatin1Char('\\'))) {
        ++slashes;
    }
    rest = rest.mid(slashes);
#ifdef Q_OS_WIN
    const QString literal = rest;
#else
    const QString literal = QLatin1Char('/') + rest;
#endif
    if (QFileInfo::exists(literal)) {
        return literal;
    }
    QString asUrl = literal;
    for (QChar c : {QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype at = asUrl.indexOf(c);
        if (at >= 0) {
            asUrl.truncate(at);
        }
    }
    asUrl = QUrl::fromPercentEncoding(asUrl.toUtf8());
    if (QFileInfo::exists(asUrl)) {
        return asUrl;
    }
    return literal;
}

} // namespace lanseek::platform
