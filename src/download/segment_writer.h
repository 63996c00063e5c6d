#pragma once

// Writes one worker's bytes into the shared target file at their own offsets. Blocks arrive from the
// network in small pieces; they are gathered into one bounded buffer and written with one positioned write
// per megabyte (and once at the end), so a worker never holds more than that in memory and never moves a
// file position that another worker shares.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lanseek::download {

class SegmentWriter
{
public:
    static constexpr std::size_t kDefaultCapacity = 1 << 20;

    // Opens an existing file for reading and writing; the file is not created. isOpen() tells whether it
    // worked.
    explicit SegmentWriter(const QString& path, std::size_t capacity = kDefaultCapacity);
    ~SegmentWriter();
    SegmentWriter(const SegmentWriter&) = delete;
    SegmentWriter& operator=(const SegmentWriter&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    // Queues length bytes for fileOffset. Contiguous calls are gathered; a gap writes what is gathered
    // first. Returns false when a write failed (this one or an earlier one).
    bool write(std::int64_t fileOffset, const char* data, std::size_t length);

    // Writes what is gathered and closes the file. Returns false when any write failed.
    bool finish();

    // Bytes that reached the file.
    std::int64_t bytesWritten() const { return m_written; }
    bool failed() const { return m_failed; }
    // The system's error number of the first failure (opening or writing), 0 while nothing failed.
    int errorNumber() const { return m_errorNumber; }

private:
    bool flush();

    int m_fd = -1;
    std::size_t m_capacity;
    std::vector<char> m_pending;
    std::int64_t m_pendingOffset = 0;
    std::int64_t m_written = 0;
    bool m_failed = false;
    int m_errorNumber = 0;
};

} // namespace lanseek::download
