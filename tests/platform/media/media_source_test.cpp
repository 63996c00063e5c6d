#include "platform/media/media_source.h"

#include "test_media.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lanseek::platform;

TEST(SourceValue, FileValuesNameTheNativePathHoweverManySlashesPrecedeIt)
{
    // The program appends a native path to "file:///", which gives four slashes on this platform.
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:////tmp/x y/歌.rpm")).toLocalFile(),
              QStringLiteral("/tmp/x y/歌.rpm"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:///tmp/winmedia.asx ")).toLocalFile(),
              QStringLiteral("/tmp/winmedia.asx"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("  FILE:///tmp/a.wav\t")).toLocalFile(),
              QStringLiteral("/tmp/a.wav"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file://localhost/tmp/a.wav")).toLocalFile(),
              QStringLiteral("/tmp/a.wav"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:b.wav")).toLocalFile(),
              QDir::current().absoluteFilePath("b.wav"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("/tmp/plain path.wav")).toLocalFile(),
              QStringLiteral("/tmp/plain path.wav"));
    // Extra leading slashes still name the root, never a host.
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("//tmp/a.wav")).toLocalFile(), QStringLiteral("/tmp/a.wav"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("//tmp/a.wav")).host(), QString());
}

TEST(SourceValue, EncodesSpacesChineseAndUrlCharactersForTheEngine)
{
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:////tmp/x y/歌.rpm")).toEncoded(),
              QByteArray("file:///tmp/x%20y/%E6%AD%8C.rpm"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:////tmp/a#b?c.wav")).toEncoded(),
              QByteArray("file:///tmp/a%23b%3Fc.wav"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("http://127.0.0.1:8080/歌 1.mp3")).toEncoded(),
              QByteArray("http://127.0.0.1:8080/%E6%AD%8C%201.mp3"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral(" mms://h/a.asf ")).toString(),
              QStringLiteral("mms://h/a.asf"));
    EXPECT_TRUE(mediaUrlFromValue(QStringLiteral("   ")).isEmpty());
}

TEST(SourceValue, PercentSignsStayLiteralUnlessOnlyTheDecodedFileExists)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString literal = dir.filePath(QStringLiteral("a%20b.wav"));
    const QString spaced = dir.filePath(QStringLiteral("c d.wav"));
    ASSERT_TRUE(lanseek::test::writeFile(literal, "x"));
    ASSERT_TRUE(lanseek::test::writeFile(spaced, "x"));
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:///") + literal).toLocalFile(), literal);
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:///") + dir.filePath(QStringLiteral("c%20d.wav")))
                  .toLocalFile(),
              spaced);
    // Neither form exists: the value is kept as written so that the error names it.
    EXPECT_EQ(mediaUrlFromValue(QStringLiteral("file:///") + dir.filePath(QStringLiteral("e%20f.wav")))
                  .toLocalFile(),
              dir.filePath(QStringLiteral("e%20f.wav")));
}

TEST(ListKind, FollowsTheExtensionOfThePathOnly)
{
    auto kind = [](const char* v) { return playlistKindOf(mediaUrlFromValue(QString::fromUtf8(v))); };
    EXPECT_EQ(kind("file:////tmp/1.rpm"), PlaylistKind::Rpm);
    EXPECT_EQ(kind("file:////tmp/LIST.RAM"), PlaylistKind::Ram);
    EXPECT_EQ(kind("file:////tmp/winmedia.asx "), PlaylistKind::Asx);
    EXPECT_EQ(kind("http://h/x/list.Asx?id=3#top"), PlaylistKind::Asx);
    EXPECT_EQ(kind("http://h/song.mp3"), PlaylistKind::None);
    EXPECT_EQ(kind("http://h/lists.rpm/song.mp3"), PlaylistKind::None);
    EXPECT_EQ(kind("http://h/rpm"), PlaylistKind::None);
    EXPECT_EQ(kind("http://h/song.mp3?list=a.asx"), PlaylistKind::None);
}

TEST(PlaylistEntryAddress, ResolvesAgainstTheListsLocation)
{
    const QUrl localList = QUrl::fromLocalFile(QStringLiteral("/home/me/音乐/list.asx"));
    EXPECT_EQ(resolvePlaylistEntry(localList, QStringLiteral("a b.wav")).toLocalFile(),
              QStringLiteral("/home/me/音乐/a b.wav"));
    EXPECT_EQ(resolvePlaylistEntry(localList, QStringLiteral("../other/c.wav")).toLocalFile(),
              QStringLiteral("/home/me/other/c.wav"));
    EXPECT_EQ(resolvePlaylistEntry(localList, QStringLiteral("/srv/d.wav")).toLocalFile(),
              QStringLiteral("/srv/d.wav"));
    EXPECT_EQ(resolvePlaylistEntry(localList, QStringLiteral("///srv/d.wav")).toLocalFile(),
              QStringLiteral("/srv/d.wav"));
    EXPECT_EQ(resolvePlaylistEntry(localList, QStringLiteral("file:////srv/e.wav")).toLocalFile(),
              QStringLiteral("/srv/e.wav"));
    EXPECT_EQ(resolvePlaylistEntry(localList, QStringLiteral(" http://h/f.mp3 ")).toString(),
              QStringLiteral("http://h/f.mp3"));
    EXPECT_TRUE(resolvePlaylistEntry(localList, QStringLiteral("  ")).isEmpty());

    const QUrl webList(QStringLiteral("http://h:81/lists/l.ram"));
    EXPECT_EQ(resolvePlaylistEntry(webList, QStringLiteral("sub/a.rm")).toString(),
              QStringLiteral("http://h:81/lists/sub/a.rm"));
    EXPECT_EQ(resolvePlaylistEntry(webList, QStringLiteral("/top.rm")).toString(),
              QStringLiteral("http://h:81/top.rm"));
    EXPECT_EQ(resolvePlaylistEntry(webList, QStringLiteral("rtsp://other/b.rm")).toString(),
              QStringLiteral("rtsp://other/b.rm"));
}
