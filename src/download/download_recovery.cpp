#include "download/download_recovery.h"

#include "download/download_rules.h"
#include "platform/net/net_error.h"

namespace lanseek::download {

TargetFileError::TargetFileError(const QString& path)
    : platform::Failure(platform::FailureKind::TargetFile, QStringLiteral("无法创建文件：") + path)
{
}

bool isDownloadFailure(const QString& message)
{
    const QString lower = message.toLower();
    return lower.contains(QStringLiteral("socket")) || lower.contains(QStringLiteral("40"));
}

platform::FailureKind kindOfMessage(const QString& message)
{
    if (message.toLower().contains(QStringLiteral("access")))
        return platform::FailureKind::Fatal;
    return isDownloadFailure(message) ? platform::FailureKind::Network : platform::FailureKind::Unknown;
}

platform::FailureKind kindOf(const std::exception& error)
{
    if (const auto* failure = dynamic_cast<const platform::Failure*>(&error))
        return failure->kind();
    if (dynamic_cast<const platform::HttpStatusError*>(&error))
        return platform::FailureKind::HttpStatus;
    if (dynamic_cast<const platform::NetError*>(&error))
        return platform::FailureKind::Network;
    return platform::FailureKind::Unknown;
}

bool isDownloadKind(platform::FailureKind kind)
{
    return kind == platform::FailureKind::Network || kind == platform::FailureKind::HttpStatus;
}

std::vector<RecoveryAction> downloadRecovery(const QString& message, const RecoveryState& state)
{
    // A message that is both fatal and names a socket failure is still a failed download for the queue.
    return downloadRecovery(
        isDownloadFailure(message) ? platform::FailureKind::Network : kindOfMessage(message), state);
}

std::vector<RecoveryAction> downloadRecovery(platform::FailureKind kind, const RecoveryState& state)
{
    using Kind = RecoveryAction::Kind;
    std::vector<RecoveryAction> actions;
    if (!isDownloadKind(kind))
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
