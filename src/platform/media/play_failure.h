#pragma once

// Why an item could not be played, told from what GStreamer reported and, where that says too little,
// from a request of our own; and the text the player shows for it. The decision rests on error
// domains and codes, HTTP statuses and what our own request found, never on the wording of a
// plugin's message, which differs between plugin sets and is not meant for the user.

#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace lanseek::platform {

enum class PlayFailure { CannotConnect, NotFound, CannotDecode, Other };

// One error message of an item, reduced to what decides the failure.
enum class ErrorKind { NotFound, CannotOpen, CannotDecode, Other };

// The kind of a GStreamer error by its GError domain and code.
ErrorKind errorKindOf(quint32 domain, int code);

struct ItemError
{
    ErrorKind kind = ErrorKind::Other;
    // Posted by the element that reads the item (the file or network source), rather than by a
    // parser or decoder behind it that merely ran out of data.
    bool fromSource = false;
    std::optional<int> httpStatus; // from the error's details, when the source gives them
};

struct FailureEvidence
{
    bool network = false;          // the item is a web address, not a local file
    std::vector<ItemError> errors; // every error message of the item, in order
    // The status the network source reported for its request; 0 when no answer came at all.
    std::optional<int> reportedHttpStatus;
};

// What our own request to a web item found.
struct ProbeResult
{
    enum class Outcome { NotTried, Unreachable, Answered };
    Outcome outcome = Outcome::NotTried;
    int httpStatus = 0; // when answered
};

// The failure when the evidence settles it; nothing when only a request of our own can tell (a web
// item whose source said nothing specific, or whose scheme no source could open).
std::optional<PlayFailure> classifyFailure(const FailureEvidence& evidence);

// The failure once our own request has been made (or could not be).
PlayFailure classifyFailure(const FailureEvidence& evidence, const ProbeResult& probe);

// Whether a request of our own can tell more about this address: http and https only.
bool canProbe(const QUrl& url);

// The status line's text: what failed, then the item's address.
QString failureText(PlayFailure failure, const QUrl& item);

} // namespace lanseek::platform
