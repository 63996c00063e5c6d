#include "download/segments.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace lanseek::download;

namespace {

std::vector<std::string> headerValues(int workers, std::int64_t size)
{
    std::vector<std::string> values;
    const std::int64_t length = segmentLength(size, workers);
    for (int i = 0; i < workers; ++i)
        values.push_back(requestedRange(i, workers, length, size).headerValue());
    return values;
}

} // namespace

TEST(SegmentRanges, FiveWorkersShareOneByteWithTheirNeighbours)
{
    EXPECT_EQ(segmentLength(1'000'003, 5), 200'000);
    EXPECT_EQ(headerValues(5, 1'000'003),
              (std::vector<std::string>{"bytes=0-200000", "bytes=200000-400000", "bytes=400000-600000",
                                        "bytes=600000-800000", "bytes=800000-1000003"}));
}

TEST(SegmentRanges, TwoWorkersSplitTheFileInHalves)
{
    EXPECT_EQ(segmentLength(1'000'003, 2), 500'001);
    EXPECT_EQ(headerValues(2, 1'000'003),
              (std::vector<std::string>{"bytes=0-500001", "bytes=500001-1000003"}));
}

TEST(SegmentRanges, OwnedSpansTileTheFileExactly)
{
    for (const std::int64_t size :
         {std::int64_t{1'000'003}, std::int64_t{7}, std::int64_t{3}, std::int64_t{1}}) {
        for (int workers = 1; workers <= 5; ++workers) {
            const std::int64_t length = segmentLength(size, workers);
            std::int64_t next = 0;
            for (int i = 0; i < workers; ++i) {
                const ByteSpan span = ownedSpan(i, workers, length, size);
                EXPECT_EQ(span.first, next) << size << " bytes, worker " << i << " of " << workers;
                next = span.end;
            }
            EXPECT_EQ(next, size) << size << " bytes, " << workers << " workers";
        }
    }
}

TEST(SegmentRanges, FilesBeyondTwoGibibytesKeepSixtyFourBitOffsets)
{
    const std::int64_t size = 5LL * 1024 * 1024 * 1024 + 3; // 5 GiB + 3
    const std::int64_t length = segmentLength(size, 5);
    EXPECT_EQ(length, 1073741824);
    EXPECT_EQ(requestedRange(4, 5, length, size).headerValue(), "bytes=4294967296-5368709123");
    EXPECT_EQ(ownedSpan(4, 5, length, size), (ByteSpan{4294967296LL, size}));
    EXPECT_EQ(ownedSpan(2, 5, length, size), (ByteSpan{2147483648LL, 3221225472LL}));
}

TEST(ReplyPlacement, OnlyASuccessfulReplyIsPlaced)
{
    const lanseek::platform::ContentRange range{400'000, 600'000, 1'000'003};
    EXPECT_EQ(bodyOrigin(206, range), 400'000);
    EXPECT_EQ(bodyOrigin(200, std::nullopt), 0); // the whole file
    EXPECT_EQ(bodyOrigin(206, std::nullopt), std::nullopt);
    EXPECT_EQ(bodyOrigin(302, std::nullopt), std::nullopt);
    EXPECT_EQ(bodyOrigin(404, std::nullopt), std::nullopt);
    EXPECT_EQ(bodyOrigin(416, range), std::nullopt);
    EXPECT_EQ(bodyOrigin(0, std::nullopt), std::nullopt);
}

TEST(ReplyPlacement, AReplyOfAChangedFileIsNotPlaced)
{
    const lanseek::platform::ContentRange range{0, 99, 1000};
    EXPECT_TRUE(replyMatchesFile(206, range, 100, 1000));
    EXPECT_TRUE(replyMatchesFile(206, lanseek::platform::ContentRange{0, 99, -1}, 100, 1000));
    EXPECT_FALSE(replyMatchesFile(206, range, 100, 999));
    EXPECT_FALSE(replyMatchesFile(206, std::nullopt, 100, 1000));
    EXPECT_TRUE(replyMatchesFile(200, std::nullopt, 1000, 1000));
    EXPECT_TRUE(replyMatchesFile(200, std::nullopt, std::nullopt, 1000)); // chunked: length unknown
    EXPECT_FALSE(replyMatchesFile(200, std::nullopt, 1200, 1000));
    EXPECT_FALSE(replyMatchesFile(404, std::nullopt, 1000, 1000));
}

TEST(ReplyPlacement, AWholeBodyIsCutToTheOwnedSpan)
{
    const ByteSpan owned{200, 400};
    // Blocks of 150 bytes of a whole-file body: before, across the start, inside, across the end, after.
    EXPECT_EQ(sliceOf(owned, 0, 0, 150), std::nullopt);
    EXPECT_EQ(sliceOf(owned, 0, 150, 150), (Slice{200, 50, 100}));
    EXPECT_EQ(sliceOf(owned, 0, 300, 150), (Slice{300, 0, 100}));
    EXPECT_EQ(sliceOf(owned, 0, 450, 150), std::nullopt);
    // A block that covers the whole span.
    EXPECT_EQ(sliceOf(owned, 0, 0, 1000), (Slice{200, 200, 200}));
}

TEST(ReplyPlacement, ARangedBodyIsPlacedAtItsFirstByteAndTheSharedByteIsLeftToTheNeighbour)
{
    const ByteSpan owned{200'000, 400'000};
    // The reply to "bytes=200000-400000" carries 200,001 bytes; the last one belongs to the next worker.
    EXPECT_EQ(sliceOf(owned, 200'000, 0, 200'001), (Slice{200'000, 0, 200'000}));
    // A server that answered another range than asked is still placed where its bytes belong.
    EXPECT_EQ(sliceOf(owned, 150'000, 0, 100'000), (Slice{200'000, 50'000, 50'000}));
}

TEST(ProgressBarScale, LargeMaximaAreShiftedIntoIntRange)
{
    EXPECT_EQ(barShiftFor(200'000), 0);
    EXPECT_EQ(scaledBarValue(123'456, 0), 123'456);
    const std::int64_t big = 3LL * 1024 * 1024 * 1024;
    const int shift = barShiftFor(big);
    EXPECT_GT(shift, 0);
    EXPECT_LE(scaledBarValue(big, shift), INT_MAX);
    EXPECT_EQ(scaledBarValue(big / 2, shift), scaledBarValue(big, shift) / 2);
}
