#pragma once

// The downloads: the download list and its run through the queue, the size probe, the three file slots and
// their transfer workers, the workers' events, progress and completion, and the two buttons of the
// save-folder chooser. It owns the downloads' state and drives the controls of its view; the handlers keep
// the names the window's design gives them.

#include "app/shared/error_policy.h"
#include "app/shared/shared_folders.h"
#include "app/shared/window_links.h"
#include "download/download_queue.h"
#include "download/download_recovery.h"
#include "download/download_run.h"
#include "platform/model/failure.h"
#include "skin/controls/se_controls.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TIdHTTP;
class TForm2;

namespace lanseek::platform {
class Dialogs;
struct ListRow;
} // namespace lanseek::platform

namespace lanseek::app {

class DownloadHub;

// The controls the downloads drive. The window owns them all.
struct DownloadView
{
    QWidget* window = nullptr;                 // the question before closing opens over it
    TSeSkinSListView* ListView1 = nullptr;     // the search results the download list is filled from
    TSeSkinSpeedButton* dragdownbtn = nullptr; // "下"
    TSeSkinButton* SeSkinButton1 = nullptr;    // "保存目录"
    TSeSkinSListView* downloadlistview = nullptr;
    TSeSkinButton* downbtn = nullptr;
    TSeSkinButton* delbtn = nullptr;
    TSeSkinButton* delallbtn = nullptr;
    TSeSkinButton* SeSkinButton3 = nullptr; // "修改保存地址"
    TSeSkinMemo* downinimemo = nullptr;     // download log
    TSeSkinSListView* downloadnow = nullptr;
    std::array<TSeSkinProgressBar*, 5> progressBars{};
    TSeSkinStatusBar* SeSkinStatusBar1 = nullptr;
    TSeSkinEdit* Edit2 = nullptr; // workers per file, "5"
    QTimer* Timer1 = nullptr;
    TSeSkinEngine* chooserEngine = nullptr; // dresses the save-folder chooser
};

// The downloads' state. The error policy's recovery and the close query read and change it as the
// handlers do.
struct DownloadState
{
    int resumeRow = 0;          // the download-list row a new run starts from
    bool sizeProbeFlag = false; // a size probe is under way
    int activeWorkers = 0;
    std::array<int, 3> slotWorkers{0, 0, 0};
    // Per file slot, room for eleven HTTP clients of its transfer workers. A client stays alive while a
    // worker still holds it (shared ownership), even after the slot has given it up.
    std::array<std::array<std::shared_ptr<TIdHTTP>, 11>, 3> slotClients;
    bool quitConfirmed = false; // the user chose to quit while workers ran: runs stop
    bool rowPathMode = false;   // the chooser rewrites the selected rows' paths instead of the music folder
    download::DownloadQueue queue; // the songs the download list shows, in its order
    download::DownloadRun run;     // the bookkeeping of the queue's runs
};

class DownloadController : public QObject
{
    Q_OBJECT
public:
    DownloadController(const DownloadView& view, SharedFolders& folders, const SearchText& searchText,
                       ViewSwitch& views, platform::Dialogs& dialogs, ErrorPolicy& errors,
                       QObject* parent = nullptr);
    ~DownloadController() override;

    // Connects the view's controls to the handlers below and creates the save-folder chooser.
    void wire();

    DownloadState& state() { return m_state; }
    const DownloadState& state() const { return m_state; }
    // The save-folder chooser, a window of its own created hidden by wire().
    TForm2* chooser() const { return m_chooser; }
    // The size probe's client.
    const std::shared_ptr<TIdHTTP>& probeClient() const { return m_probe; }

    void dragdownbtnClick();
    void delbtnClick();
    void delallbtnClick();
    void downbtnClick();
    // The clients' events, applied on the UI thread. tag names the client (100 x (slot + 1) + worker,
    // 6789 for the size probe). segmentComplete tells whether a worker got every byte it owns.
    void IdHTTP1WorkBegin(std::int64_t announcedLength);
    void IdHTTP1Work(int tag, std::int64_t bytesSoFar);
    void IdHTTP1WorkEnd(int tag, bool segmentComplete = true);
    void Timer1Timer();
    void downloadnowSelectItem(int row, bool selected);
    void SeSkinButton1Click(); // "保存目录"
    void SeSkinButton3Click(); // "修改保存地址"

    // The chooser's "确定": in row-path mode the selected rows are saved into folder, else new rows are.
    void folderChosen(const QString& folder);

    // Starts the workers of one file in a slot; the file exists and its length has been probed. The row
    // is taken as it is, not as a song of the queue.
    void startFile(int slot, const platform::ListRow& row, const QString& savePath);
    // The file of in-progress row `progressRow` has ended: the row shows "下载结束" until it is reported.
    void fileEnded(int progressRow);

    // The error policy's part in the downloads: the message and the resume row's caption go to the
    // download log, then what the message means for the queue is applied.
    void logFailure(const QString& message);
    // A message from outside, read by the text rules.
    void applyRecovery(const QString& message);
    // A failure of ours, by its kind: only failed downloads change the queue.
    void applyRecovery(platform::FailureKind kind);
    // One line in the download log, touching nothing else.
    void logLine(const QString& line);

    // The close query: true when the window may close, asking first while workers run.
    bool closeQuery();
    // Ends the running transfers before the process ends.
    void closeDown();

signals:
    // Once per file, when its report is written to the download log. complete: every byte arrived.
    void fileReported(const QString& songName, bool complete);

private:
    enum class RowFollow {
        StartStep, // a step of the run begins at the song: the resume row is set to it
        KeepStep,  // later in the step: the resume row moves as far as the song moved
    };
    // Finds the run's song again after a wait; false when it has been deleted meanwhile.
    bool refreshCurrentRow(download::SongId id, RowFollow follow);
    // Appends a song to the queue and shows it at the end of the download list.
    void appendSong(download::QueuedSong song);
    // Adopts rows the list shows that the queue does not hold yet, and forgets the songs whose rows went.
    void syncQueueWithView();
    // Gives the in-progress rows shown without a transfer behind them one read from their texts.
    void syncTransfersWithView();
    void setSongSavePath(download::SongId id, const QString& path);
    void setTransferState(int progressRow, download::TransferState state);
    download::RecoveryState recoveryState() const;
    void applyActions(const std::vector<download::RecoveryAction>& actions);

    // The run's steps (see nextSong in the source).
    void nextSong();
    void endRun();
    // Starts the probe of the current song on a helper thread; false when its address cannot be fetched.
    bool startProbe(const QString& address);
    void probeEnded(bool ok);
    // Goes on with a run that waits for a slot or a file, if what it waits for is free.
    void advanceRun();
    QString fallbackPathFor(const download::QueuedSong& song,
                            const std::vector<download::TakenPath>& taken) const;
    // Connects the clients of a file's workers on a helper thread, then starts the workers.
    void connectFile(int slot, const download::QueuedSong& song);
    void startSong(int slot, const download::QueuedSong& song,
                   const std::vector<std::shared_ptr<TIdHTTP>>& clients, int connected);
    void songStarted();
    // Runs call on a helper thread; ended(whether it returned without throwing) is then queued to the UI
    // thread and run through the error policy. what names the call in the log line of a failure.
    void runOffThread(const QString& what, std::function<void()> call, std::function<void(bool)> ended);
    int shownSlot() const;
    void setBarMaximum(std::int64_t maximum);
    void setBarValue(int bar, std::int64_t value);
    void fileReport(int progressRow);
    // Gives every ended row its final state and its report, in the order the files ended.
    void reportEndedFiles();
    // With no worker left, the ended files are reported before Timer1 stops, so that none waits for a tick
    // that would not come.
    void allEndedReport();
    // Enables Timer1 without restarting a countdown that already runs.
    void enableTimer1();
    void disconnectSlotClients(int slot, int count);

    DownloadView m_view;
    SharedFolders& m_folders;
    const SearchText& m_searchText;
    ViewSwitch& m_views;
    platform::Dialogs& m_dialogs;
    ErrorPolicy& m_errors;
    DownloadState m_state;
    std::shared_ptr<TIdHTTP> m_probe;
    DownloadHub* m_hub = nullptr;
    TForm2* m_chooser = nullptr;
    std::vector<QThread*> m_helpers; // the probe's and the connects' threads that still run
};

} // namespace lanseek::app
