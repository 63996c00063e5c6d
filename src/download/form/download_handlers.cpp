// The main window's download handlers: the queue, the workers' events, the timer and the two buttons of
// the save-folder chooser. The rules they apply live in download_rules and segments.

#include "app/mp3.h"
#include "download/download_recovery.h"
#include "download/download_rules.h"
#include "download/form/download_hub.h"
#include "download/form/selectdir.h"
#include "download/mp3thread.h"
#include "download/segments.h"
#include "platform/net/anti_freeze.h"
#include "platform/net/id_http.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <vector>

namespace dl = lanseek::download;
using lanseek::platform::ListRow;

namespace {

// Clears a flag when the scope ends, however it ends.
class FlagScope
{
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

// Creates (or truncates) a file and closes it again at once.
bool createEmpty(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.close();
    return true;
}

// The save paths and addresses of the download list's rows before `end`.
std::vector<dl::TakenPath> takenPathsOf(const TSeSkinSListView& list, int end)
{
    std::vector<dl::TakenPath> taken;
    const int rows = std::min(end, list.Count());
    taken.reserve(static_cast<std::size_t>(std::max(rows, 0)));
    for (int r = 0; r < rows; ++r)
        taken.push_back({list.subItem(r, 4), list.subItem(r, 1)});
    return taken;
}

int workersPerFile(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    // Five bars and five labels per slot; the field says "5" and nothing changes it.
    return ok ? qBound(1, n, dl::kBarsPerSlot) : dl::kBarsPerSlot;
}

} // namespace

// ---- Queue -------------------------------------------------------------------------------------------

void TForm1::dragdownbtnClick()
{
    for (int index : ListView1->selectedRowIndexes()) {
        const ListRow result = ListView1->row(index);
        ListRow row;
        row.caption = result.caption;
        row.imageIndex = result.imageIndex;
        for (int sub = 0; sub < 4; ++sub)
            row.subItems << result.subItem(sub);
        // Songs whose names clean up to the same file name must not download into one file.
        row.subItems << dl::uniqueSavePath(dl::savePathFor(musicFolder, result.subItem(0), result.subItem(3)),
                                           result.subItem(1),
                                           takenPathsOf(*downloadlistview, downloadlistview->Count()));
        downloadlistview->appendRow(row);
    }
    Button4Click();
}

void TForm1::delbtnClick()
{
    if (activeWorkers > 0) {
        delbtn->setEnabled(false);
        return;
    }
    for (int index = downloadlistview->firstSelectedRow(); index >= 0;
         index = downloadlistview->firstSelectedRow())
        downloadlistview->deleteRow(index);
}

void TForm1::delallbtnClick()
{
    if (activeWorkers > 0) {
        delallbtn->setEnabled(false);
        return;
    }
    downloadlistview->Clear();
}

void TForm1::downbtnClick()
{
    // A press while a run waits (for the network or for a slot) would walk the same rows a second time.
    auto& run = downloadRun;
    if (run.downloadRunWaiting)
        return;
    FlagScope running(run.downloadRunWaiting);
    // The active worker count only falls back to 0 with its workers; the delete, clear and all-ended
    // logic rely on it matching them.
    if (activeWorkers < 0)
        activeWorkers = 0;
    run.connectedCount = 1;
    run.elapsedSeconds = 0;

    const int last = downloadlistview->Count() - 1;
    if (last < resumeRow)
        return;
    int& currentRow = run.currentRow;
    for (currentRow = resumeRow; currentRow <= last; ++currentRow) {
        if (quitConfirmed)
            return;
        // Rows can be deleted while the run waits; what is gone is not fetched.
        if (currentRow >= downloadlistview->Count())
            break;
        resumeRow = currentRow;
        lanseek::platform::processEventsFor(0);
        if (currentRow >= downloadlistview->Count())
            break;
        // The row's texts are taken now: the list may change under later waits.
        const ListRow row = downloadlistview->row(currentRow);
        const QString name = row.subItem(0);
        const QString address = row.subItem(1);
        run.fileSize = 0;

        sizeProbeFlag = true;
        if (!probeSize(address) || run.fileSize <= 0) {
            downinimemo->Add(name + QStringLiteral("不能下载"));
            continue;
        }

        run.connectedCount = 0;
        const int slot = currentRow % dl::kFileSlots;
        lanseek::platform::waitUntil([this, slot] { return slotWorkers[slot] <= 0 || quitConfirmed; });
        if (quitConfirmed)
            return;

        if (currentRow >= downloadlistview->Count())
            break;
        // The rows before this one keep their paths; this one must not write into a file of another song.
        const std::vector<dl::TakenPath> taken = takenPathsOf(*downloadlistview, currentRow);
        // The same song listed twice shares one file. Creating it empties it, so that waits until the other
        // row's workers have ended: they would otherwise lose what they wrote and report a file that is not.
        const auto createWhenFree = [this, &run](const QString& path) {
            lanseek::platform::waitUntil(
                [this, &run, &path] { return !run.pathInUse(path, slotWorkers) || quitConfirmed; });
            return !quitConfirmed && createEmpty(path);
        };
        QString savePath;
        if (!dl::needsFallbackName(name, row.subItem(4))) {
            savePath = dl::uniqueSavePath(row.subItem(4), address, taken);
            if (!createWhenFree(savePath))
                savePath.clear();
        }
        if (quitConfirmed)
            return;
        if (savePath.isEmpty()) {
            savePath = dl::uniqueSavePath(
                dl::fallbackPath(musicFolder, Edit1->text(), currentRow, dl::fallbackExtension(address)),
                address, taken);
            if (!createWhenFree(savePath)) {
                if (quitConfirmed)
                    return;
                throw dl::TargetFileError(savePath);
            }
        }
        // The row shows where its file really is, so that its report names it.
        if (savePath != row.subItem(4) && downloadlistview->subItem(currentRow, 1) == address)
            downloadlistview->setSubItem(currentRow, 4, savePath);
        enableTimer1();
        sizeProbeFlag = false;
        startFile(slot, row, savePath);
    }
}

bool TForm1::probeSize(const QString& address)
{
    const auto target = dl::connectTarget(address);
    if (!target)
        return false;
    if (!IdHTTP1)
        IdHTTP1 = std::make_shared<TIdHTTP>();
    const std::shared_ptr<TIdHTTP> probe = IdHTTP1;
    probe->Tag = dl::kProbeTag;
    probe->Host = *target;
    probe->setRange(0, 0);
    probe->setLowSpeedLimit(downloadRun.lowSpeed.bytesPerSecond, downloadRun.lowSpeed.seconds);
    // The events are raised on the helper thread that runs the blocking calls; the length is applied on
    // the UI thread before the GET returns, the end is queued behind everything the workers posted.
    probe->OnWorkBegin = [this](TIdHTTP&, std::int64_t length) {
        lanseek::platform::runOnUiThread([this, length] { guarded([&] { IdHTTP1WorkBegin(length); }); });
    };
    probe->OnWork = nullptr;
    QObject* hub = downloadHub;
    probe->OnWorkEnd = [this, hub](TIdHTTP&) {
        QMetaObject::invokeMethod(
            hub, [this] { guarded([this] { IdHTTP1WorkEnd(dl::kProbeTag); }); }, Qt::QueuedConnection);
    };
    const std::string url = address.trimmed().toStdString();
    bool ok = true;
    try {
        lanseek::platform::runBlocking([probe, url] {
            probe->Connect();
            probe->Get(url, TIdHTTP::BodySink());
        });
    } catch (const std::exception&) {
        ok = false;
    }
    probe->Disconnect();
    return ok;
}

void TForm1::startFile(int slot, const ListRow& row, const QString& savePath)
{
    auto& run = downloadRun;
    run.connectedCount = 0;
    const int workers = workersPerFile(Edit2->text());
    const QString address = row.subItem(1);
    const auto target = dl::connectTarget(address);

    std::vector<std::shared_ptr<TIdHTTP>> clients;
    for (int i = 0; i < workers; ++i) {
        auto client = std::make_shared<TIdHTTP>();
        client->Tag = dl::workerTag(slot, i);
        client->Host = target.value_or(std::string());
        client->setLowSpeedLimit(run.lowSpeed.bytesPerSecond, run.lowSpeed.seconds);
        clients.push_back(std::move(client));
    }
    int connected = 0;
    lanseek::platform::runBlocking([&clients, &connected] {
        for (const auto& client : clients) {
            try {
                client->Connect();
            } catch (const std::exception&) {
                break;
            }
            ++connected;
        }
    });
    run.connectedCount = connected;
    for (int i = 0; i < connected; ++i)
        slotClients[slot][i] = clients[i];

    const int progressRow = downloadnow->appendRow(
        {row.subItem(0), -1, {dl::kStateRunning, QStringLiteral("0"), QString::number(run.currentRow)}});
    run.addInProgressRow(connected > 0);
    if (run.currentRow < downloadlistview->Count())
        downloadlistview->setRowSelected(run.currentRow, true);
    // The in-progress list selects one row at a time, as a click does.
    downloadnow->setCurrentItem(downloadnow->topLevelItem(progressRow));
    run.slotRow[slot] = progressRow;
    if (connected == 0) {
        // No byte of this file can arrive: it has ended as it started, empty, and is reported so.
        fileEnded(progressRow);
        if (activeWorkers <= 0)
            allEndedReport();
        return;
    }

    for (int k = 0; k < dl::kBarsPerSlot; ++k)
        run.workerBytes[dl::kBarsPerSlot * slot + k] = 0;
    run.slotSavePath[slot] = savePath;
    dl::WorkerJob job;
    job.segmentLength = dl::segmentLength(run.fileSize, connected);
    job.workers = connected;
    job.savePath = savePath;
    job.address = address.trimmed().toStdString();
    job.fileSize = run.fileSize;
    for (int i = 0; i < connected; ++i) {
        job.workerIndex = i;
        new tmp3download(clients[i], job, downloadHub->events(), downloadHub, downloadHub);
        ++activeWorkers;
        ++slotWorkers[slot];
    }
    enableTimer1();
}

void TForm1::enableTimer1()
{
    if (!Timer1->isActive())
        Timer1->start();
}

// ---- Progress and completion -------------------------------------------------------------------------

void TForm1::IdHTTP1WorkBegin(std::int64_t announcedLength)
{
    auto& run = downloadRun;
    run.fileSize = announcedLength;
    run.slotFileSize[resumeRow % dl::kFileSlots] = announcedLength;
    if (run.connectedCount > 0)
        setBarMaximum(announcedLength / run.connectedCount);
    // Ends the probe's transfer before any body byte is read; its GET returns normally.
    if (IdHTTP1)
        IdHTTP1->Disconnect();
}

void TForm1::IdHTTP1Work(int tag, std::int64_t bytesSoFar)
{
    SeSkinStatusBar1->setPanelText(0, QString::number(bytesSoFar));
    if (const auto counter = dl::counterOfTag(tag)) {
        SeSkinStatusBar1->setPanelText(0, dl::workerLabel(tag) + QString::number(bytesSoFar));
        downloadRun.workerBytes[*counter] = bytesSoFar;
    }
}

void TForm1::IdHTTP1WorkEnd(int tag, bool segmentComplete)
{
    auto& run = downloadRun;
    if (const auto slot = dl::slotOfTag(tag)) {
        const int s = *slot;
        if (slotWorkers[s] > 0)
            --slotWorkers[s];
        if (activeWorkers > 0)
            --activeWorkers;
        const int row = run.slotRow[s];
        if (!segmentComplete)
            run.markIncomplete(row);
        if (slotWorkers[s] == 0) {
            fileEnded(row);
            // Every worker of the file has ended, so nothing uses these clients any more.
            for (auto& client : slotClients[s])
                client.reset();
        }
        const int k = tag - 100 * (s + 1);
        if (downloadnow->firstSelectedRow() >= 0 && shownSlot() == s && k >= 0 && k < dl::kBarsPerSlot)
            setBarValue(k, run.barMaximum);
    }
    if (activeWorkers == 0)
        allEndedReport();
}

void TForm1::Timer1Timer()
{
    auto& run = downloadRun;
    ++run.elapsedSeconds;
    SeSkinStatusBar1->setPanelText(1, dl::elapsedText(run.elapsedSeconds));

    std::int64_t total = 0;
    for (std::int64_t bytes : run.workerBytes)
        total += bytes;
    SeSkinStatusBar1->setPanelText(3, dl::speedText(total - run.previousTotal));
    run.previousTotal = total;

    reportEndedFiles();

    for (int s = 0; s < dl::kFileSlots; ++s) {
        const int row = run.slotRow[s];
        if (slotWorkers[s] > 0 && row >= 0 && row < downloadnow->Count())
            downloadnow->setSubItem(row, 1, QString::number(downloadnow->subItem(row, 1).toInt() + 1));
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
        SeSkinStatusBar1->setPanelText(2, dl::speedText(after - before));
    }
}

void TForm1::downloadnowSelectItem(int row, bool selected)
{
    if (!selected || row < 0 || row >= downloadnow->Count())
        return;
    const QString state = downloadnow->subItem(row, 0);
    if (state == dl::kStateEnded || state == dl::kStateDone) {
        for (int k = 0; k < dl::kBarsPerSlot; ++k)
            setBarValue(k, downloadRun.barMaximum);
    }
}

int TForm1::shownSlot() const
{
    const int selected = downloadnow->firstSelectedRow();
    if (selected < 0)
        return dl::shownSlotOf(std::nullopt);
    return dl::shownSlotOf(downloadnow->subItem(selected, 2));
}

void TForm1::setBarMaximum(std::int64_t maximum)
{
    auto& run = downloadRun;
    run.barMaximum = maximum;
    const int shift = dl::barShiftFor(maximum);
    for (int k = 0; k < dl::kBarsPerSlot; ++k) {
        progressBars[k]->setMax(dl::scaledBarValue(maximum, shift));
        progressBars[k]->setPosition(dl::scaledBarValue(run.barValues[k], shift));
    }
}

void TForm1::setBarValue(int bar, std::int64_t value)
{
    downloadRun.barValues[bar] = value;
    progressBars[bar]->setPosition(dl::scaledBarValue(value, dl::barShiftFor(downloadRun.barMaximum)));
}

void TForm1::fileReport(int progressRow)
{
    if (progressRow < 0 || progressRow >= downloadnow->Count())
        return;
    const ListRow shown = downloadnow->row(progressRow);
    dl::FileReport report;
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    // The long time format without its time zone, as desktops show the time of day.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    report.when = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                  locale.toString(now.time(), timeFormat.trimmed());
    report.songName = shown.caption;
    report.complete = downloadRun.isComplete(progressRow);
    report.seconds = shown.subItem(1);
    bool ok = false;
    const int listRow = shown.subItem(2).toInt(&ok);
    // The download-list row may have been deleted since; its texts are then left empty.
    if (ok && listRow >= 0 && listRow < downloadlistview->Count()) {
        report.savePath = downloadlistview->subItem(listRow, 4);
        report.address = downloadlistview->subItem(listRow, 1);
        report.sizeText = downloadlistview->subItem(listRow, 2);
    }
    for (const QString& line : dl::reportLines(report))
        downinimemo->Add(line);
}

void TForm1::fileEnded(int progressRow)
{
    if (progressRow < 0 || progressRow >= downloadnow->Count() || downloadRun.isReported(progressRow))
        return;
    downloadnow->setSubItem(progressRow, 0, dl::kStateEnded);
    downloadRun.fileEnded(progressRow);
}

void TForm1::reportEndedFiles()
{
    QStringList states;
    for (int r = 0; r < downloadnow->Count(); ++r)
        states << downloadnow->subItem(r, 0);
    for (int r : downloadRun.takeRowsToReport(states)) {
        downloadnow->setSubItem(r, 0, downloadRun.isComplete(r) ? dl::kStateDone : dl::kStateIncomplete);
        fileReport(r);
    }
}

void TForm1::allEndedReport()
{
    reportEndedFiles();
    Timer1->stop();
}

// ---- Save-folder chooser -----------------------------------------------------------------------------

void TForm1::SeSkinButton1Click()
{
    if (auto* chooser = qobject_cast<TForm2*>(Form2))
        chooser->showChooser();
}

void TForm1::SeSkinButton3Click()
{
    if (downloadlistview->selectedRowIndexes().empty())
        return;
    rowPathMode = true;
    SeSkinButton1Click();
}
