// The download handlers: the queue, the workers' events, the timer and the two buttons of the save-folder
// chooser. The rules they apply live in download_rules and segments.

#include "app/download/download_controller.h"

#include "app/download/download_hub.h"
#include "app/download/selectdir.h"
#include "download/download_log.h"
#include "download/download_recovery.h"
#include "download/download_rules.h"
#include "download/mp3thread.h"
#include "download/segments.h"
#include "platform/net/id_http.h"
#include "platform/ui/dialogs.h"
#include "skin/controls/se_controls.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <unordered_set>

#include <vector>

namespace dl = lanseek::download;
using lanseek::platform::ListRow;

namespace {

// Creates (or truncates) a file and closes it again at once.
bool createEmpty(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lanseek::download::downloadLog).noquote()
            << QStringLiteral("cannot create the target file %1: %2").arg(path, file.errorString());
        return false;
    }
    file.close();
    return true;
}

// Where a download-list row keeps the id of the queued song it shows.
constexpr int kSongIdRole = Qt::UserRole + 7;

dl::SongId songIdOfRow(const TSeSkinSListView& list, int row)
{
    const QTreeWidgetItem* item = list.topLevelItem(row);
    return item ? item->data(0, kSongIdRole).toULongLong() : 0;
}

// Disconnect is safe from the UI thread while a worker thread transfers; the worker then ends its GET.
void disconnectClient(const std::shared_ptr<TIdHTTP>& client)
{
    if (client)
        client->Disconnect();
}

int workersPerFile(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    // Five bars and five labels per slot; the field says "5" and nothing changes it.
    return ok ? qBound(1, n, dl::kBarsPerSlot) : dl::kBarsPerSlot;
}

} // namespace

namespace lanseek::app {

DownloadController::DownloadController(const DownloadView& view, SharedFolders& folders,
                                       const SearchText& searchText, ViewSwitch& views,
                                       platform::Dialogs& dialogs, ErrorPolicy& errors, QObject* parent)
    : QObject(parent), m_view(view), m_folders(folders), m_searchText(searchText), m_views(views),
      m_dialogs(dialogs), m_errors(errors)
{
    setObjectName(QStringLiteral("downloadController"));
}

// The hub, a child of this controller, ends the running workers and waits for them before it goes. The
// helper threads are ended and waited for here; what they posted is dropped with the hub.
DownloadController::~DownloadController()
{
    if (m_probe)
        m_probe->Disconnect();
    for (QThread* thread : m_helpers)
        thread->wait();
}

// ---- Queue -------------------------------------------------------------------------------------------

void DownloadController::dragdownbtnClick()
{
    syncQueueWithView();
    dl::DownloadQueue& queue = m_state.queue;
    for (int index : m_view.ListView1->selectedRowIndexes()) {
        dl::QueuedSong song = dl::QueuedSong::fromRow(m_view.ListView1->row(index));
        // Songs whose names clean up to the same file name must not download into one file.
        song.savePath = dl::uniqueSavePath(dl::savePathFor(m_folders.musicFolder(), song.name, song.type),
                                           song.address, queue.takenPathsBefore(queue.size()));
        appendSong(std::move(song));
    }
    m_views.showDownloadView();
}

void DownloadController::delbtnClick()
{
    if (m_state.activeWorkers > 0) {
        m_view.delbtn->setEnabled(false);
        return;
    }
    // A song deleted while the run probes it (or waits for its slot) is taken out of the run: the run
    // knows its songs by id, so nothing of it reaches the songs that move up in its place.
    for (int index = m_view.downloadlistview->firstSelectedRow(); index >= 0;
         index = m_view.downloadlistview->firstSelectedRow())
        m_view.downloadlistview->deleteRow(index);
    syncQueueWithView();
}

void DownloadController::delallbtnClick()
{
    if (m_state.activeWorkers > 0) {
        m_view.delallbtn->setEnabled(false);
        return;
    }
    m_view.downloadlistview->Clear();
    syncQueueWithView();
}

// ---- The queue and its view --------------------------------------------------------------------------

void DownloadController::appendSong(dl::QueuedSong song)
{
    const dl::SongId id = m_state.queue.add(std::move(song));
    const int row = m_view.downloadlistview->appendRow(m_state.queue.find(id)->toRow());
    m_view.downloadlistview->topLevelItem(row)->setData(0, kSongIdRole, QVariant::fromValue(id));
}

void DownloadController::syncQueueWithView()
{
    TSeSkinSListView* list = m_view.downloadlistview;
    dl::DownloadQueue& queue = m_state.queue;
    // This runs before every step that reads the queue, so it must stay linear in the list's length.
    std::unordered_set<dl::SongId> held;
    for (int i = 0; i < queue.size(); ++i)
        held.insert(queue.at(i).id);
    std::vector<dl::SongId> order;
    order.reserve(static_cast<std::size_t>(list->Count()));
    for (int r = 0; r < list->Count(); ++r) {
        dl::SongId id = songIdOfRow(*list, r);
        if (id == 0 || !held.contains(id)) {
            id = queue.add(dl::QueuedSong::fromRow(list->row(r)));
            list->topLevelItem(r)->setData(0, kSongIdRole, QVariant::fromValue(id));
        }
        order.push_back(id);
    }
    queue.keepOnly(order);
}

void DownloadController::setSongSavePath(dl::SongId id, const QString& path)
{
    dl::QueuedSong* song = m_state.queue.find(id);
    if (!song)
        return;
    song->savePath = path;
    m_view.downloadlistview->setSubItem(m_state.queue.indexOf(id), song::kSavePath, path);
}

void DownloadController::syncTransfersWithView()
{
    syncQueueWithView();
    auto& run = m_state.run;
    // In-progress rows are only ever appended, so a row's index is its identity. Rows shown without a
    // transfer behind them are read once from their texts.
    for (int r = static_cast<int>(run.transfers.size()); r < m_view.downloadnow->Count(); ++r) {
        const ListRow shown = m_view.downloadnow->row(r);
        dl::Transfer transfer;
        transfer.name = shown.caption;
        transfer.state = dl::transferStateOf(shown.subItem(0));
        transfer.elapsedSeconds = shown.subItem(1).toInt();
        bool ok = false;
        transfer.sequence = shown.subItem(2).toInt(&ok);
        if (!ok)
            transfer.sequence = -1;
        if (transfer.sequence >= 0 && transfer.sequence < m_state.queue.size()) {
            const dl::QueuedSong& song = m_state.queue.at(transfer.sequence);
            transfer.song = song.id;
            transfer.savePath = song.savePath;
            transfer.address = song.address;
            transfer.sizeText = song.sizeText;
        }
        run.transfers.append(transfer);
    }
}

void DownloadController::setTransferState(int progressRow, dl::TransferState state)
{
    m_state.run.transfers[progressRow].state = state;
    m_view.downloadnow->setSubItem(progressRow, 0, dl::transferStateText(state));
}

void DownloadController::downbtnClick()
{
    // A press while a run goes on (waiting for the network or for a slot) would walk the same rows again.
    auto& run = m_state.run;
    if (run.downloadRunWaiting)
        return;
    syncQueueWithView();
    // The active worker count only falls back to 0 with its workers; the delete, clear and all-ended
    // logic rely on it matching them.
    if (m_state.activeWorkers < 0)
        m_state.activeWorkers = 0;
    run.connectedCount = 1;
    run.elapsedSeconds = 0;

    if (m_state.queue.size() - 1 < m_state.resumeRow)
        return;
    // The run's songs are the ones listed from the resume row when it starts, known by id: a song deleted
    // while the run waits is taken out of it, and none moves into its place.
    run.songs = m_state.queue.idsFrom(m_state.resumeRow);
    run.nextSong = 0;
    run.afterLast = m_state.resumeRow;
    run.downloadRunWaiting = true;
    nextSong();
}

// The run is a state machine: each step starts something (a probe, a wait for a slot or a file, the
// workers' connects) and returns to the event loop; the step's end arrives as a queued event and
// advances the run. No step waits inside a nested event loop, so a click during the run meets a known
// state instead of a half-done handler.
void DownloadController::nextSong()
{
    auto& run = m_state.run;
    while (true) {
        if (m_state.quitConfirmed || run.nextSong >= run.songs.size()) {
            endRun();
            return;
        }
        const dl::SongId id = run.songs[run.nextSong++];
        run.currentRow = run.afterLast;
        if (!refreshCurrentRow(id, RowFollow::StartStep))
            continue;
        run.afterLast = run.currentRow + 1;
        run.song = id;
        run.fileSize = 0;
        m_state.sizeProbeFlag = true;
        run.step = dl::RunStep::Probing;
        if (startProbe(m_state.queue.find(id)->address))
            return;
        m_view.downinimemo->Add(m_state.queue.find(id)->name + QStringLiteral("不能下载"));
    }
}

void DownloadController::endRun()
{
    auto& run = m_state.run;
    run.step = dl::RunStep::Idle;
    run.song = 0;
    run.songs.clear();
    run.currentRow = run.afterLast;
    run.downloadRunWaiting = false;
}

void DownloadController::probeEnded(bool ok)
{
    auto& run = m_state.run;
    if (run.step != dl::RunStep::Probing)
        return;
    if (m_probe)
        m_probe->Disconnect();
    if (!ok || run.fileSize <= 0) {
        // A song deleted while it was probed is not named: it is no longer the user's.
        if (refreshCurrentRow(run.song, RowFollow::KeepStep))
            m_view.downinimemo->Add(m_state.queue.find(run.song)->name + QStringLiteral("不能下载"));
        nextSong();
        return;
    }
    if (!refreshCurrentRow(run.song, RowFollow::KeepStep)) {
        m_state.sizeProbeFlag = false;
        nextSong();
        return;
    }
    run.connectedCount = 0;
    run.slot = run.currentRow % dl::kFileSlots;
    run.step = dl::RunStep::WaitingForSlot;
    advanceRun();
}

void DownloadController::advanceRun()
{
    auto& run = m_state.run;
    if (run.step != dl::RunStep::WaitingForSlot && run.step != dl::RunStep::WaitingForFile)
        return;
    if (m_state.quitConfirmed) {
        endRun();
        return;
    }
    if (run.step == dl::RunStep::WaitingForSlot) {
        if (m_state.slotWorkers[run.slot] > 0)
            return; // the slot's last worker to end advances the run again
        if (!refreshCurrentRow(run.song, RowFollow::KeepStep)) {
            m_state.sizeProbeFlag = false;
            nextSong();
            return;
        }
        const dl::QueuedSong& song = *m_state.queue.find(run.song);
        // The path as it is now: the chooser may have changed it while the run waited. The songs before
        // this one keep their paths; this one must not write into a file of another song.
        const std::vector<dl::TakenPath> taken = m_state.queue.takenPathsBefore(run.currentRow);
        if (!dl::needsFallbackName(song.name, song.savePath)) {
            run.pathChoice = dl::PathChoice::RowPath;
            run.pendingPath = dl::uniqueSavePath(song.savePath, song.address, taken);
        } else {
            run.pathChoice = dl::PathChoice::Fallback;
            run.pendingPath = fallbackPathFor(song, taken);
        }
        run.step = dl::RunStep::WaitingForFile;
    }
    // The same song listed twice shares one file. Creating it empties it, so that waits until the other
    // row's workers have ended: they would otherwise lose what they wrote and report a file that is not.
    while (true) {
        if (run.pathInUse(run.pendingPath, m_state.slotWorkers))
            return; // the workers writing it advance the run when they end
        if (createEmpty(run.pendingPath))
            break;
        if (run.pathChoice == dl::PathChoice::Fallback) {
            const QString path = run.pendingPath;
            endRun();
            throw dl::TargetFileError(path);
        }
        run.pathChoice = dl::PathChoice::Fallback;
        run.pendingPath =
            fallbackPathFor(*m_state.queue.find(run.song), m_state.queue.takenPathsBefore(run.currentRow));
    }
    // A song deleted while its file was made is not started; the empty file is left as it is.
    if (!refreshCurrentRow(run.song, RowFollow::KeepStep)) {
        m_state.sizeProbeFlag = false;
        nextSong();
        return;
    }
    // The row shows where its file really is.
    if (run.pendingPath != m_state.queue.find(run.song)->savePath)
        setSongSavePath(run.song, run.pendingPath);
    enableTimer1();
    m_state.sizeProbeFlag = false;
    dl::QueuedSong started = *m_state.queue.find(run.song);
    started.savePath = run.pendingPath;
    run.step = dl::RunStep::Connecting;
    connectFile(run.slot, started);
}

QString DownloadController::fallbackPathFor(const dl::QueuedSong& song,
                                            const std::vector<dl::TakenPath>& taken) const
{
    return dl::uniqueSavePath(dl::fallbackPath(m_folders.musicFolder(), m_searchText.searchText(),
                                               m_state.run.currentRow, dl::fallbackExtension(song.address)),
                              song.address, taken);
}

bool DownloadController::refreshCurrentRow(dl::SongId id, RowFollow follow)
{
    syncQueueWithView();
    const int index = m_state.queue.indexOf(id);
    if (index < 0)
        return false;
    // Later in a step the resume row moves with the song, so that what the error policy set it to keeps
    // its meaning when rows before it go.
    m_state.resumeRow =
        follow == RowFollow::StartStep ? index : m_state.resumeRow + index - m_state.run.currentRow;
    m_state.run.currentRow = index;
    return true;
}

bool DownloadController::startProbe(const QString& address)
{
    const auto target = dl::connectTarget(address);
    if (!target)
        return false;
    if (!m_probe)
        m_probe = std::make_shared<TIdHTTP>();
    const std::shared_ptr<TIdHTTP> probe = m_probe;
    probe->Tag = dl::kProbeTag;
    probe->Host = *target;
    probe->setRange(0, 0);
    probe->setLowSpeedLimit(m_state.run.lowSpeed.bytesPerSecond, m_state.run.lowSpeed.seconds);
    // The events are raised on the probe's thread and queued to the UI thread in the order raised: the
    // length arrives before the probe's end. The transfer is ended before any body byte is read; its GET
    // then returns normally.
    QObject* hub = m_hub;
    probe->OnWorkBegin = [this, hub](TIdHTTP& sender, std::int64_t length) {
        sender.Disconnect();
        QMetaObject::invokeMethod(
            hub, [this, length] { guarded(m_errors, [&] { IdHTTP1WorkBegin(length); }); },
            Qt::QueuedConnection);
    };
    probe->OnWork = nullptr;
    probe->OnWorkEnd = [this, hub](TIdHTTP&) {
        QMetaObject::invokeMethod(
            hub, [this] { guarded(m_errors, [this] { IdHTTP1WorkEnd(dl::kProbeTag); }); },
            Qt::QueuedConnection);
    };
    const std::string url = address.trimmed().toStdString();
    runOffThread(
        QStringLiteral("the size probe of %1").arg(QString::fromStdString(url)),
        [probe, url] {
            probe->Connect();
            probe->Get(url, TIdHTTP::BodySink());
        },
        [this](bool ok) { probeEnded(ok); });
    return true;
}

void DownloadController::runOffThread(const QString& what, std::function<void()> call,
                                      std::function<void(bool)> ended)
{
    QObject* hub = m_hub;
    ErrorPolicy* errors = &m_errors;
    QThread* thread = QThread::create([what, call = std::move(call), ended = std::move(ended), hub, errors] {
        bool ok = true;
        try {
            call();
        } catch (const std::exception& e) {
            // The run goes on as the failure's outcome says; the log keeps its cause.
            qCWarning(lanseek::download::downloadLog).noquote()
                << QStringLiteral("%1 failed: %2").arg(what, QString::fromUtf8(e.what()));
            ok = false;
        }
        QMetaObject::invokeMethod(
            hub, [ended, ok, errors] { guarded(*errors, [&] { ended(ok); }); }, Qt::QueuedConnection);
    });
    // A child of the controller, which waits for it before it goes and deletes it then.
    thread->setParent(this);
    m_helpers.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread] {
        m_helpers.erase(std::remove(m_helpers.begin(), m_helpers.end(), thread), m_helpers.end());
        thread->deleteLater();
    });
    thread->start();
}

void DownloadController::startFile(int slot, const ListRow& row, const QString& savePath)
{
    syncQueueWithView();
    dl::QueuedSong song = dl::QueuedSong::fromRow(row);
    song.savePath = savePath;
    connectFile(slot, song);
}

void DownloadController::connectFile(int slot, const dl::QueuedSong& song)
{
    auto& run = m_state.run;
    run.connectedCount = 0;
    const int workers = workersPerFile(m_view.Edit2->text());
    const QString& address = song.address;
    const auto target = dl::connectTarget(address);

    std::vector<std::shared_ptr<TIdHTTP>> clients;
    for (int i = 0; i < workers; ++i) {
        auto client = std::make_shared<TIdHTTP>();
        client->Tag = dl::workerTag(slot, i);
        client->Host = target.value_or(std::string());
        client->setLowSpeedLimit(run.lowSpeed.bytesPerSecond, run.lowSpeed.seconds);
        clients.push_back(std::move(client));
    }
    // The clients connect one after another on a helper thread; the first that cannot ends the connects.
    auto connected = std::make_shared<int>(0);
    runOffThread(
        QStringLiteral("connecting the workers of %1").arg(address),
        [clients, connected] {
            for (const auto& client : clients) {
                client->Connect();
                ++*connected;
            }
        },
        [this, slot, song, clients, connected](bool) { startSong(slot, song, clients, *connected); });
}

void DownloadController::startSong(int slot, const dl::QueuedSong& song,
                                   const std::vector<std::shared_ptr<TIdHTTP>>& clients, int connected)
{
    auto& run = m_state.run;
    syncTransfersWithView();
    const QString& address = song.address;
    const QString& savePath = song.savePath;
    run.connectedCount = connected;
    for (int i = 0; i < connected; ++i)
        m_state.slotClients[slot][i] = clients[i];

    dl::Transfer transfer;
    transfer.song = song.id;
    transfer.name = song.name;
    transfer.savePath = savePath;
    transfer.address = address;
    transfer.sizeText = song.sizeText;
    transfer.sequence = run.currentRow;
    run.transfers.append(transfer);
    const int progressRow = m_view.downloadnow->appendRow(
        {song.name, -1, {dl::kStateRunning, QStringLiteral("0"), QString::number(run.currentRow)}});
    run.addInProgressRow(connected > 0);
    // The song's own row is marked, wherever it is now.
    if (const int index = m_state.queue.indexOf(song.id); index >= 0)
        m_view.downloadlistview->setRowSelected(index, true);
    else if (song.id == 0 && run.currentRow < m_view.downloadlistview->Count())
        m_view.downloadlistview->setRowSelected(run.currentRow, true);
    // The in-progress list selects one row at a time, as a click does.
    m_view.downloadnow->setCurrentItem(m_view.downloadnow->topLevelItem(progressRow));
    run.slotRow[slot] = progressRow;
    if (connected == 0) {
        // No byte of this file can arrive: it has ended as it started, empty, and is reported so.
        fileEnded(progressRow);
        if (m_state.activeWorkers <= 0)
            allEndedReport();
        songStarted();
        return;
    }

    for (int k = 0; k < dl::kBarsPerSlot; ++k)
        run.workerBytes[dl::kBarsPerSlot * slot + k] = 0;
    run.slotSavePath[slot] = savePath;
    // The probe measured the file for the slot of the row it began on; the file's slot is this one.
    run.slotFileSize[slot] = run.fileSize;
    dl::WorkerJob job;
    job.segmentLength = dl::segmentLength(run.fileSize, connected);
    job.workers = connected;
    job.savePath = savePath;
    job.address = address.trimmed().toStdString();
    job.fileSize = run.fileSize;
    for (int i = 0; i < connected; ++i) {
        job.workerIndex = i;
        new tmp3download(clients[i], job, m_hub->events(), m_hub, m_hub);
        ++m_state.activeWorkers;
        ++m_state.slotWorkers[slot];
    }
    enableTimer1();
    songStarted();
}

void DownloadController::songStarted()
{
    if (m_state.run.step == dl::RunStep::Connecting)
        nextSong();
}

void DownloadController::enableTimer1()
{
    if (!m_view.Timer1->isActive())
        m_view.Timer1->start();
}

// ---- Progress and completion -------------------------------------------------------------------------

void DownloadController::IdHTTP1WorkBegin(std::int64_t announcedLength)
{
    auto& run = m_state.run;
    run.fileSize = announcedLength;
    run.slotFileSize[m_state.resumeRow % dl::kFileSlots] = announcedLength;
    if (run.connectedCount > 0)
        setBarMaximum(announcedLength / run.connectedCount);
    // Ends the probe's transfer before any body byte is read; its GET returns normally.
    if (m_probe)
        m_probe->Disconnect();
}

void DownloadController::IdHTTP1Work(int tag, std::int64_t bytesSoFar)
{
    m_view.SeSkinStatusBar1->setPanelText(0, QString::number(bytesSoFar));
    if (const auto counter = dl::counterOfTag(tag)) {
        m_view.SeSkinStatusBar1->setPanelText(0, dl::workerLabel(tag) + QString::number(bytesSoFar));
        m_state.run.workerBytes[*counter] = bytesSoFar;
    }
}

void DownloadController::IdHTTP1WorkEnd(int tag, bool segmentComplete)
{
    auto& run = m_state.run;
    if (const auto slot = dl::slotOfTag(tag)) {
        const int s = *slot;
        if (m_state.slotWorkers[s] > 0)
            --m_state.slotWorkers[s];
        if (m_state.activeWorkers > 0)
            --m_state.activeWorkers;
        const int row = run.slotRow[s];
        if (!segmentComplete)
            run.markIncomplete(row);
        if (m_state.slotWorkers[s] == 0) {
            fileEnded(row);
            // Every worker of the file has ended, so nothing uses these clients any more.
            for (auto& client : m_state.slotClients[s])
                client.reset();
        }
        const int k = tag - 100 * (s + 1);
        if (m_view.downloadnow->firstSelectedRow() >= 0 && shownSlot() == s && k >= 0 && k < dl::kBarsPerSlot)
            setBarValue(k, run.barMaximum);
    }
    if (m_state.activeWorkers == 0)
        allEndedReport();
    // A run waiting for this slot, or for this file, may go on.
    advanceRun();
}

void DownloadController::Timer1Timer()
{
    auto& run = m_state.run;
    ++run.elapsedSeconds;
    m_view.SeSkinStatusBar1->setPanelText(1, dl::elapsedText(run.elapsedSeconds));

    std::int64_t total = 0;
    for (std::int64_t bytes : run.workerBytes)
        total += bytes;
    m_view.SeSkinStatusBar1->setPanelText(3, dl::speedText(total - run.previousTotal));
    run.previousTotal = total;

    reportEndedFiles();

    for (int s = 0; s < dl::kFileSlots; ++s) {
        const int row = run.slotRow[s];
        if (m_state.slotWorkers[s] > 0 && row >= 0 && row < run.transfers.size()) {
            dl::Transfer& transfer = run.transfers[row];
            ++transfer.elapsedSeconds;
            m_view.downloadnow->setSubItem(row, 1, QString::number(transfer.elapsedSeconds));
        }
    }

    if (run.connectedCount > 0) {
        const int s = shownSlot();
        setBarMaximum(run.slotFileSize[s] / run.connectedCount);
        std::int64_t before = 0;
        std::int64_t after = 0;
        for (int k = 0; k < dl::kBarsPerSlot; ++k) {
            before += run.barValues[k];
            setBarValue(k, run.workerBytes[dl::kBarsPerSlot * s + k]);
            after += run.barValues[k];
        }
        m_view.SeSkinStatusBar1->setPanelText(2, dl::speedText(after - before));
    }
}

void DownloadController::downloadnowSelectItem(int row, bool selected)
{
    if (!selected || row < 0 || row >= m_view.downloadnow->Count())
        return;
    syncTransfersWithView();
    const dl::TransferState state = m_state.run.transfers[row].state;
    if (state == dl::TransferState::Ended || state == dl::TransferState::Done) {
        for (int k = 0; k < dl::kBarsPerSlot; ++k)
            setBarValue(k, m_state.run.barMaximum);
    }
}

int DownloadController::shownSlot() const
{
    const int selected = m_view.downloadnow->firstSelectedRow();
    if (selected < 0)
        return dl::shownSlotOf(std::nullopt);
    if (selected < m_state.run.transfers.size()) {
        const int sequence = m_state.run.transfers[selected].sequence;
        return dl::shownSlotOf(sequence < 0 ? QString() : QString::number(sequence));
    }
    return dl::shownSlotOf(m_view.downloadnow->subItem(selected, 2));
}

void DownloadController::setBarMaximum(std::int64_t maximum)
{
    auto& run = m_state.run;
    run.barMaximum = maximum;
    const int shift = dl::barShiftFor(maximum);
    for (int k = 0; k < dl::kBarsPerSlot; ++k) {
        m_view.progressBars[k]->setMax(dl::scaledBarValue(maximum, shift));
        m_view.progressBars[k]->setPosition(dl::scaledBarValue(run.barValues[k], shift));
    }
}

void DownloadController::setBarValue(int bar, std::int64_t value)
{
    m_state.run.barValues[bar] = value;
    m_view.progressBars[bar]->setPosition(dl::scaledBarValue(value, dl::barShiftFor(m_state.run.barMaximum)));
}

void DownloadController::fileReport(int progressRow)
{
    if (progressRow < 0 || progressRow >= m_state.run.transfers.size())
        return;
    const dl::Transfer& transfer = m_state.run.transfers[progressRow];
    dl::FileReport report;
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    // The long time format without its time zone, as desktops show the time of day.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    report.when = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                  locale.toString(now.time(), timeFormat.trimmed());
    report.songName = transfer.name;
    report.complete = m_state.run.isComplete(progressRow);
    report.seconds = QString::number(transfer.elapsedSeconds);
    // The file's own texts, taken when it started: its song's row may have moved, changed or gone since.
    report.savePath = transfer.savePath;
    report.address = transfer.address;
    report.sizeText = transfer.sizeText;
    for (const QString& line : dl::reportLines(report))
        m_view.downinimemo->Add(line);
    emit fileReported(report.songName, report.complete);
}

void DownloadController::fileEnded(int progressRow)
{
    syncTransfersWithView();
    if (progressRow < 0 || progressRow >= m_state.run.transfers.size() || m_state.run.isReported(progressRow))
        return;
    setTransferState(progressRow, dl::TransferState::Ended);
    m_state.run.fileEnded(progressRow);
}

void DownloadController::reportEndedFiles()
{
    syncTransfersWithView();
    for (int r : m_state.run.takeRowsToReport(m_state.run.transferStates())) {
        setTransferState(r,
                         m_state.run.isComplete(r) ? dl::TransferState::Done : dl::TransferState::Incomplete);
        fileReport(r);
    }
}

void DownloadController::allEndedReport()
{
    reportEndedFiles();
    m_view.Timer1->stop();
}

// ---- Save-folder chooser -----------------------------------------------------------------------------

void DownloadController::SeSkinButton1Click()
{
    if (m_chooser)
        m_chooser->showChooser();
}

void DownloadController::SeSkinButton3Click()
{
    if (m_view.downloadlistview->selectedRowIndexes().empty())
        return;
    m_state.rowPathMode = true;
    SeSkinButton1Click();
}

void DownloadController::folderChosen(const QString& folder)
{
    if (m_state.rowPathMode) {
        syncQueueWithView();
        for (int index : m_view.downloadlistview->selectedRowIndexes()) {
            const dl::QueuedSong& song = m_state.queue.at(index);
            setSongSavePath(song.id, dl::savePathFor(folder + QLatin1Char('/'), song.name, song.type));
        }
        m_state.rowPathMode = false;
    } else if (!folder.isEmpty()) {
        m_folders.setMusicFolder(folder + QLatin1Char('/'));
    }
}

// ---- Failures and close ------------------------------------------------------------------------------

void DownloadController::logFailure(const QString& message)
{
    m_view.downinimemo->Add(message);
    if (m_state.resumeRow >= 0 && m_state.resumeRow < m_view.downloadlistview->Count())
        m_view.downinimemo->Add(m_view.downloadlistview->caption(m_state.resumeRow));
}

void DownloadController::logLine(const QString& line)
{
    m_view.downinimemo->Add(line);
}

void DownloadController::applyRecovery(const QString& message)
{
    applyActions(dl::downloadRecovery(message, recoveryState()));
}

void DownloadController::applyRecovery(platform::FailureKind kind)
{
    applyActions(dl::downloadRecovery(kind, recoveryState()));
}

dl::RecoveryState DownloadController::recoveryState() const
{
    return {m_state.resumeRow, m_view.downloadlistview->Count(), m_state.sizeProbeFlag};
}

void DownloadController::applyActions(const std::vector<dl::RecoveryAction>& actions)
{
    // What the failure means for the downloads is decided on plain values; here it is applied.
    TSeSkinSListView* list = m_view.downloadlistview;
    for (const dl::RecoveryAction& action : actions) {
        switch (action.kind) {
        case dl::RecoveryAction::Kind::ReportCannotDownload:
            if (action.value >= 0 && action.value < list->Count())
                m_view.downinimemo->Add(list->subItem(action.value, 0) + QStringLiteral("不能下载"));
            break;
        case dl::RecoveryAction::Kind::DisconnectProbe:
            disconnectClient(m_probe);
            break;
        case dl::RecoveryAction::Kind::GiveUpSlot:
            for (std::shared_ptr<TIdHTTP>& client :
                 m_state.slotClients[static_cast<std::size_t>(action.value)]) {
                disconnectClient(client);
                client.reset(); // a worker still using the client keeps its own reference
            }
            break;
        case dl::RecoveryAction::Kind::SetResumeRow:
            m_state.resumeRow = action.value;
            break;
        case dl::RecoveryAction::Kind::ShowDownloadView:
            m_views.showDownloadView();
            break;
        }
    }
}

bool DownloadController::closeQuery()
{
    if (m_state.quitConfirmed)
        return true;
    const auto& workers = m_state.slotWorkers;
    if (workers[0] + workers[1] + workers[2] <= 0)
        return true;
    if (m_dialogs.askYesNo(m_view.window, QStringLiteral("还存在下载进程，确定退出吗？"))) {
        m_state.quitConfirmed = true;
        return true;
    }
    return false;
}

void DownloadController::closeDown()
{
    for (int k = 0; k < dl::kFileSlots; ++k)
        if (m_state.slotWorkers[k] > 0)
            disconnectSlotClients(k, m_state.slotWorkers[k]);
    m_view.Timer1->stop();
}

void DownloadController::disconnectSlotClients(int slot, int count)
{
    const auto& clients = m_state.slotClients[static_cast<std::size_t>(slot)];
    for (int i = 0; i < count && i < static_cast<int>(clients.size()); ++i)
        disconnectClient(clients[static_cast<std::size_t>(i)]);
}

} // namespace lanseek::app
