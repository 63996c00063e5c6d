#include "platform/media/playlist_sniff.h"

#include "test_media.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <future>

using namespace lanseek::platform;

namespace {

PlaylistKind sniff(const QByteArray& bytes)
{
    return sniffPlaylistKind(bytes, true);
}

} // namespace

TEST(SniffList, AsxStartsWithItsElementAfterAByteOrderMarkOrWhitespace)
{
    EXPECT_EQ(sniff("<asx version = \"3.0\">\r\n<title>demo</title>\r\n</asx>\r\n"), PlaylistKind::Asx);
    EXPECT_EQ(sniff("\xEF\xBB\xBF \r\n\t<ASX>"), PlaylistKind::Asx);
    EXPECT_EQ(sniff("<Asx/>"), PlaylistKind::Asx);
    EXPECT_EQ(sniff(QByteArray("\xFF\xFE") + QByteArray("<\0a\0s\0x\0>\0", 10)), PlaylistKind::Asx);
    EXPECT_EQ(sniff(QByteArray("\xFE\xFF") + QByteArray("\0<\0A\0S\0X\0 ", 10)), PlaylistKind::Asx);
    // Other markup, or a longer element name, is no ASX list.
    EXPECT_EQ(sniff("<asxfoo>"), PlaylistKind::None);
    EXPECT_EQ(sniff("<html><body><asx></asx></body></html>"), PlaylistKind::None);
    EXPECT_EQ(sniff("x <asx>"), PlaylistKind::None);
}

TEST(SniffList, LinesOfAddressesOrPathsAreAnRpmList)
{
    // As the program writes one: GBK, CR LF, "我的 歌" in GBK.
    EXPECT_EQ(sniff("http://h/1.rm\r\nhttp://h/\xCE\xD2\xB5\xC4 \xB8\xE8.rm\r\n"), PlaylistKind::Rpm);
    EXPECT_EQ(
        sniff("# made by hand\n\n  /home/me/a.wav  \nrtsp://h/b.rm\rC:\\music\\c.rm\nfile:////tmp/d.wav"),
        PlaylistKind::Rpm);
    EXPECT_EQ(sniff("第一.wav\r\nsub/二.mp3\r\n"), PlaylistKind::Rpm);
}

TEST(SniffList, MediaAndOrdinaryTextAreNoList)
{
    EXPECT_EQ(sniff(lanseek::test::makeWav(50)), PlaylistKind::None);
    EXPECT_EQ(sniff(QByteArray("ID3\x04\0\0\0\0\0\0\xFF\xFB\x90\x64", 14)), PlaylistKind::None);
    EXPECT_EQ(sniff(QByteArray("\xFF\xFB\x90\x64\xAA\xBB\xCC")), PlaylistKind::None);
    EXPECT_EQ(sniff("Dear friend,\nversion 1.2 is out.\n"), PlaylistKind::None);
    EXPECT_EQ(sniff("http://h/a.mp3\nand a sentence\n"), PlaylistKind::None)
        << "every line must be an address";
    EXPECT_EQ(sniff("<html>\r\n<body>\r\n"), PlaylistKind::None);
    EXPECT_EQ(sniff(""), PlaylistKind::None);
    EXPECT_EQ(sniff("\r\n# only a comment\r\n"), PlaylistKind::None);
    EXPECT_EQ(sniff("http://h/a.mp3\n" + QByteArray(5000, 'x') + ".mp3\n"), PlaylistKind::None);
    EXPECT_EQ(sniff("http://h/a.mp3\n\x01\n"), PlaylistKind::None);
}

TEST(SniffList, AHeadCutShortIsJudgedByItsWholeLines)
{
    QByteArray list;
    while (list.size() < kSniffBytes + 100)
        list += "http://h/\xB8\xE8\xC7\xFA.rm\r\n";
    // The head ends inside a GBK character and inside an address; neither may spoil the verdict.
    EXPECT_EQ(sniffPlaylistKind(list.left(kSniffBytes), false), PlaylistKind::Rpm);
    EXPECT_EQ(sniffPlaylistKind(list, false), PlaylistKind::Rpm);
    EXPECT_EQ(sniffPlaylistKind(QByteArray("http://h/a.rm\r\nthis is not"), false), PlaylistKind::Rpm);
    EXPECT_EQ(sniffPlaylistKind(QByteArray("http://h/a.rm\r\nthis is not"), true), PlaylistKind::None);
    // One long ASX line is still recognised by its start.
    EXPECT_EQ(sniffPlaylistKind("<asx>" + QByteArray(kSniffBytes, ' '), false), PlaylistKind::Asx);
}

TEST(SniffList, ReadsOnlyRegularFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(lanseek::test::writeFile(dir.filePath("list"), "a.wav\r\n"));
    EXPECT_EQ(sniffPlaylistFile(dir.filePath("list")), PlaylistKind::Rpm);
    EXPECT_EQ(sniffPlaylistFile(dir.filePath("absent")), PlaylistKind::None);
    EXPECT_EQ(sniffPlaylistFile(dir.path()), PlaylistKind::None);
    // A pipe named in a list would block whoever opens it until a writer comes.
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    auto result = std::async(std::launch::async, [&] { return sniffPlaylistFile(fifo); });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(result.get(), PlaylistKind::None);
}
