#include "playback/playlist_files.h"

#include "platform/model/failure.h"
#include "platform/text/gbk.h"
#include "playback/player_pages.h"

#include <QFile>

#include <filesystem>
#include <stdexcept>

namespace lanseek::playback {

PlaylistFormat saveFormatForType(const QString& type)
{
    return playerKindForType(type) == PlayerKind::RealMedia ? PlaylistFormat::Rpm : PlaylistFormat::Asx;
}

std::vector<QString> savedPlaylistLines(const std::vector<SongEntry>& rows, PlaylistFormat format)
{
    return format == PlaylistFormat::Rpm ? rpmLines(rows) : asxLines(rows, kSavedAsxTitle);
}

namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.unicode() == 0x7F;
}

} // namespace

QString trimBlanksAndControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString proposedSaveName(const QDate& date, const QString& searchText, PlaylistFormat format)
{
    QString text = trimBlanksAndControls(searchText);
    text.replace(QLatin1Char('/'), QLatin1Char('_'));
    text.replace(QLatin1Char('\\'), QLatin1Char('_'));
    const QString extension = format == PlaylistFormat::Rpm ? QStringLiteral(".rpm") : QStringLiteral(".asx");
    return date.toString(QStringLiteral("yyyy-MM-dd")) + text + extension;
}

QStringList splitTextLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

PlaylistFormat loadFormatForPath(const QString& path)
{
    return path.right(3).toUpper() == QLatin1String("RPM") ? PlaylistFormat::Rpm : PlaylistFormat::Asx;
}

std::vector<SongEntry> loadedPlaylistRows(PlaylistFormat format, const QStringList& lines)
{
    std::vector<SongEntry> rows;
    if (format == PlaylistFormat::Rpm) {
        for (const QString& line : lines)
            rows.push_back({line, -1, {}});
        return rows;
    }
    // Integer division truncates toward zero, so an empty file gives no entries, as do up to three lines.
    const qsizetype entries = (lines.size() - 1) / 3;
    for (qsizetype k = 1; k <= entries; ++k)
        rows.push_back({lines[3 * k], -1, {}});
    return rows;
}

LoadedPage loadedPlaylistPage(PlaylistFormat format, const QString& chosenPath)
{
    if (format == PlaylistFormat::Rpm)
        return {kRealPlayerPage, realPlayerPage(500, QStringLiteral("0"), chosenPath)};
    return {kWindowsMediaPage, windowsMediaPage(65, chosenPath)};
}

void writeTextLines(const QString& path, const std::vector<QString>& lines)
{
    try {
        platform::writeGbkLines(std::filesystem::path(path.toStdU16String()), lines);
    } catch (const std::runtime_error&) {
        // The writer's own text is for developers; the user is told in Chinese what failed and where.
        throw platform::Failure(platform::FailureKind::PlaylistFile, QStringLiteral("无法写入文件：") + path);
    }
}

QStringList readTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Failure(platform::FailureKind::PlaylistFile, QStringLiteral("无法读取文件：") + path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw platform::Failure(platform::FailureKind::PlaylistFile, QStringLiteral("无法读取文件：") + path);
    return splitTextLines(platform::fromGbk(std::string_view(bytes.constData(), bytes.size())));
}

} // namespace lanseek::playback
