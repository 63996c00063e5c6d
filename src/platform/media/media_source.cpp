#include "platform/media/media_source.h"

#include <QDir>
#include <QFileInfo>

namespace lanseek::platform {

namespace {

bool startsWithCi(const QString& s, QLatin1StringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

// "scheme://..." with a scheme of at least two characters.
bool hasSchemePrefix(const QString& s)
{
    const qsizetype colon = s.indexOf(u':');
    if (colon < 2 || !s.mid(colon + 1).startsWith(u"//"))
        return false;
    if (!s.at(0).isLetter())
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = s.at(i);
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return true;
}

// The literal path wins when it exists; a path that only exists once percent-decoded was written as
// a proper file URI. When neither exists the literal path is kept so the error names what was written.
QString chooseLocalPath(const QString& literal)
{
    if (QFileInfo::exists(literal))
        return literal;
    const QString decoded = QUrl::fromPercentEncoding(literal.toUtf8());
    if (decoded != literal && QFileInfo::exists(decoded))
        return decoded;
    return literal;
}

QUrl localFileUrl(QString path)
{
    // Leading slashes beyond the first name the root all the same here, but a file address would take
    // "//name/" for a host and lose the path.
    qsizetype slashes = 0;
    while (slashes < path.size() && path.at(slashes) == u'/')
        ++slashes;
    if (slashes > 1)
        path.remove(0, slashes - 1);
    return QUrl::fromLocalFile(chooseLocalPath(path));
}

QString pathFromFileValue(const QString& value)
{
    QString rest = value.mid(5); // after "file:"
    if (startsWithCi(rest, QLatin1StringView("//localhost/")))
        rest = rest.mid(11);
    qsizetype slashes = 0;
    while (slashes < rest.size() && (rest.at(slashes) == u'/' || rest.at(slashes) == u'\\'))
        ++slashes;
    if (slashes == 0)
        return rest;
    return u'/' + rest.mid(slashes);
}

} // namespace

QUrl mediaUrlFromValue(const QString& value)
{
    const QString v = value.trimmed();
    if (v.isEmpty())
        return {};
    if (startsWithCi(v, QLatin1StringView("file:"))) {
        const QString path = pathFromFileValue(v);
        return localFileUrl(path.startsWith(u'/') ? path : QFileInfo(path).absoluteFilePath());
    }
    if (hasSchemePrefix(v))
        return QUrl(v, QUrl::TolerantMode);
    if (v.startsWith(u'/'))
        return localFileUrl(v);
    return localFileUrl(QFileInfo(v).absoluteFilePath());
}

PlaylistKind playlistKindOf(const QUrl& url)
{
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0)
        return PlaylistKind::None;
    const QString ext = path.mid(dot + 1).trimmed().toLower();
    if (ext == u"rpm")
        return PlaylistKind::Rpm;
    if (ext == u"ram")
        return PlaylistKind::Ram;
    if (ext == u"asx" || ext == u"wax" || ext == u"wvx")
        return PlaylistKind::Asx;
    return PlaylistKind::None;
}

QUrl resolvePlaylistEntry(const QUrl& listUrl, const QString& entry)
{
    const QString e = entry.trimmed();
    if (e.isEmpty())
        return {};
    if (startsWithCi(e, QLatin1StringView("file:")) || hasSchemePrefix(e))
        return mediaUrlFromValue(e);
    if (listUrl.isLocalFile()) {
        if (e.startsWith(u'/'))
            return localFileUrl(e);
        const QString folder = QFileInfo(listUrl.toLocalFile()).absolutePath();
        return localFileUrl(QDir::cleanPath(QDir(folder).filePath(e)));
    }
    return listUrl.resolved(QUrl(e, QUrl::TolerantMode));
}

QString displayAddress(const QUrl& url)
{
    if (url.isLocalFile())
        return QDir::toNativeSeparators(url.toLocalFile());
    return url.toDisplayString();
}

} // namespace lanseek::platform
