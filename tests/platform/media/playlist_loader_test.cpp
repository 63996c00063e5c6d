#include "platform/media/playlist_loader.h"

#include "test_media.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lanseek::platform;

namespace {

QStringList localPaths(const std::vector<MediaItem>& items)
{
    QStringList out;
    for (const MediaItem& item : items)
        out << (item.url.isLocalFile() ? item.url.toLocalFile() : item.url.toString());
    return out;
}

class LoadPlaylist : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QUrl write(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(lanseek::test::writeFile(path(name), bytes));
        return QUrl::fromLocalFile(path(name));
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(LoadPlaylist, ExpandsNestedListsInPlace)
{
    write(QStringLiteral("inner.rpm"), "3.wav\r\n4.wav\r\n");
    write(QStringLiteral("deeper.asx"), "<asx><entry><ref href=\"5.wav\"/></entry></asx>");
    const QUrl outer =
        write(QStringLiteral("outer.asx"), "<asx version = \"3.0\">\r\n"
                                           "<entry>\r\n<ref href = \"1.wav\"/>\r\n</entry>\r\n"
                                           "<entry>\r\n<ref href = \"inner.rpm\"/>\r\n</entry>\r\n"
                                           "<entryref href = \"deeper.asx\"/>\r\n"
                                           "<entry>\r\n<ref href = \"2.wav\"/>\r\n</entry>\r\n"
                                           "</asx>\r\n");
    const LoadedPlaylist list = loadPlaylist(outer, PlaylistKind::Asx);
    EXPECT_TRUE(list.errors.isEmpty()) << list.errors.join(u'\n').toStdString();
    EXPECT_EQ(localPaths(list.items),
              (QStringList{path("1.wav"), path("3.wav"), path("4.wav"), path("5.wav"), path("2.wav")}));
}

TEST_F(LoadPlaylist, ReadsAListThatNamesItselfOnce)
{
    const QUrl self = write(QStringLiteral("loop.rpm"), "a.wav\nloop.rpm\nother.ram\nb.wav\n");
    write(QStringLiteral("other.ram"), "c.wav\nloop.rpm\n");
    const LoadedPlaylist list = loadPlaylist(self, PlaylistKind::Rpm);
    EXPECT_EQ(localPaths(list.items), (QStringList{path("a.wav"), path("c.wav"), path("b.wav")}));
}

TEST_F(LoadPlaylist, DecodesGbkNamesOfTheProgramsOwnLists)
{
    // "歌曲" in GBK, as the program writes its lists.
    const QUrl list = write(QStringLiteral("gbk.rpm"), "\xB8\xE8\xC7\xFA 1.wav\r\n");
    EXPECT_EQ(localPaths(loadPlaylist(list, PlaylistKind::Rpm).items),
              QStringList{path(QStringLiteral("歌曲 1.wav"))});
}

TEST_F(LoadPlaylist, ReportsListsThatCannotBeRead)
{
    LoadedPlaylist missing = loadPlaylist(QUrl::fromLocalFile(path("absent.asx")), PlaylistKind::Asx);
    EXPECT_TRUE(missing.items.empty());
    ASSERT_EQ(missing.errors.size(), 1);
    EXPECT_TRUE(missing.errors[0].startsWith(QStringLiteral("找不到播放列表")))
        << missing.errors[0].toStdString();

    // A readable list keeps its good entries when a nested one is missing.
    const QUrl partial = write(QStringLiteral("partial.rpm"), "gone.asx\r\nok.wav\r\n");
    const LoadedPlaylist list = loadPlaylist(partial, PlaylistKind::Rpm);
    EXPECT_EQ(localPaths(list.items), QStringList{path("ok.wav")});
    EXPECT_EQ(list.errors.size(), 1);

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.asx")));
    EXPECT_EQ(loadPlaylist(QUrl::fromLocalFile(path("folder.asx")), PlaylistKind::Asx).errors.size(), 1);

    EXPECT_EQ(loadPlaylist(QUrl(QStringLiteral("ftp://h/a.asx")), PlaylistKind::Asx).errors.size(), 1);
}

TEST_F(LoadPlaylist, TellsListsWithoutTheirExtensionByContent)
{
    const QUrl asx =
        write(QStringLiteral("saved"), "<asx>\r\n<entry><ref href=\"1.wav\"/></entry>\r\n</asx>\r\n");
    const QUrl rpm = write(QStringLiteral("saved.txt"), "2.wav\r\n" + path("saved").toUtf8() + "\r\n");
    const QUrl media = write(QStringLiteral("song"), lanseek::test::makeWav(20));
    EXPECT_EQ(sourceKind(asx), PlaylistKind::Asx);
    EXPECT_EQ(sourceKind(rpm), PlaylistKind::Rpm);
    EXPECT_EQ(sourceKind(media), PlaylistKind::None);
    EXPECT_EQ(sourceKind(QUrl(QStringLiteral("http://h/saved"))), PlaylistKind::None)
        << "web addresses are not fetched just to look at them";

    // A list without its extension, named by another such list, is expanded in place.
    EXPECT_EQ(localPaths(loadPlaylist(rpm, PlaylistKind::None).items),
              (QStringList{path("2.wav"), path("1.wav")}));
    // Media gives itself as the only item.
    EXPECT_EQ(localPaths(loadPlaylist(media, PlaylistKind::None).items), QStringList{path("song")});
}

TEST_F(LoadPlaylist, StopsReadingAfterALimitedNumberOfLists)
{
    // Every list names 50 further lists of its own: without a limit on lists, four levels of them
    // would be millions of reads for not a single item.
    int fetches = 0;
    const auto fetch = [&](const QUrl& url, QString&, QUrl*) -> std::optional<QByteArray> {
        ++fetches;
        QByteArray body = "a.wav\r\n";
        for (int i = 0; i < 50; ++i)
            body += url.path().toUtf8() + "-" + QByteArray::number(i) + ".ram\r\n";
        return body;
    };
    const LoadedPlaylist list =
        loadPlaylist(QUrl(QStringLiteral("http://h/top.ram")), PlaylistKind::Ram, nullptr, fetch);
    EXPECT_LE(fetches, 64);
    EXPECT_FALSE(list.items.empty());
    EXPECT_EQ(list.errors.filter(QStringLiteral("播放列表过多")).size(), 1)
        << list.errors.join(u'\n').toStdString();
}

TEST(LoadWebPlaylist, FetchesListsAndResolvesEntriesAgainstTheirAddress)
{
    lanseek::test::LocalWebServer server;
    server.serve("/lists/l.ram", "a.rm\r\n/top.rm\r\nhttp://elsewhere/b.rm\r\n", "audio/x-pn-realaudio");
    server.redirect("/moved.ram", "/lists/l.ram");
    const QString base = server.url("");
    const QStringList expected{base + "/lists/a.rm", base + "/top.rm", "http://elsewhere/b.rm"};

    const LoadedPlaylist direct = loadPlaylist(QUrl(server.url("/lists/l.ram")), PlaylistKind::Ram);
    EXPECT_TRUE(direct.errors.isEmpty()) << direct.errors.join(u'\n').toStdString();
    EXPECT_EQ(localPaths(direct.items), expected);

    // After a redirect, relative entries resolve against the address the list came from.
    const LoadedPlaylist moved = loadPlaylist(QUrl(server.url("/moved.ram")), PlaylistKind::Ram);
    EXPECT_EQ(localPaths(moved.items), expected);
}

TEST(LoadWebPlaylist, ReportsMissingAndUnreachableAddresses)
{
    lanseek::test::LocalWebServer server;
    const LoadedPlaylist notFound = loadPlaylist(QUrl(server.url("/none.asx")), PlaylistKind::Asx);
    EXPECT_TRUE(notFound.items.empty());
    ASSERT_EQ(notFound.errors.size(), 1);
    EXPECT_TRUE(notFound.errors[0].startsWith(QStringLiteral("无法下载播放列表")))
        << notFound.errors[0].toStdString();
    EXPECT_TRUE(notFound.errors[0].endsWith(QStringLiteral("（服务器上没有该文件）")))
        << notFound.errors[0].toStdString();

    // Port 1 on the loopback address has no listener.
    const LoadedPlaylist refused =
        loadPlaylist(QUrl(QStringLiteral("http://127.0.0.1:1/a.asx")), PlaylistKind::Asx);
    ASSERT_EQ(refused.errors.size(), 1);
    EXPECT_TRUE(refused.errors[0].endsWith(QStringLiteral("（无法连接到服务器）")))
        << refused.errors[0].toStdString();

    std::atomic<bool> cancelled{true};
    QString error;
    EXPECT_FALSE(fetchPlaylistBytes(QUrl(server.url("/none.asx")), error, &cancelled).has_value());
}
