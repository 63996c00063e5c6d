#pragma once

// The generated player pages and the side files they point to. Every function returns the lines of a
// text file; the caller writes them in GBK with CR LF after each. Addresses and paths are written as
// they are: nothing is escaped, so the page view that shows these pages must treat them as data.

#include "playback/play_list.h"

#include <QString>

#include <vector>

namespace lanseek::playback {

// The class IDs by which a page asks for one of the two players.
inline const QString kRealPlayerClassId = QStringLiteral("clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA");
inline const QString kWindowsMediaClassId = QStringLiteral("CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95");

// Where a page says the Windows Media kind of player can be fetched from. The host is a reserved,
// never-resolving name: our player is built in, so nothing is ever downloaded from there.
inline const QString kPlayerCodebase = QStringLiteral("http://activex.invalid/activex/controls/mplayer/en/");

// The page files and side files, all in the program folder.
inline const QString kRealPlayerPage = QStringLiteral("1.html");
inline const QString kWindowsMediaPage = QStringLiteral("2.html");
inline const QString kRealPlayerSideFile = QStringLiteral("1.rpm");
inline const QString kWindowsMediaSideFile = QStringLiteral("winmedia.asx");

// How far showing a page shortens a tall play list.
inline constexpr int kRealPlayerReduction = 70;
inline constexpr int kWindowsMediaReduction = 75;
inline constexpr int kLoadedPageReduction = 70;

// A local path as the pages address it: the path is appended unchanged, native separators and all.
QString fileAddress(const QString& nativePath);

// The RealMedia player object, from its OBJECT line to "</OBJECT>". `source` is the whole SRC value.
std::vector<QString> realPlayerObjectLines(int width, const QString& center, const QString& source);

// Whether the Windows Media object asks for its status line or leaves an empty line in its place.
enum class StatusLine { Shown, Omitted };

// The Windows Media player object, from its OBJECT line to "</OBJECT>". `source` is the whole fileName
// value. The CODEBASE value spans two lines on purpose: players read it that way.
std::vector<QString> windowsMediaObjectLines(int width, int height, const QString& source,
                                             StatusLine statusLine);

// The whole RealMedia page playing "file:///" + `path`.
std::vector<QString> realPlayerPage(int width, const QString& center, const QString& path);
// The whole Windows Media page playing "file:///" + `path`.
std::vector<QString> windowsMediaPage(int height, const QString& path);

// One address per row, in list order.
std::vector<QString> rpmLines(const std::vector<SongEntry>& rows);
// An ASX 3.0 list: header, title, three lines per row, closing tag (3n + 3 lines).
std::vector<QString> asxLines(const std::vector<SongEntry>& rows, const QString& title);

// Everything play-online writes and shows for a play list.
struct PlayOnlinePlan
{
    PlayerKind player = PlayerKind::WindowsMedia;
    QString sideFile; // file name in the program folder
    std::vector<QString> sideLines;
    QString page;
    std::vector<QString> pageLines;
    int reduction = 0;
};

// `rows` is the whole play list (not empty); `programFolder` ends in a separator.
PlayOnlinePlan playOnlinePlan(const std::vector<SongEntry>& rows, const QString& programFolder);

} // namespace lanseek::playback
