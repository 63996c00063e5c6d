#pragma once

// Saving the play list as a playlist file and loading one back: the formats, the proposed file name,
// how a loaded file becomes play list rows, and the GBK text files underneath.

#include "playback/play_list.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace lanseek::playback {

inline const QString kSaveFilter = QStringLiteral("real播放列表(*.rpm)|*.rpm|winmedia播放列表(*.asx)|*.asx");
inline const QString kLoadFilter = QStringLiteral(
    "real列表(*.rpm);winmedia列表(*.asx)|*.rpm;*.asx|winmedia列表(*.asx)|*.asx|real列表(*.rpm)|*.rpm");
inline const QString kSavedAsxTitle = QStringLiteral("playlist");

enum class PlaylistFormat { Rpm, Asx };

// RealMedia play lists are saved as RPM, all others as ASX; the first row's type decides.
PlaylistFormat saveFormatForType(const QString& type);

// The lines a saved play list file holds.
std::vector<QString> savedPlaylistLines(const std::vector<SongEntry>& rows, PlaylistFormat format);

// Blanks and control characters (everything up to U+0020, and DEL) removed from both ends.
QString trimBlanksAndControls(const QString& text);

// The name the save dialog proposes: the date (a prefix that every file system accepts), the search
// text trimmed, and ".rpm" or ".asx". Path separators in the search text become "_", so the proposal
// always names a file rather than a folder path.
QString proposedSaveName(const QDate& date, const QString& searchText, PlaylistFormat format);

// Splits text into lines at CR LF, a lone CR or a lone LF; a break at the very end adds no empty line.
QStringList splitTextLines(const QString& text);

// A loaded file is an RPM list when the last three characters of its path, upper-cased, read "RPM";
// anything else is read as an ASX list.
PlaylistFormat loadFormatForPath(const QString& path);

// The play list rows a loaded file gives: every line of an RPM list; of an ASX list the line at index
// 3k for k = 1 .. (lines - 1) / 3, which is where the save command puts each reference. Rows carry the
// whole line as their caption and nothing else.
std::vector<SongEntry> loadedPlaylistRows(PlaylistFormat format, const QStringList& lines);

// The page that plays a loaded file, and its name: "1.html" for RPM, "2.html" for ASX.
struct LoadedPage
{
    QString page;
    std::vector<QString> lines;
};
LoadedPage loadedPlaylistPage(PlaylistFormat format, const QString& chosenPath);

// Writes the lines in GBK, CR LF after every line, replacing an existing file. Throws a play-list-file
// Failure naming the path when the file cannot be written.
void writeTextLines(const QString& path, const std::vector<QString>& lines);

// Reads a GBK text file as lines (see splitTextLines). Throws a play-list-file Failure naming the path
// when the file cannot be read.
QStringList readTextLines(const QString& path);

} // namespace lanseek::playback
