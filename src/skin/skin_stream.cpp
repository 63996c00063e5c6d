#include "skin/skin_stream.h"

#include "skin/skin_log.h"

#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <limits>
#include <zlib.h>

namespace lanseek::skin {

namespace {
constexpr int kBufferSize = 8192;
constexpr qint64 kDiscardBlock = 4096;
constexpr qint64 kReadChunk = 64 * 1024;
} // namespace

// ---- memory and device streams ----

qint64 SeMemoryStream::read(char* data, qint64 count)
{
    const qint64 n = std::clamp<qint64>(m_data.size() - m_pos, 0, std::max<qint64>(count, 0));
    if (n > 0)
        std::memcpy(data, m_data.constData() + m_pos, size_t(n));
    m_pos += n;
    return n;
}

qint64 SeMemoryStream::write(const char* data, qint64 count)
{
    if (count <= 0)
        return 0;
    const qint64 end = m_pos + count;
    if (end > m_data.size())
        m_data.resize(end);
    std::memcpy(m_data.data() + m_pos, data, size_t(count));
    m_pos = end;
    return count;
}

qint64 SeMemoryStream::seek(qint64 offset, SeekOrigin origin)
{
    qint64 base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? m_pos : m_data.size();
    m_pos = std::max<qint64>(0, base + offset);
    return m_pos;
}

const char* SeMemoryStream::readInPlace(qint64 count, qint64* available)
{
    const qint64 n = std::clamp<qint64>(m_data.size() - m_pos, 0, std::max<qint64>(count, 0));
    const char* at = m_data.constData() + std::min<qint64>(m_pos, m_data.size());
    m_pos += n;
    *available = n;
    return at;
}

qint64 SeDeviceStream::read(char* data, qint64 count)
{
    const qint64 n = m_device->read(data, count);
    return n < 0 ? 0 : n;
}

qint64 SeDeviceStream::write(const char* data, qint64 count)
{
    const qint64 n = m_device->write(data, count);
    return n < 0 ? 0 : n;
}

qint64 SeDeviceStream::seek(qint64 offset, SeekOrigin origin)
{
    qint64 base = origin == SeekOrigin::Begin     ? 0
                  : origin == SeekOrigin::Current ? m_device->pos()
                                                  : m_device->size();
    if (offset == 0 && origin == SeekOrigin::Current)
        return m_device->pos();
    m_device->seek(std::max<qint64>(0, base + offset));
    return m_device->pos();
}

// ---- compressor ----

struct SeCompressionStream::State
{
    SeStream* target = nullptr;
    z_stream z{};
    bool open = false;
    qint64 written = 0;
    unsigned char buffer[kBufferSize];

    void drain()
    {
        const qint64 n = kBufferSize - z.avail_out;
        if (n > 0 && target->write(reinterpret_cast<const char*>(buffer), n) != n)
            throw CompressionError();
        z.next_out = buffer;
        z.avail_out = kBufferSize;
    }
};

SeCompressionStream::SeCompressionStream(SeStream* target, int level) : m_state(std::make_unique<State>())
{
    m_state->target = target;
    if (deflateInit(&m_state->z, level) != Z_OK)
        throw CompressionError();
    m_state->open = true;
    m_state->z.next_out = m_state->buffer;
    m_state->z.avail_out = kBufferSize;
}

SeCompressionStream::~SeCompressionStream()
{
    try {
        finish();
    } catch (const SkinError& e) {
        // A destructor cannot hand the failure on; finish() is called explicitly where it matters, and
        // anywhere else the log is the one place left to tell of it.
        qCWarning(skinLog).noquote() << QStringLiteral("a compressed skin stream could not be finished: %1")
                                            .arg(QString::fromUtf8(e.what()));
    }
    if (m_state->open)
        deflateEnd(&m_state->z);
}

qint64 SeCompressionStream::read(char*, qint64)
{
    throw StreamOperationError();
}

qint64 SeCompressionStream::write(const char* data, qint64 count)
{
    State& s = *m_state;
    if (!s.open)
        throw CompressionError();
    qint64 left = count;
    while (left > 0) {
        const uInt chunk = uInt(std::min<qint64>(left, 1 << 30));
        s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        s.z.avail_in = chunk;
        while (s.z.avail_in > 0) {
            if (deflate(&s.z, Z_NO_FLUSH) == Z_STREAM_ERROR)
                throw CompressionError();
            if (s.z.avail_out == 0)
                s.drain();
        }
        data += chunk;
        left -= chunk;
    }
    s.written += count;
    return count;
}

qint64 SeCompressionStream::seek(qint64 offset, SeekOrigin origin)
{
    if (offset == 0 && origin == SeekOrigin::Current)
        return m_state->written;
    throw StreamOperationError();
}

void SeCompressionStream::finish()
{
    State& s = *m_state;
    if (!s.open)
        return;
    s.z.next_in = nullptr;
    s.z.avail_in = 0;
    int rc;
    do {
        rc = deflate(&s.z, Z_FINISH);
        if (rc == Z_STREAM_ERROR) {
            deflateEnd(&s.z);
            s.open = false;
            throw CompressionError();
        }
        s.drain();
    } while (rc != Z_STREAM_END);
    deflateEnd(&s.z);
    s.open = false;
}

// ---- decompressor ----

struct SeDecompressionStream::State
{
    SeStream* source = nullptr;
    qint64 sourceStart = 0;
    z_stream z{};
    bool ended = false;
    qint64 position = 0;
    unsigned char buffer[kBufferSize];
};

SeDecompressionStream::SeDecompressionStream(SeStream* source) : m_state(std::make_unique<State>())
{
    m_state->source = source;
    m_state->sourceStart = source->position();
    if (inflateInit(&m_state->z) != Z_OK)
        throw DecompressionError();
}

SeDecompressionStream::~SeDecompressionStream()
{
    inflateEnd(&m_state->z);
}

qint64 SeDecompressionStream::read(char* data, qint64 count)
{
    State& s = *m_state;
    qint64 total = 0;
    while (total < count && !s.ended) {
        const uInt want = uInt(std::min<qint64>(count - total, 1 << 30));
        s.z.next_out = reinterpret_cast<Bytef*>(data + total);
        s.z.avail_out = want;
        if (s.z.avail_in == 0) {
            const qint64 n = s.source->read(reinterpret_cast<char*>(s.buffer), kBufferSize);
            if (n <= 0) {
                // The compressed data ended before the stream did: what arrived is all there is.
                s.ended = true;
                break;
            }
            s.z.next_in = s.buffer;
            s.z.avail_in = uInt(n);
        }
        const int rc = inflate(&s.z, Z_NO_FLUSH);
        total += want - s.z.avail_out;
        if (rc == Z_STREAM_END) {
            s.ended = true;
        } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
            throw DecompressionError();
        }
    }
    s.position += total;
    return total;
}

qint64 SeDecompressionStream::write(const char*, qint64)
{
    throw StreamOperationError();
}

qint64 SeDecompressionStream::seek(qint64 offset, SeekOrigin origin)
{
    State& s = *m_state;
    if (offset == 0 && origin == SeekOrigin::Begin) {
        inflateEnd(&s.z);
        s.z = z_stream{};
        if (inflateInit(&s.z) != Z_OK)
            throw DecompressionError();
        s.source->seek(s.sourceStart, SeekOrigin::Begin);
        s.ended = false;
        s.position = 0;
        return 0;
    }
    qint64 forward = -1;
    if (origin == SeekOrigin::Current && offset >= 0)
        forward = offset;
    else if (origin == SeekOrigin::Begin && offset >= s.position)
        forward = offset - s.position;
    if (forward < 0)
        throw StreamOperationError();
    char discard[kDiscardBlock];
    while (forward > 0) {
        const qint64 n = read(discard, std::min(forward, kDiscardBlock));
        if (n <= 0)
            break;
        forward -= n;
    }
    return s.position;
}

// ---- inflating loader stream ----

namespace {
constexpr qint64 kInflateFirstStep = 256 * 1024;
constexpr qint64 kInflateGuessLimit = 8 * 1024 * 1024;
constexpr qint64 kSourceChunk = 64 * 1024;
} // namespace

struct SeInflatingStream::State
{
    SeStream* source = nullptr;
    z_stream z{};
    QByteArray out;        // inflated bytes; its size is the capacity, `produced` of it are filled
    qint64 produced = 0;   // bytes inflated so far
    qint64 position = 0;   // the reader's position
    bool ended = false;    // the zlib stream ended, or its input did
    bool damaged = false;  // zlib refused the data after `produced` bytes
    QByteArray input;      // compressed bytes read from a source that is not in memory
    bool inMemory = false; // the source's remaining bytes were handed to zlib where they lie
    bool whole = false;    // everything was inflated at once, before the first read
    qint64 wholeInput = 0; // the compressed bytes that took
    qint64 firstStep = kInflateFirstStep;

    // Compressed data in memory that inflates within the first step is inflated in one call of the
    // whole-buffer decompressor, which is several times faster than zlib's streaming inflate and checks
    // the same trailer. Anything it does not finish (damage, a truncated stream, more output than the
    // step) is left to zlib from the start, so that such data reads exactly as it always has.
    void inflateWhole(const char* data, qint64 size)
    {
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        if (!d)
            return;
        out.resize(qsizetype(firstStep));
        size_t in = 0;
        size_t inflated = 0;
        const libdeflate_result rc = libdeflate_zlib_decompress_ex(d, data, size_t(size), out.data(),
                                                                   size_t(out.size()), &in, &inflated);
        libdeflate_free_decompressor(d);
        if (rc != LIBDEFLATE_SUCCESS) {
            out.clear();
            return;
        }
        produced = qint64(inflated);
        wholeInput = qint64(in);
        whole = true;
        ended = true;
    }
};

SeInflatingStream::SeInflatingStream(SeStream* source) : m_state(std::make_unique<State>())
{
    State& s = *m_state;
    s.source = source;
    if (inflateInit(&s.z) != Z_OK)
        throw DecompressionError();
    // Compressed bytes already in memory are not copied: zlib reads them in place.
    qint64 available = 0;
    const qint64 start = source->position();
    const char* data = source->readInPlace(std::numeric_limits<qint64>::max(), &available);
    if (data) {
        s.inMemory = true;
        s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        s.z.avail_in = uInt(std::min<qint64>(available, std::numeric_limits<uInt>::max()));
        // Skins inflate to some ten times their compressed size; a first step of that size usually holds
        // the whole content, so the buffer never has to move. It is capped, since this is a guess made
        // before any data has been seen.
        s.firstStep = std::clamp(available * 12, kInflateFirstStep, kInflateGuessLimit);
        s.inflateWhole(data, available);
        // What is not consumed stays in the source, as with any reader.
        source->seek(start, SeekOrigin::Begin);
    }
}

SeInflatingStream::~SeInflatingStream()
{
    State& s = *m_state;
    if (s.inMemory)
        s.source->seek(s.whole ? s.wholeInput : qint64(s.z.total_in), SeekOrigin::Current);
    inflateEnd(&s.z);
}

void SeInflatingStream::ensure(qint64 end)
{
    State& s = *m_state;
    // One byte beyond what is asked for: at the end of the data that makes zlib go on to the trailer
    // and check it, so damage there is found by the read that reaches it.
    while (s.produced <= end && !s.ended && !s.damaged) {
        if (s.z.avail_in == 0) {
            if (s.inMemory) {
                s.ended = true; // the compressed data ended before the stream did
                break;
            }
            s.input.resize(kSourceChunk);
            const qint64 n = s.source->read(s.input.data(), kSourceChunk);
            if (n <= 0) {
                s.ended = true;
                break;
            }
            s.z.next_in = reinterpret_cast<Bytef*>(s.input.data());
            s.z.avail_in = uInt(n);
        }
        // The buffer doubles as real data arrives, never by what a stored length claims, so that zlib
        // runs on long stretches of output and a hostile length costs only the data present.
        if (s.produced == s.out.size())
            s.out.resize(qsizetype(std::max(s.firstStep, qint64(s.out.size()) * 2)));
        s.z.next_out = reinterpret_cast<Bytef*>(s.out.data() + s.produced);
        s.z.avail_out = uInt(std::min<qint64>(s.out.size() - s.produced, std::numeric_limits<uInt>::max()));
        const uInt before = s.z.avail_out;
        const int rc = inflate(&s.z, Z_NO_FLUSH);
        s.produced += before - s.z.avail_out;
        if (rc == Z_STREAM_END)
            s.ended = true;
        else if (rc != Z_OK && rc != Z_BUF_ERROR)
            s.damaged = true;
    }
    if (s.damaged && end >= s.produced)
        throw DecompressionError();
}

qint64 SeInflatingStream::read(char* data, qint64 count)
{
    qint64 available = 0;
    const char* from = readInPlace(count, &available);
    if (available > 0)
        std::memcpy(data, from, size_t(available));
    return available;
}

const char* SeInflatingStream::readInPlace(qint64 count, qint64* available)
{
    State& s = *m_state;
    // "Everything there is" may be asked for with the largest count; the end must not overflow.
    count = std::clamp<qint64>(count, 0, std::numeric_limits<qint64>::max() - s.position);
    ensure(s.position + count);
    const qint64 n = std::min(count, s.produced - s.position);
    const char* at = s.out.constData() + s.position;
    s.position += n;
    *available = n;
    return at;
}

qint64 SeInflatingStream::write(const char*, qint64)
{
    throw StreamOperationError();
}

qint64 SeInflatingStream::seek(qint64 offset, SeekOrigin origin)
{
    State& s = *m_state;
    qint64 target = -1;
    if (origin == SeekOrigin::Begin && (offset == 0 || offset >= s.position))
        target = offset;
    else if (origin == SeekOrigin::Current && offset >= 0)
        target = s.position + offset;
    if (target < 0)
        throw StreamOperationError();
    // Back to the start reads the same bytes again; forward skips what the data holds.
    if (target > s.position) {
        ensure(target);
        target = std::min(target, s.produced);
    }
    s.position = target;
    return s.position;
}

// ---- readers and writers ----

qint64 SeReader::readRaw(char* data, qint64 count)
{
    if (count <= 0)
        return 0;
    qint64 total = 0;
    while (total < count) {
        const qint64 n = m_stream->read(data + total, count - total);
        if (n <= 0)
            break;
        total += n;
    }
    if (total < count) {
        std::memset(data + total, 0, size_t(count - total));
        m_ended = true;
    }
    return total;
}

quint8 SeReader::readU8()
{
    char b = 0;
    readRaw(&b, 1);
    return quint8(b);
}

quint32 SeReader::readU32()
{
    unsigned char b[4] = {};
    readRaw(reinterpret_cast<char*>(b), 4);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}

QByteArray SeReader::readBytes(qint64 count)
{
    // A stream in memory hands the bytes over at once; others are read in bounded chunks.
    if (count > 0 && !m_ended) {
        qint64 available = 0;
        if (const char* data = m_stream->readInPlace(count, &available)) {
            if (available < count)
                m_ended = true;
            return QByteArray(data, available);
        }
    }
    QByteArray out;
    while (count > 0 && !m_ended) {
        const qint64 chunk = std::min(count, kReadChunk);
        const qint64 old = out.size();
        out.resize(old + chunk);
        const qint64 n = readRaw(out.data() + old, chunk);
        out.resize(old + n);
        count -= n;
        if (n < chunk)
            break;
    }
    return out;
}

QByteArray SeReader::readString(qint64 limit)
{
    const quint32 length = readU32();
    if (qint64(length) > limit)
        throw FormatError("string too long");
    return readBytes(length);
}

void SeWriter::writeRaw(const char* data, qint64 count)
{
    if (count > 0 && m_stream->write(data, count) != count)
        throw SkinError("write failed");
}

void SeWriter::writeU32(quint32 value)
{
    const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                static_cast<unsigned char>(value >> 16),
                                static_cast<unsigned char>(value >> 24)};
    writeRaw(reinterpret_cast<const char*>(b), 4);
}

void SeWriter::writeString(const QByteArray& text)
{
    writeU32(quint32(text.size()));
    writeRaw(text);
}

QByteArray zlibCompress(const QByteArray& data, int level)
{
    SeMemoryStream out;
    {
        SeCompressionStream z(&out, level);
        z.write(data.constData(), data.size());
        z.finish();
    }
    return out.data();
}

QByteArray zlibInflate(const QByteArray& data)
{
    SeMemoryStream in(data);
    SeDecompressionStream z(&in);
    QByteArray out;
    char buffer[kBufferSize];
    for (;;) {
        const qint64 n = z.read(buffer, kBufferSize);
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    return out;
}

} // namespace lanseek::skin
