#pragma once

// What the program-wide exception handler does with the download queue when a failure reaches it. The
// decision is made on the failure's kind: a download's network failure or HTTP status is a failed
// download; a save file that cannot be created is only logged; every other kind of ours (play lists,
// cards, the chooser) never touches the queue. Only a message whose kind is unknown, raised outside the
// program, is read by its words: one that names a socket failure or carries "40" (the status lines of
// refused requests, such as "HTTP/1.1 404 Not Found") counts as a failed download.
//
// A failed download: the song at the resume row is logged as one that
// cannot be downloaded, a running size probe is given up and the queue moves on to the next row, and on a
// resume row that is a multiple of three the file slots give up their clients. Everything else changes
// nothing here. The decision is made on plain values; the window applies the actions in order.

#include "platform/model/failure.h"

#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

namespace lanseek::download {

struct RecoveryState
{
    int resumeRow = 0;
    int rowCount = 0; // rows in the download list
    bool sizeProbeFlag = false;
};

struct RecoveryAction
{
    enum class Kind {
        ReportCannotDownload, // log the song name of download-list row `value` + "不能下载"
        DisconnectProbe,      // end the size probe's connection
        GiveUpSlot,           // disconnect and give up every client of file slot `value`
        SetResumeRow,         // the resume row becomes `value`
        ShowDownloadView      // show the download panel, as the "下载" view button does
    };
    Kind kind;
    int value = 0;

    bool operator==(const RecoveryAction&) const = default;
};

// A save file that cannot be created. Its message names the path, and a path is the user's (or a
// server's) text: words in it such as "access" or "40" must not be read as the kind of the error, so the
// handler only logs it.
class TargetFileError : public platform::Failure
{
public:
    explicit TargetFileError(const QString& path);
};

// Whether the handler treats the message as a failed download ("socket" or "40", in any case).
bool isDownloadFailure(const QString& message);

// The kind of a message from outside, by the text rules: "access" is fatal, a failed download (above) is a
// network failure, anything else is unknown.
platform::FailureKind kindOfMessage(const QString& message);

// The kind of a failure: ours carry it, the HTTP client's errors are network failures and statuses, and
// everything else is unknown (its text is then all there is to go by).
platform::FailureKind kindOf(const std::exception& error);

// Whether failures of the kind are failed downloads, which the queue recovers from.
bool isDownloadKind(platform::FailureKind kind);

// The download recovery for a failure of the kind, given the state when it arrived.
std::vector<RecoveryAction> downloadRecovery(platform::FailureKind kind, const RecoveryState& state);

// The download recovery for a message from outside, read by the text rules.
std::vector<RecoveryAction> downloadRecovery(const QString& message, const RecoveryState& state);

} // namespace lanseek::download
