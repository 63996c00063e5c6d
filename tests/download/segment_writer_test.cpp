#include "download/segment_writer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

using lanseek::download::SegmentWriter;

namespace {

std::string readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

void createEmpty(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
}

} // namespace

TEST(SegmentWriter, GathersBlocksAndWritesThemAtTheirOffsets)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.bin"));
    createEmpty(path);
    SegmentWriter writer(path, 4);
    ASSERT_TRUE(writer.isOpen());
    EXPECT_TRUE(writer.write(3, "abc", 3));
    EXPECT_TRUE(writer.write(6, "defgh", 5)); // contiguous, runs over the capacity
    EXPECT_TRUE(writer.write(0, "XYZ", 3));   // a gap backwards
    EXPECT_TRUE(writer.finish());
    EXPECT_EQ(writer.bytesWritten(), 11);
    EXPECT_EQ(readAll(path), "XYZabcdefgh");
}

TEST(SegmentWriter, TwoWritersShareOneFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.bin"));
    createEmpty(path);
    SegmentWriter second(path);
    SegmentWriter first(path);
    EXPECT_TRUE(second.write(5, "world", 5));
    EXPECT_TRUE(second.finish());
    EXPECT_TRUE(first.write(0, "hello", 5));
    EXPECT_TRUE(first.finish());
    EXPECT_EQ(readAll(path), "helloworld");
}

TEST(SegmentWriter, AMissingFileIsNotCreated)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.bin"));
    SegmentWriter writer(path);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(writer.write(0, "x", 1));
    EXPECT_FALSE(writer.finish());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(SegmentWriter, WritesBeyondFourGibibytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse.bin"));
    createEmpty(path);
    const std::int64_t offset = 4LL * 1024 * 1024 * 1024 + 17;
    {
        SegmentWriter writer(path);
        ASSERT_TRUE(writer.write(offset, "tail", 4));
        ASSERT_TRUE(writer.finish());
    }
    // The file is sparse: only the last block takes room on disk.
    const int fd = ::open(path.toUtf8().constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    char got[4] = {};
    EXPECT_EQ(::pread(fd, got, 4, static_cast<off_t>(offset)), 4);
    ::close(fd);
    EXPECT_EQ(std::string(got, 4), "tail");
    EXPECT_EQ(QFile(path).size(), offset + 4);
}
