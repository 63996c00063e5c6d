#include "download/segments.h"

#include <algorithm>
#include <limits>

namespace lanseek::download {

std::int64_t segmentLength(std::int64_t fileSize, int workers)
{
    if (workers <= 0 || fileSize <= 0)
        return 0;
    return fileSize / workers;
}

platform::RequestRange requestedRange(int index, int workers, std::int64_t segmentLength,
                                      std::int64_t fileSize)
{
    platform::RequestRange range;
    range.start = static_cast<std::int64_t>(index) * segmentLength;
    range.end = index == workers - 1 ? fileSize : static_cast<std::int64_t>(index + 1) * segmentLength;
    return range;
}

ByteSpan ownedSpan(int index, int workers, std::int64_t segmentLength, std::int64_t fileSize)
{
    ByteSpan span;
    span.first = static_cast<std::int64_t>(index) * segmentLength;
    span.end = index == workers - 1 ? fileSize : static_cast<std::int64_t>(index + 1) * segmentLength;
    span.first = std::clamp<std::int64_t>(span.first, 0, std::max<std::int64_t>(fileSize, 0));
    span.end = std::clamp<std::int64_t>(span.end, span.first, std::max<std::int64_t>(fileSize, 0));
    return span;
}

std::optional<std::int64_t> bodyOrigin(int statusCode, const std::optional<platform::ContentRange>& range)
{
    if (statusCode == 206)
        return range ? std::optional<std::int64_t>(range->first) : std::nullopt;
    if (statusCode >= 200 && statusCode <= 299)
        return 0;
    return std::nullopt;
}

bool replyMatchesFile(int statusCode, const std::optional<platform::ContentRange>& range,
                      std::optional<std::int64_t> contentLength, std::int64_t fileSize)
{
    if (statusCode == 206)
        return range && (range->total < 0 || range->total == fileSize);
    if (statusCode >= 200 && statusCode <= 299)
        return !contentLength || *contentLength == fileSize;
    return false;
}

std::optional<Slice> sliceOf(ByteSpan owned, std::int64_t origin, std::int64_t bodyOffset, std::size_t length)
{
    const std::int64_t blockFirst = origin + bodyOffset;
    const std::int64_t blockEnd = blockFirst + static_cast<std::int64_t>(length);
    const std::int64_t first = std::max(blockFirst, owned.first);
    const std::int64_t end = std::min(blockEnd, owned.end);
    if (end <= first)
        return std::nullopt;
    return Slice{first, static_cast<std::size_t>(first - blockFirst), static_cast<std::size_t>(end - first)};
}

int barShiftFor(std::int64_t maximum)
{
    int shift = 0;
    while (maximum > std::numeric_limits<int>::max()) {
        maximum >>= 1;
        ++shift;
    }
    return shift;
}

int scaledBarValue(std::int64_t value, int shift)
{
    value >>= shift;
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace lanseek::download
