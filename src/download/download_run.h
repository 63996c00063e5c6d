#pragma once

// The bookkeeping of the download queue's runs that only the download handlers read: where the queue is,
// what the size probe measured, the workers' byte counts, what the progress bars show, and what has become
// of every in-progress row. The state that other parts of the window read as well (the resume row, the
// size-probe flag, the worker counts and the slot clients) is not here; it stays on the window.
//
// The in-progress rows are kept in step with the in-progress list: entry r of each per-row list describes
// row r. A row's file is reported once: it is queued when its last worker ends, promoted to its final
// state in the order the files ended, and never queued again after its report.

#include "download/download_queue.h"
#include "download/download_rules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace lanseek::download {

inline constexpr int kLabelledWorkers = kFileSlots * kBarsPerSlot;

// A transfer that stays slower than bytesPerSecond for `seconds` in a row is ended as failed; a server
// that trickles a byte now and then must not hold a file slot for ever.
struct LowSpeedLimit
{
    long bytesPerSecond = 1024;
    long seconds = 60;
};

// Where a run of the queue is. A run probes a song, waits for the song's file slot to be free, waits for its
// file to be free (the same song listed twice) and creates it, connects the file's workers, and moves on to
// the next song; each step ends with a queued event.
enum class RunStep { Idle, Probing, WaitingForSlot, WaitingForFile, Connecting };

// Which path the run tries to create for a song: the row's own, or the fallback name in the music folder.
enum class PathChoice { RowPath, Fallback };

enum class TransferState { Running, Ended, Done, Incomplete };

// "正在下载", "下载结束", "下载已经完成", "下载不完整"; and back (any other text reads as running).
QString transferStateText(TransferState state);
TransferState transferStateOf(const QString& text);

// What an in-progress row stands for: the file one song is written into. Its texts are taken when the
// file starts, so that its report names the file it wrote and that song's address and size, whatever
// becomes of the download list afterwards.
struct Transfer
{
    SongId song = 0; // 0 when the row does not come from a queued song
    QString name;
    QString savePath;
    QString address;
    QString sizeText;
    TransferState state = TransferState::Running;
    int elapsedSeconds = 0; // "时间"
    int sequence = -1;      // "相应序列": the download-list row it started from; -1 when not a number
};

struct DownloadRun
{
    int currentRow = 0;        // the download-list row the queue works on
    std::int64_t fileSize = 0; // the probed length of the current row
    int connectedCount = 0;    // clients of the file being started that connected
    int elapsedSeconds = 0;    // "总耗时"
    std::array<std::int64_t, kLabelledWorkers> workerBytes{}; // bytes so far per worker, 5 x slot + worker
    std::int64_t previousTotal = 0;                           // the sum of workerBytes at the last tick
    std::array<std::int64_t, kFileSlots> slotFileSize{0, 0, 0};
    std::array<int, kFileSlots> slotRow{0, 0, 0}; // the in-progress row of each slot's file
    std::array<QString, kFileSlots> slotSavePath; // where each slot's file is written
    bool downloadRunWaiting = false;              // a run of the queue has not yet started its last row
    RunStep step = RunStep::Idle;
    std::vector<SongId> songs; // the run's songs, fixed when it starts
    std::size_t nextSong = 0;  // the next of them to probe
    int afterLast = 0;         // the row after the last song the run reached
    SongId song = 0;           // the song of the current step
    int slot = 0;              // its file slot
    QString pendingPath;       // the file it is to be written into, once free
    PathChoice pathChoice = PathChoice::RowPath;
    std::array<std::int64_t, kBarsPerSlot> barValues{}; // what the bars show, in bytes (bars may be scaled)
    std::int64_t barMaximum = 0;
    LowSpeedLimit lowSpeed; // given to every client the queue makes

    // Per in-progress row: the file it stands for.
    QList<Transfer> transfers;
    // The state texts of the in-progress rows, first to last.
    QStringList transferStates() const;

    // Per in-progress row: every byte of the file arrived (so far).
    QList<bool> inProgressComplete;
    // Per in-progress row: its report has been written.
    QList<bool> inProgressReported;
    // In-progress rows whose files have ended and are not yet reported, oldest end first.
    QList<int> endedRows;

    // Whether a slot whose workers still run (as slotWorkers counts them) writes into path.
    bool pathInUse(const QString& path, const std::array<int, kFileSlots>& slotWorkers) const;

    // Adds the entries of a new in-progress row; complete is what is known at its start.
    void addInProgressRow(bool complete);
    void markIncomplete(int row);
    bool isComplete(int row) const;
    bool isReported(int row) const;
    // Queues a row whose file has just ended, unless it is queued or reported already.
    void fileEnded(int row);
    // The rows to promote now, given the state texts of the in-progress list: the queued rows in the order
    // their files ended, then any other unreported row that shows "下载结束", first to last. Each is marked
    // reported and the queue is emptied, so no row is ever returned twice.
    std::vector<int> takeRowsToReport(const QStringList& states);
};

} // namespace lanseek::download
