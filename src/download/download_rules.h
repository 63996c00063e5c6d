#pragma once

// The download subsystem's small rules: worker tags and their labels, the status texts, target file
// names and paths, the probe's connect target, and the lines of a file report. No widgets, no I/O.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lanseek::download {

inline constexpr int kFileSlots = 3;
inline constexpr int kBarsPerSlot = 5;
inline constexpr int kProbeTag = 6789;

// State texts of an in-progress row.
inline const QString kStateRunning = QStringLiteral("正在下载");
inline const QString kStateEnded = QStringLiteral("下载结束");
inline const QString kStateDone = QStringLiteral("下载已经完成");
inline const QString kStateIncomplete = QStringLiteral("下载不完整");

// 100 x (slot + 1) + worker index.
int workerTag(int slot, int index);

// The file slot whose range (100 x (slot + 1) to 100 x (slot + 1) + 49) holds the tag, if any.
std::optional<int> slotOfTag(int tag);

// The byte counter of a worker tag: 5 x slot + index for the five labelled workers of each slot.
std::optional<int> counterOfTag(int tag);

// "文件" + (slot + 1) + "线程" + (index + 1) + "：" for the fifteen labelled tags; empty otherwise.
QString workerLabel(int tag);

// Whole KiB of a byte difference, truncated toward zero, + "k/s".
QString speedText(std::int64_t bytesDelta);

// "总耗时：" + seconds + "秒".
QString elapsedText(int seconds);

// A song name or type made safe to be one part of a file name: path separators, control characters and
// the byte the file system refuses are replaced by "_", and leading dots (so neither ".." nor a hidden
// name can come of it) as well. Everything else is kept, Chinese included.
QString safeNamePart(const QString& text);

// The same for the part after the name's dot (a type or extension): only separators and control
// characters are replaced, since that part never starts a name.
QString safeExtension(const QString& text);

// folder + name + "." + type, with name and type made safe; folder is taken as it is.
QString savePathFor(const QString& folder, const QString& name, const QString& type);

// Whether a row must be saved under its fallback name from the start: a song name that is empty or only
// dots (once blanks are trimmed), or a save path whose file name is empty or starts with a dot, would give
// a hidden file or none at all.
bool needsFallbackName(const QString& songName, const QString& savePath);

// A save path used by one song only. `taken` holds the (save path, download address) pairs of the rows
// that keep theirs before this one. When another song (a different address) already uses the path, the
// first of "name(2).type", "name(3).type", ... that no other song uses is returned (the number goes before
// the last dot of the file name); the same song keeps the path it shares with itself.
struct TakenPath
{
    QString path;
    QString address;
};
QString uniqueSavePath(const QString& path, const QString& address, const std::vector<TakenPath>& taken);

// The extension a fallback name gets: the last three characters of the address, blanks trimmed, with
// "Mrm" read as "rm".
QString fallbackExtension(const QString& address);

// music folder + name box text (trimmed) + row + "." + extension, with the name and extension made safe.
QString fallbackPath(const QString& musicFolder, const QString& nameBoxText, int row,
                     const QString& extension);

// Where the size probe and the advance connects go: "host:port" of an http:// or https:// address
// (80 and 443 by default), or nothing when the address is not one the client can fetch.
std::optional<std::string> connectTarget(const QString& address);

// The six lines of a file report.
struct FileReport
{
    QString when;     // the local date and time, already formatted
    QString songName; // the in-progress row's label
    bool complete = true;
    QString savePath; // of the download-list row, empty when that row is gone
    QString seconds;  // the in-progress row's "时间" text
    QString address;  // of the download-list row
    QString sizeText; // of the download-list row
};
QStringList reportLines(const FileReport& report);

// The file slot the progress bars show: the selected in-progress row's "相应序列" mod 3, slot 0 when no row
// is selected (or its text is not a number).
int shownSlotOf(const std::optional<QString>& selectedRowSequence);

} // namespace lanseek::download
