#include "skin_test_support.h"

#include "skin/skin_bmp.h"
#include "skin/skin_stream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

QByteArray header(const QByteArray& name = "S")
{
    return str(name) + str("1.0") + str("a") + str("e") + str("u");
}

QByteArray pixel(int b, int g, int r, int a = 255)
{
    return bytes({b, g, r, a});
}

QByteArray objectText(const QByteArray& name, const QByteArray& cls)
{
    return "object " + name + ": " + cls + "\r\n  Width = 10\r\nend\r\n";
}

std::unique_ptr<TSeSkinSource> readRaw(const QByteArray& content)
{
    auto source = std::make_unique<TSeSkinSource>();
    SeMemoryStream in(content);
    TSeSkinFilterUncompressed(source.get()).readContent(in);
    return source;
}

QByteArray writeWith(TSeSkinFilter& filter)
{
    SeMemoryStream out;
    filter.writeSkin(out);
    return out.data();
}

void expectSameTrees(const TSeSkinSource& a, const TSeSkinSource& b)
{
    ASSERT_EQ(a.objectCount(), b.objectCount());
    for (int i = 0; i < a.objectCount(); ++i)
        EXPECT_EQ(a.object(i)->toForm(), b.object(i)->toForm()) << a.object(i)->name().constData();
}

} // namespace

TEST(SkinFilters, BothSkinsRoundTripThroughEveryFilter)
{
    for (int index : {1, 2}) {
        auto original = embeddedSource(index);
        ASSERT_EQ(original->objectCount(), 24);
        for (const SkinFilterClass& cls : skinFilterClasses()) {
            SCOPED_TRACE(cls.extension.toStdString() + " of skin " + std::to_string(index));
            auto writer = cls.create(original.get());
            const QByteArray data = writeWith(*writer);
            TSeSkinSource copy;
            SeMemoryStream in(data);
            cls.create(&copy)->readSkin(in);
            EXPECT_EQ(copy.SkinName, original->SkinName);
            EXPECT_EQ(copy.SkinVersion, original->SkinVersion);
            EXPECT_EQ(copy.AuthorURL, original->AuthorURL);
            expectSameTrees(*original, copy);
            ASSERT_EQ(copy.bitmapCount(), original->bitmapCount());
            const bool quantised = cls.extension == "mskn";
            for (int i = 0; i < copy.bitmapCount(); ++i) {
                const TSeBitmap& a = *original->bitmaps()[size_t(i)];
                const TSeBitmap& b = *copy.bitmaps()[size_t(i)];
                ASSERT_EQ(a.name(), b.name());
                ASSERT_EQ(a.rect(), b.rect());
                for (int y = 0; y < a.height(); ++y) {
                    for (int x = 0; x < a.width(); ++x) {
                        const quint32 p = a.pixel(x, y), q = b.pixel(x, y);
                        if (!quantised) {
                            ASSERT_EQ(p, q) << a.name().constData() << " " << x << "," << y;
                        } else if (TSeBitmap::isKey(p)) {
                            ASSERT_EQ(q, TSeBitmap::kKey);
                        } else {
                            // 5-6-5 bits keep each channel within 8 of the original; alpha is opaque.
                            ASSERT_EQ(q >> 24, 255u);
                            for (int shift : {0, 8, 16})
                                ASSERT_LE(std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)), 8);
                        }
                    }
                }
            }
        }
    }
}

TEST(SkinFilters, FramingAndLevels)
{
    auto source = embeddedSource(1);
    const QByteArray raw = writeWith(*skinFilterClasses()[0].create(source.get()));
    const QByteArray fast = writeWith(*skinFilterClasses()[1].create(source.get()));
    const QByteArray best = writeWith(*skinFilterClasses()[2].create(source.get()));
    EXPECT_TRUE(fast.startsWith("KSLZ"));
    EXPECT_TRUE(best.startsWith("KSLZ"));
    EXPECT_EQ(zlibInflate(fast.mid(4)), raw);
    EXPECT_EQ(zlibInflate(best.mid(4)), raw);
    EXPECT_LT(best.size(), fast.size());
    // The zlib header names the level: 0x78 0x01 for the fastest, 0x78 0xDA for the best.
    EXPECT_EQ(quint8(fast[5]), 0x01);
    EXPECT_EQ(quint8(best[5]), 0xDA);
    const auto& list = skinFilterClasses();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[3].description, "Maximum Compressed");
    EXPECT_EQ(list[2].description, "Ultra Compressed Skin");
}

TEST(SkinStoredForm, PresenceByteAndMagic)
{
    TSeSkinSource empty;
    EXPECT_EQ(empty.storedForm(), QByteArray(1, '\0'));
    TSeSkinSource stillEmpty;
    stillEmpty.loadStoredForm(QByteArray(1, '\0'));
    EXPECT_TRUE(stillEmpty.isEmpty());

    QByteArray stored = embeddedSkinStream(2);
    ASSERT_EQ(stored[0], char(2));
    stored[0] = 1;                // any nonzero presence announces a skin
    stored.replace(1, 4, "ABCD"); // and the magic is not compared
    TSeSkinSource source;
    source.loadStoredForm(stored);
    EXPECT_EQ(source.objectCount(), 24);
    EXPECT_EQ(source.storedForm()[0], char(2));
}

TEST(SkinContent, TruncatedBodyGivesWhatWasRead)
{
    auto full = embeddedSource(1);
    SeMemoryStream out;
    TSeSkinFilterUncompressed(full.get()).writeContent(out);
    const QByteArray content = out.data();

    // Cut inside the first bitmap's pixels: one partly filled bitmap, no objects, no error.
    const qsizetype headerSize = 20 + full->SkinName.size() + full->SkinVersion.size() + full->Author.size() +
                                 full->AuthorEMail.size() + full->AuthorURL.size();
    const qsizetype firstPixels = headerSize + 4 + 4 + full->bitmaps()[0]->name().size() + 8;
    auto cut = readRaw(content.left(firstPixels + 100));
    EXPECT_EQ(cut->bitmapCount(), 1);
    EXPECT_EQ(cut->objectCount(), 0);
    EXPECT_EQ(cut->bitmaps()[0]->width(), full->bitmaps()[0]->width());

    // Cut inside the header: empty strings and nothing else.
    auto early = readRaw(content.left(9));
    EXPECT_EQ(early->SkinName, "Tide");
    EXPECT_TRUE(early->Author.isEmpty());
    EXPECT_EQ(early->bitmapCount(), 0);

    // A compressed body cut short behaves the same way.
    const QByteArray framed = full->storedForm();
    TSeSkinSource partial;
    partial.loadStoredForm(framed.left(framed.size() / 2));
    EXPECT_LT(partial.objectCount(), 24);
}

TEST(SkinContent, HostileCountsAndSizesAreRefused)
{
    // Four billion bitmaps announced, none present: the reader stops at the end of the data.
    auto many = readRaw(header() + u32(0xFFFFFFFFu));
    EXPECT_LE(many->bitmapCount(), 1);

    // A side beyond 16384 pixels is an allocation failure, not an allocation.
    try {
        readRaw(header() + u32(1) + str("big") + u32(16385) + u32(2));
        FAIL() << "expected an allocation failure";
    } catch (const BitmapAllocationError& e) {
        EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
    }

    // A zero side reads no pixel bytes, so the next record follows at once.
    auto zero = readRaw(header() + u32(2) + str("none") + u32(0) + u32(5) + str("one") + u32(1) + u32(1) +
                        pixel(1, 2, 3) + u32(0));
    ASSERT_EQ(zero->bitmapCount(), 2);
    EXPECT_TRUE(zero->bitmaps()[0]->isEmpty());
    EXPECT_EQ(zero->bitmaps()[1]->pixel(0, 0), 0xFF030201u);
}

TEST(SkinContent, MagentaBecomesTheKeyInRawRecords)
{
    const QByteArray content = header() + u32(1) + str("m") + u32(3) + u32(1) +
                               pixel(0xFA, 0x05, 0xFB, 0x11) + pixel(0xF9, 0x00, 0xFF) +
                               pixel(0xFF, 0x00, 0xFF, 0) + u32(0);
    auto source = readRaw(content);
    const TSeBitmap& b = *source->bitmaps()[0];
    EXPECT_EQ(b.pixel(0, 0), TSeBitmap::kKey);
    EXPECT_EQ(b.pixel(1, 0), 0xFFFF00F9u);
    EXPECT_EQ(b.pixel(2, 0), TSeBitmap::kKey);
}

TEST(SkinContent, EveryPixelNearMagentaBecomesTheKeyWhateverItsPlaceInTheLine)
{
    // Each channel runs from 8 below to 8 above its magenta value, the others varying with it, in lines
    // whose widths leave every remainder after groups of four pixels.
    QList<quint32> pixels;
    for (int d = -8; d <= 8; ++d) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int other : {0, 3, 5, 6, 9}) {
                int c[3] = {0xFF - other, other, 0xFF - other};
                c[channel] = channel == 1 ? std::clamp(d, 0, 255) : std::clamp(0xFF + d, 0, 255);
                pixels.append(quint32(c[0]) | (quint32(c[1]) << 8) | (quint32(c[2]) << 16) |
                              (quint32((d * 37) & 0xFF) << 24));
            }
        }
    }
    auto nearMagenta = [](quint32 p) {
        return std::abs(int(p & 0xFF) - 0xFF) < 6 && std::abs(int((p >> 8) & 0xFF)) < 6 &&
               std::abs(int((p >> 16) & 0xFF) - 0xFF) < 6;
    };
    for (int width : {1, 2, 3, 4, 5, 7, 8, 13}) {
        const int height = int((pixels.size() + width - 1) / width);
        QByteArray body;
        for (int i = 0; i < width * height; ++i) {
            const quint32 p = pixels[i % pixels.size()];
            body += pixel(int(p & 0xFF), int((p >> 8) & 0xFF), int((p >> 16) & 0xFF), int(p >> 24));
        }
        auto source = readRaw(header() + u32(1) + str("m") + u32(quint32(width)) + u32(quint32(height)) +
                              body + u32(0));
        const TSeBitmap& b = *source->bitmaps()[0];
        int keyed = 0;
        for (int i = 0; i < width * height; ++i) {
            const quint32 p = pixels[i % pixels.size()];
            const quint32 expected = nearMagenta(p) ? TSeBitmap::kKey : p;
            keyed += nearMagenta(p);
            ASSERT_EQ(b.pixel(i % width, i / width), expected) << "width " << width << " pixel " << i;
        }
        EXPECT_GT(keyed, 0);
        EXPECT_LT(keyed, width * height);
    }
}

TEST(SkinContent, BmpRecordsAreOpaqueAndKeyedNearTheKeyColour)
{
    // A 3 x 1 24-bit BMP: a near-key pixel, a plain one and a pixel just outside the rule.
    QByteArray bmp = "BM" + u32(14 + 40 + 12) + u32(0) + u32(54) + u32(40) + u32(3) + u32(1) +
                     bytes({1, 0, 24, 0}) + u32(0) + u32(12) + u32(0) + u32(0) + u32(0) + u32(0);
    bmp += bytes({0x7B, 0x03, 0x84, 0x10, 0x20, 0x30, 0x79, 0x00, 0x7F, 0, 0, 0});
    const QByteArray content = header() + u32(1) + str("b") + u32(quint32(bmp.size())) + bmp + u32(0);
    TSeSkinSource source;
    SeMemoryStream in(content);
    TSeSkinFilterMaxCompression(&source).readContent(in);
    ASSERT_EQ(source.bitmapCount(), 1);
    const TSeBitmap& b = *source.bitmaps()[0];
    EXPECT_EQ(b.pixel(0, 0), TSeBitmap::kKey);
    EXPECT_EQ(b.pixel(1, 0), 0xFF302010u);
    EXPECT_EQ(b.pixel(2, 0), 0xFF7F0079u);
}

TEST(SkinContent, UnknownClassesAreSkippedAndCounted)
{
    const QByteArray text = header() + u32(0) + u32(3) + str("TSeMysteryObject") +
                            str(objectText("Odd", "TSeMysteryObject")) + str("TSeSkinObject") +
                            str(objectText("Button", "TSeSkinObject")) + str("TSeSkinObject") +
                            str("garbage");
    auto source = readRaw(text);
    ASSERT_EQ(source->objectCount(), 1);
    EXPECT_EQ(source->object(0)->name(), "Button");
    EXPECT_EQ(source->object(0)->width(), 10);
    EXPECT_EQ(source->loadReport().unknownClasses, 1);
    EXPECT_EQ(source->loadReport().damagedRecords, 1);

    // In the maximum variant the record's length carries the reader past an unknown class.
    TSeSkinObject known;
    known.setName("Edit");
    const QByteArray binary = writeBinaryForm(known.toForm());
    const QByteArray maxContent = header() + u32(0) + u32(2) + str("TSeOther") + u32(5) + "12345" +
                                  str("TSeSkinObject") + u32(quint32(binary.size())) + binary;
    TSeSkinSource max;
    SeMemoryStream in(maxContent);
    TSeSkinFilterMaxCompression(&max).readContent(in);
    ASSERT_EQ(max.objectCount(), 1);
    EXPECT_EQ(max.object(0)->name(), "Edit");
    EXPECT_EQ(max.loadReport().unknownClasses, 1);
}

TEST(SkinStreams, ErrorsCarryTheirMessages)
{
    SeMemoryStream sink;
    SeCompressionStream compressor(&sink, 1);
    char buffer[4];
    try {
        compressor.read(buffer, 4);
        FAIL();
    } catch (const StreamOperationError& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
    compressor.write("abc", 3);
    EXPECT_EQ(compressor.position(), 3);
    EXPECT_THROW(compressor.seek(0, SeekOrigin::Begin), StreamOperationError);

    SeMemoryStream source(zlibCompress(QByteArray(10000, 'x') + "tail", 9));
    SeDecompressionStream decompressor(&source);
    EXPECT_THROW(decompressor.write("a", 1), StreamOperationError);
    EXPECT_EQ(decompressor.seek(10000, SeekOrigin::Begin), 10000); // forward: read and discarded
    EXPECT_EQ(decompressor.read(buffer, 4), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "tail");
    EXPECT_THROW(decompressor.seek(5, SeekOrigin::Begin), StreamOperationError);
    EXPECT_EQ(decompressor.seek(0, SeekOrigin::Begin), 0); // back to the start is allowed
    EXPECT_EQ(decompressor.read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(decompressor.read(buffer, 0), 0);

    SeMemoryStream garbage(QByteArray("KSLZ") + QByteArray(64, '\x55'));
    TSeSkinSource target;
    try {
        target.loadFromStream(garbage);
        FAIL();
    } catch (const DecompressionError& e) {
        EXPECT_STREQ(e.what(), "error");
    }
}

TEST(SkinFiles, ExtensionChoosesTheFilter)
{
    QTemporaryDir dir;
    auto source = embeddedSource(1);
    const QString unknown = dir.filePath("skin.foo");
    source->saveToFile(unknown);
    QFile f(unknown);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(4) == "KSLZ"); // unknown extensions are written compressed

    TSeSkinSource loaded;
    loaded.loadFromFile(unknown); // but not loaded
    EXPECT_TRUE(loaded.isEmpty());
    loaded.loadFromFile(dir.filePath("missing.kskn"));
    EXPECT_TRUE(loaded.isEmpty());
    loaded.loadFromFile(QString());
    EXPECT_TRUE(loaded.isEmpty());

    const QString upper = dir.filePath("SKIN.MSKN");
    source->saveToFile(upper);
    loaded.loadFromFile(upper);
    EXPECT_EQ(loaded.objectCount(), 24);
    EXPECT_EQ(filterForFileName("a.USKN", &loaded)->description(), "Uncompressed Skin");
    EXPECT_EQ(filterForFileName("noext", &loaded), nullptr);
}

TEST(SkinBmp, ReadsCommonDepths)
{
    TSeBitmap b(3, 2);
    b.setPixel(0, 0, 0xFFF80000u); // red
    b.setPixel(1, 0, 0xFF00FC00u); // green
    b.setPixel(2, 1, 0xFF0000F8u); // blue
    const TSeBitmap back = readBmp(writeBmp16(b));
    ASSERT_EQ(back.rect(), b.rect());
    EXPECT_EQ(back.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(back.pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(back.pixel(2, 1), 0xFF0000FFu);
    EXPECT_EQ(back.pixel(1, 1), 0xFF000000u);

    // 32 bits, top-down (negative height): first stored row is the top one.
    QByteArray bmp = "BM" + u32(0) + u32(0) + u32(54) + u32(40) + u32(1) + u32(quint32(-2)) +
                     bytes({1, 0, 32, 0}) + u32(0) + u32(8) + u32(0) + u32(0) + u32(0) + u32(0);
    bmp += bytes({1, 2, 3, 0, 4, 5, 6, 0});
    const TSeBitmap top = readBmp(bmp);
    EXPECT_EQ(top.pixel(0, 0), 0xFF030201u);
    EXPECT_EQ(top.pixel(0, 1), 0xFF060504u);

    EXPECT_THROW(readBmp(bmp.left(bmp.size() - 1)), FormatError);
    EXPECT_THROW(readBmp("BM"), FormatError);
    QByteArray huge = bmp;
    huge.replace(18, 4, u32(100000));
    EXPECT_THROW(readBmp(huge), BitmapAllocationError);
}

TEST(SkinContent, DamagedBmpRecordsKeepTheirNames)
{
    const QByteArray good = writeBmp16(TSeBitmap(2, 2));
    const QByteArray content = header() + u32(3) + str("broken") + u32(6) + "BMjunk" + str("fine") +
                               u32(quint32(good.size())) + good + str("cut") + u32(1000) + "BM";
    TSeSkinSource source;
    SeMemoryStream in(content);
    TSeSkinFilterMaxCompression(&source).readContent(in);
    ASSERT_EQ(source.bitmapCount(), 2); // the record cut short by the end of the data is dropped
    EXPECT_EQ(source.bitmaps()[0]->name(), "broken");
    EXPECT_TRUE(source.bitmaps()[0]->isEmpty());
    EXPECT_EQ(source.bitmaps()[1]->name(), "fine");
    EXPECT_EQ(source.bitmaps()[1]->width(), 2);
    EXPECT_EQ(source.loadReport().damagedRecords, 1);
}

TEST(SkinStreams, InflatingStreamReadsWhatTheDecompressorReads)
{
    const QByteArray body = embeddedSkinStream(1).mid(5);
    const QByteArray expected = zlibInflate(body);
    ASSERT_GT(expected.size(), 300000);
    // Reads of every size from one byte to more than the first step, as the content reader makes them.
    SeMemoryStream source(body);
    SeInflatingStream z(&source);
    QByteArray got;
    qint64 step = 1;
    for (;;) {
        QByteArray chunk(step, '\0');
        const qint64 n = z.read(chunk.data(), step);
        got.append(chunk.left(n));
        if (n < step)
            break;
        step = step * 3 % 400009 + 1;
    }
    EXPECT_EQ(got, expected);
    char byte = 0;
    EXPECT_EQ(z.read(&byte, 1), 0);
    EXPECT_EQ(z.position(), expected.size());

    // Seeking: forward skips, back to the start reads again, any other way back fails, writing fails.
    EXPECT_EQ(z.seek(0, SeekOrigin::Begin), 0);
    EXPECT_EQ(z.seek(100, SeekOrigin::Current), 100);
    EXPECT_EQ(z.read(&byte, 1), 1);
    EXPECT_EQ(byte, expected[100]);
    EXPECT_THROW(z.seek(50, SeekOrigin::Begin), StreamOperationError);
    EXPECT_THROW(z.seek(-1, SeekOrigin::Current), StreamOperationError);
    EXPECT_THROW(z.write("a", 1), StreamOperationError);
    EXPECT_EQ(z.seek(qint64(1) << 40, SeekOrigin::Begin), expected.size());

    // A source that is not in memory is read in chunks and gives the same bytes.
    QTemporaryDir dir;
    QFile file(dir.filePath("body.z"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write(body + "trailing bytes after the stream");
    file.seek(0);
    SeDeviceStream device(&file);
    SeInflatingStream fromFile(&device);
    QByteArray all(expected.size() + 10, '\0');
    EXPECT_EQ(fromFile.read(all.data(), all.size()), expected.size());
    EXPECT_EQ(all.left(expected.size()), expected);
}

TEST(SkinStreams, InflatingStreamLeavesWhatFollowsTheStreamInItsSource)
{
    // Data that fits the first step, and data that inflates to far more than it (a megabyte of one
    // letter compresses to a few hundred bytes): both read whole, and the source stands right after
    // the compressed stream once the inflating stream is done with it.
    for (const QByteArray& plain :
         {QByteArray("short content ") + QByteArray(5000, 'x'), QByteArray(1 << 20, 'a')}) {
        const QByteArray compressed = zlibCompress(plain, 9);
        SeMemoryStream source(compressed + "tail");
        {
            SeInflatingStream z(&source);
            QByteArray all(plain.size() + 100, '\0');
            EXPECT_EQ(z.read(all.data(), all.size()), plain.size());
            EXPECT_EQ(all.left(plain.size()), plain);
        }
        EXPECT_EQ(source.position(), compressed.size());
        char rest[4];
        ASSERT_EQ(source.read(rest, 4), 4);
        EXPECT_EQ(QByteArray(rest, 4), "tail");
    }
}

TEST(SkinStreams, InflatingStreamStopsCleanlyAtDamage)
{
    const QByteArray plain = QByteArray(200000, 'a') + QByteArray(1000, 'b');
    const QByteArray good = zlibCompress(plain, 1);
    char buffer[16];

    // Cut short: the reads come back short, without an error.
    {
        SeMemoryStream source(good.left(good.size() / 2));
        SeInflatingStream z(&source);
        QByteArray all(plain.size(), '\0');
        const qint64 n = z.read(all.data(), all.size());
        EXPECT_GT(n, 0);
        EXPECT_LT(n, plain.size());
        EXPECT_EQ(all.left(n), plain.left(n));
        EXPECT_EQ(z.read(buffer, 1), 0);
    }
    // A damaged check value at the end: everything reads until the read that reaches the end.
    {
        QByteArray damaged = good;
        damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 0x5A);
        SeMemoryStream source(damaged);
        SeInflatingStream z(&source);
        QByteArray head(plain.size() - 16, '\0');
        EXPECT_EQ(z.read(head.data(), head.size()), head.size());
        EXPECT_EQ(head, plain.left(head.size()));
        try {
            z.read(buffer, 16);
            FAIL() << "expected a decompression error";
        } catch (const DecompressionError& e) {
            EXPECT_STREQ(e.what(), "error");
        }
    }
    // Damage inside the data: the bytes before it read, the read that needs what follows fails.
    {
        QByteArray damaged = zlibCompress(plain, 9);
        for (qsizetype i = damaged.size() / 2; i < damaged.size() / 2 + 8; ++i)
            damaged[i] = char(0xFF);
        SeMemoryStream source(damaged);
        SeInflatingStream z(&source);
        QByteArray all(plain.size(), '\0');
        EXPECT_THROW(z.read(all.data(), all.size()), DecompressionError);
    }
}

TEST(SkinContent, DamagedBodiesFailAsTheyAlwaysHave)
{
    const QByteArray stored = embeddedSkinStream(1);
    // The check value at the very end is damaged: the error comes with the last object record, and
    // what was read before it stays loaded.
    QByteArray trailer = stored;
    trailer[trailer.size() - 1] = char(trailer[trailer.size() - 1] ^ 0x33);
    TSeSkinSource source;
    try {
        source.loadStoredForm(trailer);
        FAIL() << "expected a decompression error";
    } catch (const DecompressionError& e) {
        EXPECT_STREQ(e.what(), "error");
    }
    EXPECT_EQ(source.bitmapCount(), embeddedSource(1)->bitmapCount());
    EXPECT_EQ(source.objectCount(), 23);

    // Garbage after the end of the zlib stream is never looked at.
    TSeSkinSource padded;
    padded.loadStoredForm(stored + QByteArray(1000, '\x77'));
    EXPECT_EQ(padded.objectCount(), 24);
}
