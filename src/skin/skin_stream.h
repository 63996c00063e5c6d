#pragma once

#include "skin/skin_types.h"

#include <QByteArray>
#include <QIODevice>
#include <memory>

namespace lanseek::skin {

enum class SeekOrigin { Begin, Current, End };

// The byte streams skin data moves through. Reads return how many bytes arrived; a short count means
// the end of the data, which the content readers accept as the end of the skin.
class SeStream
{
public:
    virtual ~SeStream() = default;
    virtual qint64 read(char* data, qint64 count) = 0;
    virtual qint64 write(const char* data, qint64 count) = 0;
    virtual qint64 seek(qint64 offset, SeekOrigin origin) = 0;
    qint64 position() { return seek(0, SeekOrigin::Current); }
    // Streams that hold their data in memory can hand out up to count bytes in place instead of copying
    // them: the bytes are valid until the next call on the stream, and the position moves past them.
    // *available receives how many there are (short at the end). nullptr when the stream cannot.
    virtual const char* readInPlace(qint64 count, qint64* available)
    {
        (void)count;
        *available = 0;
        return nullptr;
    }
};

// A stream over a byte array that it owns; writes grow it.
class SeMemoryStream : public SeStream
{
public:
    SeMemoryStream() = default;
    explicit SeMemoryStream(QByteArray data) : m_data(std::move(data)) {}
    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    qint64 seek(qint64 offset, SeekOrigin origin) override;
    const char* readInPlace(qint64 count, qint64* available) override;
    const QByteArray& data() const { return m_data; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

// A stream over an open device (a file); the device is not owned.
class SeDeviceStream : public SeStream
{
public:
    explicit SeDeviceStream(QIODevice* device) : m_device(device) {}
    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    qint64 seek(qint64 offset, SeekOrigin origin) override;

private:
    QIODevice* m_device;
};

// Compresses everything written to it into the target stream as one zlib stream; closing (finish or
// destruction) flushes the end of the stream. Reading and seeking other than asking the position fail.
class SeCompressionStream : public SeStream
{
public:
    SeCompressionStream(SeStream* target, int level);
    ~SeCompressionStream() override;
    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    qint64 seek(qint64 offset, SeekOrigin origin) override;
    void finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Inflates a zlib stream read from the source. At the end of the compressed data reads come back short.
// Writing fails, and so does seeking backwards other than to the start; a forward seek reads and discards.
class SeDecompressionStream : public SeStream
{
public:
    explicit SeDecompressionStream(SeStream* source);
    ~SeDecompressionStream() override;
    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    qint64 seek(qint64 offset, SeekOrigin origin) override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Inflates a zlib stream read from the source, for the skin loader. It behaves as the decompressor to its
// reader (short reads at the end of the data, no writing, no seeking back other than to the start) but
// inflates in large steps into one buffer that grows by doubling, so that zlib works on long runs of
// output and nothing passes through small intermediate buffers; a source in memory is inflated from
// where it lies. It inflates ahead of its reader by at most the size already read or a first step
// guessed from the compressed size (capped at a few megabytes), so hostile data that inflates without
// end costs little more than what is read of it. A source in memory whose whole content fits in that
// first step is inflated at once by a faster whole-buffer inflater; all else goes through zlib.
// Damaged compressed data raises the decompression error on the read that reaches the end of the
// data inflated before the damage; everything before it reads normally.
class SeInflatingStream : public SeStream
{
public:
    explicit SeInflatingStream(SeStream* source);
    ~SeInflatingStream() override;
    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    qint64 seek(qint64 offset, SeekOrigin origin) override;
    const char* readInPlace(qint64 count, qint64* available) override;

private:
    struct State;
    // Makes bytes up to `end` available when the data holds them; throws when damage stops short of it.
    void ensure(qint64 end);
    std::unique_ptr<State> m_state;
};

// Reading helpers used by the content readers. They never trust a stored length: data is read in
// bounded chunks as it arrives, so a hostile length costs no more memory than the data really present.
class SeReader
{
public:
    explicit SeReader(SeStream* stream) : m_stream(stream) {}
    // Reads up to count bytes; remembers when the data ran out.
    qint64 readRaw(char* data, qint64 count);
    quint8 readU8();
    quint32 readU32();
    qint32 readI32() { return qint32(readU32()); }
    // A u32 byte count and the bytes; short when the data ends early. Longer than `limit` is an error.
    QByteArray readString(qint64 limit = kMaxString);
    // Exactly count bytes unless the data ends first.
    QByteArray readBytes(qint64 count);
    bool atEnd() const { return m_ended; }
    SeStream* stream() const { return m_stream; }

    static constexpr qint64 kMaxString = 64 * 1024 * 1024;

private:
    SeStream* m_stream;
    bool m_ended = false;
};

class SeWriter
{
public:
    explicit SeWriter(SeStream* stream) : m_stream(stream) {}
    void writeRaw(const char* data, qint64 count);
    void writeRaw(const QByteArray& data) { writeRaw(data.constData(), data.size()); }
    void writeU8(quint8 value) { writeRaw(reinterpret_cast<const char*>(&value), 1); }
    void writeU32(quint32 value);
    void writeI32(qint32 value) { writeU32(quint32(value)); }
    void writeString(const QByteArray& text);

private:
    SeStream* m_stream;
};

// One-shot helpers over whole byte arrays, used by the tool, tests and benchmarks.
QByteArray zlibCompress(const QByteArray& data, int level);
// Inflates the stream; stops quietly at the end of the data (a truncated stream gives what it holds).
QByteArray zlibInflate(const QByteArray& data);

} // namespace lanseek::skin
