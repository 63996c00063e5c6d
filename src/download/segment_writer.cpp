#include "download/segment_writer.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lanseek::download {

SegmentWriter::SegmentWriter(const QString& path, std::size_t capacity)
    : m_capacity(capacity > 0 ? capacity : 1)
{
    const QByteArray native = path.toUtf8();
    m_fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        m_failed = true;
        m_errorNumber = errno;
    }
}

SegmentWriter::~SegmentWriter()
{
    finish();
}

bool SegmentWriter::write(std::int64_t fileOffset, const char* data, std::size_t length)
{
    if (m_fd < 0 || m_failed)
        return false;
    if (!m_pending.empty() && fileOffset != m_pendingOffset + static_cast<std::int64_t>(m_pending.size()) &&
        !flush())
        return false;
    while (length > 0) {
        if (m_pending.empty()) {
            m_pending.reserve(m_capacity);
            m_pendingOffset = fileOffset;
        }
        const std::size_t room = m_capacity - m_pending.size();
        const std::size_t take = length < room ? length : room;
        m_pending.insert(m_pending.end(), data, data + take);
        data += take;
        length -= take;
        fileOffset += static_cast<std::int64_t>(take);
        if (m_pending.size() == m_capacity && !flush())
            return false;
    }
    return true;
}

bool SegmentWriter::flush()
{
    std::size_t done = 0;
    while (done < m_pending.size()) {
        const ssize_t n = ::pwrite(m_fd, m_pending.data() + done, m_pending.size() - done,
                                   static_cast<off_t>(m_pendingOffset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing and sets no error is as much a failure; it is told as an I/O error.
            m_failed = true;
            m_errorNumber = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
        m_written += n;
    }
    m_pending.clear();
    return !m_failed;
}

bool SegmentWriter::finish()
{
    if (m_fd >= 0) {
        if (!m_pending.empty())
            flush();
        ::close(m_fd);
        m_fd = -1;
    }
    // The buffer is given back at once: a finished worker keeps nothing.
    std::vector<char>().swap(m_pending);
    return !m_failed;
}

} // namespace lanseek::download
