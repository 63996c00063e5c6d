#include "download/download_queue.h"

#include <gtest/gtest.h>

using namespace lanseek::download;

namespace {

QueuedSong song(const QString& name)
{
    QueuedSong s;
    s.name = name;
    s.address = QStringLiteral("http://h/") + name;
    s.savePath = QStringLiteral("/m/") + name + QStringLiteral(".mp3");
    return s;
}

} // namespace

TEST(DownloadQueue, SongsKeepTheirIdsWhileTheListAroundThemChanges)
{
    DownloadQueue queue;
    const SongId a = queue.add(song(QStringLiteral("A")));
    const SongId b = queue.add(song(QStringLiteral("B")));
    const SongId c = queue.add(song(QStringLiteral("C")));
    EXPECT_EQ(queue.idsFrom(1), (std::vector<SongId>{b, c}));

    // A goes: B and C move up, but their ids still find them, and A's finds nothing.
    queue.keepOnly({b, c});
    EXPECT_EQ(queue.indexOf(a), -1);
    EXPECT_EQ(queue.find(a), nullptr);
    EXPECT_EQ(queue.indexOf(b), 0);
    EXPECT_EQ(queue.find(c)->name, QStringLiteral("C"));

    // A new song never gets the id of one that went, so a late report of A cannot name it.
    const SongId d = queue.add(song(QStringLiteral("D")));
    EXPECT_NE(d, a);
    EXPECT_EQ(queue.indexOf(d), 2);

    // The view's order wins; ids the queue does not hold, and repeats, are ignored.
    queue.keepOnly({d, 9999, b, d});
    EXPECT_EQ(queue.idsFrom(0), (std::vector<SongId>{d, b}));
    EXPECT_EQ(queue.indexOf(0), -1);
}

TEST(DownloadQueue, TakenPathsAreThoseOfTheSongsBeforeTheGivenRow)
{
    DownloadQueue queue;
    queue.add(song(QStringLiteral("A")));
    queue.add(song(QStringLiteral("B")));
    const std::vector<TakenPath> taken = queue.takenPathsBefore(1);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].path, QStringLiteral("/m/A.mp3"));
    EXPECT_EQ(taken[0].address, QStringLiteral("http://h/A"));
    EXPECT_EQ(queue.takenPathsBefore(10).size(), 2u);
}
