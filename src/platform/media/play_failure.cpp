#include "platform/media/play_failure.h"

#include "platform/media/media_source.h"

#include <gst/gst.h>

#include <algorithm>

namespace lanseek::platform {

namespace {

std::optional<int> httpStatusOf(const FailureEvidence& evidence)
{
    for (const ItemError& e : evidence.errors)
        if (e.httpStatus)
            return e.httpStatus;
    return evidence.reportedHttpStatus;
}

// What an HTTP status alone says; nothing for a successful request, after which the data itself
// must have been the trouble. Below 100 no HTTP answer came at all: 0, or the code of a transport
// failure that some network libraries report in the same place.
std::optional<PlayFailure> failureOfStatus(int status)
{
    if (status < 100)
        return PlayFailure::CannotConnect;
    if (status == 404 || status == 410)
        return PlayFailure::NotFound;
    if (status >= 400)
        return PlayFailure::Other;
    return std::nullopt;
}

bool any(const FailureEvidence& evidence, bool (*test)(const ItemError&))
{
    return std::any_of(evidence.errors.begin(), evidence.errors.end(), test);
}

bool sawDecodeError(const FailureEvidence& evidence)
{
    return any(evidence, [](const ItemError& e) { return e.kind == ErrorKind::CannotDecode; });
}

bool sourceCouldNotOpen(const FailureEvidence& evidence)
{
    return any(evidence, [](const ItemError& e) { return e.fromSource && e.kind == ErrorKind::CannotOpen; });
}

} // namespace

ErrorKind errorKindOf(quint32 domain, int code)
{
    if (domain == GST_RESOURCE_ERROR) {
        switch (code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            return ErrorKind::NotFound;
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
        case GST_RESOURCE_ERROR_BUSY:
            return ErrorKind::CannotOpen;
        default:
            return ErrorKind::Other;
        }
    }
    if (domain == GST_STREAM_ERROR) {
        switch (code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND:
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_CODEC_NOT_FOUND:
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_FORMAT:
        case GST_STREAM_ERROR_DECRYPT:
        case GST_STREAM_ERROR_DECRYPT_NOKEY:
            return ErrorKind::CannotDecode;
        default:
            return ErrorKind::Other;
        }
    }
    if (domain == GST_CORE_ERROR && code == GST_CORE_ERROR_MISSING_PLUGIN)
        return ErrorKind::CannotDecode;
    return ErrorKind::Other;
}

std::optional<PlayFailure> classifyFailure(const FailureEvidence& evidence)
{
    bool answered = false;
    if (evidence.network) {
        if (const std::optional<int> status = httpStatusOf(evidence)) {
            if (const std::optional<PlayFailure> failure = failureOfStatus(*status))
                return failure;
            answered = true;
        }
    }
    if (any(evidence, [](const ItemError& e) { return e.kind == ErrorKind::NotFound; }))
        return PlayFailure::NotFound;
    const bool sourceFailed = any(evidence, [](const ItemError& e) { return e.fromSource; });
    // A web source that could not open its item may have been refused a connection or answered with
    // an error; without a status only the server's answer tells which.
    if (sourceCouldNotOpen(evidence) && (!evidence.network || answered))
        return PlayFailure::Other;
    // A parser or decoder failing behind a source that read well means the data is the trouble. Behind
    // a failed source it only ran out of data, which says nothing.
    if (!sourceFailed && sawDecodeError(evidence) && (!evidence.network || answered))
        return PlayFailure::CannotDecode;
    if (!evidence.network || answered)
        return PlayFailure::Other;
    return std::nullopt;
}

PlayFailure classifyFailure(const FailureEvidence& evidence, const ProbeResult& probe)
{
    if (const std::optional<PlayFailure> failure = classifyFailure(evidence))
        return *failure;
    switch (probe.outcome) {
    case ProbeResult::Outcome::Unreachable:
        return PlayFailure::CannotConnect;
    case ProbeResult::Outcome::Answered:
        if (const std::optional<PlayFailure> failure = failureOfStatus(probe.httpStatus))
            return *failure;
        break;
    case ProbeResult::Outcome::NotTried:
        // A source of another scheme that could not open its item: the server is out of reach.
        if (sourceCouldNotOpen(evidence))
            return PlayFailure::CannotConnect;
        break;
    }
    // The server answers well. Behind a source that read well a decoder's complaint is about the
    // data; a source that failed anyway leaves nothing certain to say.
    const bool sourceFailed = any(evidence, [](const ItemError& e) { return e.fromSource; });
    return !sourceFailed && sawDecodeError(evidence) ? PlayFailure::CannotDecode : PlayFailure::Other;
}

bool canProbe(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

QString failureText(PlayFailure failure, const QUrl& item)
{
    QString what;
    switch (failure) {
    case PlayFailure::CannotConnect:
        what = QStringLiteral("无法连接到服务器");
        break;
    case PlayFailure::NotFound:
        what = QStringLiteral("找不到该歌曲");
        break;
    case PlayFailure::CannotDecode:
        what = QStringLiteral("无法解码该歌曲");
        break;
    case PlayFailure::Other:
        what = QStringLiteral("无法播放该歌曲");
        break;
    }
    return what + QStringLiteral("：") + displayAddress(item);
}

} // namespace lanseek::platform
