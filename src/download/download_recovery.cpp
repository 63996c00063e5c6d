#include "download/download_recovery.h"

#include "download/download_rules.h"

namespace lanseek::download {

TargetFileError::TargetFileError(const QString& path)
    : std::runtime_error((QStringLiteral("无法创建文件：") + path).toStdString())
{
}

bool isDownloadFailure(const QString& message)
{
    const QString lower = message.toLower();
    return lower.contains(QStringLiteral("socket")) || lower.contains(QStringLiteral("40"));
}

std::vector<RecoveryAction> downloadRecovery(const QString& message, const RecoveryState& state)
{
    using Kind = RecoveryAction::Kind;
    std::vector<RecoveryAction> actions;
    if (!isDownloadFailure(message))
        return actions;

    int resumeRow = state.resumeRow;
    const bool hasRows = state.rowCount > 0;
    if (resumeRow >= 0 && resumeRow < state.rowCount)
        actions.push_back({Kind::ReportCannotDownload, resumeRow});

    if (state.sizeProbeFlag && hasRows && resumeRow < state.rowCount - 1) {
        actions.push_back({Kind::DisconnectProbe});
        actions.push_back({Kind::SetResumeRow, ++resumeRow});
        actions.push_back({Kind::ShowDownloadView});
    }
    // The condition is tested afresh for every slot: moving on to the next row changes it.
    for (int slot = 0; slot < kFileSlots; ++slot) {
        if (resumeRow % kFileSlots != 0 || state.sizeProbeFlag)
            continue;
        actions.push_back({Kind::GiveUpSlot, slot});
        if (hasRows && resumeRow < state.rowCount - 1) {
            actions.push_back({Kind::SetResumeRow, ++resumeRow});
            actions.push_back({Kind::ShowDownloadView});
        }
    }
    return actions;
}

} // namespace lanseek::download
