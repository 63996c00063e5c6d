#pragma once

// Segment bookkeeping of a file download, free of I/O and threads: how a file is split among its
// workers, which range each worker asks for, and which received bytes a worker may write where.
//
// A worker owns the bytes [first, end) of the target file. It asks the server for a slightly wider range
// (neighbouring requests share one byte, and the last one names one byte past the end of the file), but it
// writes only the bytes it owns, at their own places. That keeps the file intact whatever the server does
// with the range: a 206 is placed by its Content-Range, a 200 carrying the whole body is cut down to the
// worker's own bytes, and an error reply writes nothing.

#include "platform/net/http_reply.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace lanseek::download {

// A half-open span of file offsets.
struct ByteSpan
{
    std::int64_t first = 0;
    std::int64_t end = 0; // one past the last byte

    std::int64_t length() const { return end > first ? end - first : 0; }
    bool operator==(const ByteSpan&) const = default;
};

// The file size divided among the workers (integer division); 0 when there are no workers.
std::int64_t segmentLength(std::int64_t fileSize, int workers);

// The range worker `index` of `workers` asks for, both bounds inclusive as the request header reads them:
// index x length to (index + 1) x length, and to the file size for the last worker.
platform::RequestRange requestedRange(int index, int workers, std::int64_t segmentLength,
                                      std::int64_t fileSize);

// The bytes worker `index` writes: from index x length up to the next worker's first byte, or up to the
// end of the file for the last worker. The spans of one file's workers tile the file without overlap.
ByteSpan ownedSpan(int index, int workers, std::int64_t segmentLength, std::int64_t fileSize);

// Where the first byte of a reply's body belongs in the file, or nothing when the body must not be
// written at all.
//   206 with a Content-Range: at the range's first byte.
//   206 without one: nowhere (the bytes cannot be placed).
//   any other 2xx: the body is the whole file, so at offset 0.
//   anything else (errors, redirects, no status): nowhere.
std::optional<std::int64_t> bodyOrigin(int statusCode, const std::optional<platform::ContentRange>& range);

// Whether a reply is of the file the size probe measured. A 206 must name that total (or "*"), and a
// whole-body reply must not announce another length; otherwise the resource changed since the probe and
// its bytes would mix two versions in one file.
bool replyMatchesFile(int statusCode, const std::optional<platform::ContentRange>& range,
                      std::optional<std::int64_t> contentLength, std::int64_t fileSize);

// The part of a received block that falls inside the owned span.
struct Slice
{
    std::int64_t fileOffset = 0;
    std::size_t dataOffset = 0; // within the block
    std::size_t length = 0;

    bool operator==(const Slice&) const = default;
};

// The block holds body bytes [bodyOffset, bodyOffset + length); origin is the file offset of body byte 0.
// Returns nothing when none of the block's bytes belong to the owned span.
std::optional<Slice> sliceOf(ByteSpan owned, std::int64_t origin, std::int64_t bodyOffset,
                             std::size_t length);

// Progress bars hold int positions; files of several GiB are shown at a coarser scale. The shift is the
// number of bits dropped so that `maximum` fits.
int barShiftFor(std::int64_t maximum);
int scaledBarValue(std::int64_t value, int shift);

} // namespace lanseek::download
