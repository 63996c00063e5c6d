#include "download/download_run.h"

#include <QDir>

namespace lanseek::download {

QString transferStateText(TransferState state)
{
    switch (state) {
    case TransferState::Running:
        return kStateRunning;
    case TransferState::Ended:
        return kStateEnded;
    case TransferState::Done:
        return kStateDone;
    case TransferState::Incomplete:
        return kStateIncomplete;
    }
    return kStateRunning;
}

TransferState transferStateOf(const QString& text)
{
    if (text == kStateEnded)
        return TransferState::Ended;
    if (text == kStateDone)
        return TransferState::Done;
    if (text == kStateIncomplete)
        return TransferState::Incomplete;
    return TransferState::Running;
}

QStringList DownloadRun::transferStates() const
{
    QStringList states;
    for (const Transfer& transfer : transfers)
        states << transferStateText(transfer.state);
    return states;
}

bool DownloadRun::pathInUse(const QString& path, const std::array<int, kFileSlots>& slotWorkers) const
{
    const QString clean = QDir::cleanPath(path);
    for (int s = 0; s < kFileSlots; ++s) {
        if (slotWorkers[s] > 0 && QDir::cleanPath(slotSavePath[s]) == clean)
            return true;
    }
    return false;
}

void DownloadRun::addInProgressRow(bool complete)
{
    inProgressComplete.append(complete);
    inProgressReported.append(false);
}

void DownloadRun::markIncomplete(int row)
{
    if (row >= 0 && row < inProgressComplete.size())
        inProgressComplete[row] = false;
}

bool DownloadRun::isComplete(int row) const
{
    return row >= 0 && row < inProgressComplete.size() && inProgressComplete[row];
}

bool DownloadRun::isReported(int row) const
{
    return row >= 0 && row < inProgressReported.size() && inProgressReported[row];
}

void DownloadRun::fileEnded(int row)
{
    if (row < 0 || isReported(row) || endedRows.contains(row))
        return;
    endedRows.append(row);
}

std::vector<int> DownloadRun::takeRowsToReport(const QStringList& states)
{
    std::vector<int> rows;
    const auto take = [&](int row) {
        if (row < 0 || row >= states.size() || states[row] != kStateEnded || isReported(row))
            return;
        while (inProgressReported.size() <= row)
            inProgressReported.append(false);
        inProgressReported[row] = true;
        rows.push_back(row);
    };
    for (int row : endedRows)
        take(row);
    endedRows.clear();
    // A row can show "下载结束" without having been queued (its text was set by other means); such rows are
    // reported too, in list order after the queued ones, so that none is left at that state.
    for (int row = 0; row < states.size(); ++row)
        take(row);
    return rows;
}

} // namespace lanseek::download
