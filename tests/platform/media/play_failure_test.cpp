#include "platform/media/play_failure.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

using namespace lanseek::platform;
using Outcome = ProbeResult::Outcome;

namespace {

ItemError sourceError(GQuark domain, int code, std::optional<int> status = std::nullopt)
{
    return {errorKindOf(domain, code), true, status};
}

ItemError laterError(GQuark domain, int code)
{
    return {errorKindOf(domain, code), false, std::nullopt};
}

FailureEvidence web(std::vector<ItemError> errors, std::optional<int> reported = std::nullopt)
{
    return {true, std::move(errors), reported};
}

FailureEvidence local(std::vector<ItemError> errors)
{
    return {false, std::move(errors), std::nullopt};
}

// A source that failed without saying why, and the type finder that starved behind it: what one
// network source posts for a refused connection and for a missing file alike.
std::vector<ItemError> flowErrorThenStarvedTypeFinder()
{
    return {sourceError(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED),
            laterError(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND)};
}

} // namespace

TEST(PlayFailure, ErrorCodesAreSortedByWhatFailed)
{
    EXPECT_EQ(errorKindOf(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND), ErrorKind::NotFound);
    EXPECT_EQ(errorKindOf(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ), ErrorKind::CannotOpen);
    EXPECT_EQ(errorKindOf(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ), ErrorKind::CannotOpen);
    EXPECT_EQ(errorKindOf(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND), ErrorKind::CannotDecode);
    EXPECT_EQ(errorKindOf(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE), ErrorKind::CannotDecode);
    EXPECT_EQ(errorKindOf(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN), ErrorKind::CannotDecode);
    EXPECT_EQ(errorKindOf(GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED), ErrorKind::Other);
    EXPECT_EQ(errorKindOf(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE), ErrorKind::Other);
    // The same code in another domain means something else.
    EXPECT_EQ(errorKindOf(GST_LIBRARY_ERROR, GST_RESOURCE_ERROR_NOT_FOUND), ErrorKind::Other);
}

TEST(PlayFailure, TheSourcesHttpStatusDecidesOverTheMessagesThatFollow)
{
    // No answer at all: the connection failed, whatever starved behind the source.
    EXPECT_EQ(classifyFailure(web(flowErrorThenStarvedTypeFinder(), 0)), PlayFailure::CannotConnect);
    EXPECT_EQ(classifyFailure(web(flowErrorThenStarvedTypeFinder(), 404)), PlayFailure::NotFound);
    EXPECT_EQ(classifyFailure(web(flowErrorThenStarvedTypeFinder(), 410)), PlayFailure::NotFound);
    EXPECT_EQ(classifyFailure(web(flowErrorThenStarvedTypeFinder(), 500)), PlayFailure::Other);
    // A status in the error's own details counts as well.
    EXPECT_EQ(classifyFailure(web({sourceError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, 404)})),
              PlayFailure::NotFound);
    // The server sent the data: then the type finder's complaint is about the data.
    EXPECT_EQ(classifyFailure(web({laterError(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND)}, 200)),
              PlayFailure::CannotDecode);
}

TEST(PlayFailure, ErrorCodesDecideWhenNoStatusIsKnown)
{
    EXPECT_EQ(classifyFailure(web({sourceError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND)})),
              PlayFailure::NotFound);
    // A missing local file posts "not found" and then a failed state change.
    EXPECT_EQ(classifyFailure(local({sourceError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND),
                                     sourceError(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE)})),
              PlayFailure::NotFound);
    EXPECT_EQ(classifyFailure(local({laterError(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND)})),
              PlayFailure::CannotDecode);
    EXPECT_EQ(classifyFailure(local({sourceError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ)})),
              PlayFailure::Other);
    EXPECT_EQ(classifyFailure(local({})), PlayFailure::Other);
}

TEST(PlayFailure, AWebItemThatSaysTooLittleIsCheckedByOurOwnRequest)
{
    // A source that failed without a reason or a status, and a missing source for the scheme, which
    // shows as a missing plugin: only a request of our own can tell.
    const FailureEvidence silentSource = web(flowErrorThenStarvedTypeFinder());
    const FailureEvidence noSource = web({laterError(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN)});
    for (const FailureEvidence& e : {silentSource, noSource}) {
        EXPECT_EQ(classifyFailure(e), std::nullopt);
        EXPECT_EQ(classifyFailure(e, {Outcome::Unreachable, 0}), PlayFailure::CannotConnect);
        EXPECT_EQ(classifyFailure(e, {Outcome::Answered, 404}), PlayFailure::NotFound);
        EXPECT_EQ(classifyFailure(e, {Outcome::Answered, 403}), PlayFailure::Other);
    }
    // A web source that could not open its item: refused, or answered with an error?
    const FailureEvidence notOpened = web({sourceError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ)});
    EXPECT_EQ(classifyFailure(notOpened), std::nullopt);
    EXPECT_EQ(classifyFailure(notOpened, {Outcome::Unreachable, 0}), PlayFailure::CannotConnect);
    EXPECT_EQ(classifyFailure(notOpened, {Outcome::Answered, 404}), PlayFailure::NotFound);
    EXPECT_EQ(classifyFailure(notOpened, {Outcome::NotTried, 0}), PlayFailure::CannotConnect)
        << "a scheme we cannot ask about ourselves";
    // A transport failure code where the status belongs means no answer came.
    EXPECT_EQ(classifyFailure(web({sourceError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ, 4)})),
              PlayFailure::CannotConnect);
    // The server answers well: the data it sends is the trouble, or nothing can be said.
    EXPECT_EQ(classifyFailure(noSource, {Outcome::Answered, 200}), PlayFailure::CannotDecode);
    EXPECT_EQ(
        classifyFailure(web({sourceError(GST_CORE_ERROR, GST_CORE_ERROR_FAILED)}), {Outcome::Answered, 200}),
        PlayFailure::Other);
    EXPECT_EQ(classifyFailure(web({}), {Outcome::NotTried, 0}), PlayFailure::Other);
}

TEST(PlayFailure, TextsAreChineseAndNameTheItem)
{
    const QUrl web(QStringLiteral("http://127.0.0.1:1/歌.mp3"));
    EXPECT_EQ(failureText(PlayFailure::CannotConnect, web),
              QStringLiteral("无法连接到服务器：http://127.0.0.1:1/歌.mp3"));
    EXPECT_EQ(failureText(PlayFailure::NotFound, QUrl::fromLocalFile(QStringLiteral("/m/a b.wav"))),
              QStringLiteral("找不到该歌曲：/m/a b.wav"));
    EXPECT_TRUE(failureText(PlayFailure::CannotDecode, web).startsWith(QStringLiteral("无法解码该歌曲：")));
    EXPECT_TRUE(failureText(PlayFailure::Other, web).startsWith(QStringLiteral("无法播放该歌曲：")));
    EXPECT_TRUE(canProbe(web));
    EXPECT_TRUE(canProbe(QUrl(QStringLiteral("HTTPS://h/a.mp3"))));
    EXPECT_FALSE(canProbe(QUrl(QStringLiteral("mms://h/a.asf"))));
    EXPECT_FALSE(canProbe(QUrl::fromLocalFile(QStringLiteral("/m/a.wav"))));
}
