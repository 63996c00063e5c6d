// The save-folder chooser's tree: its places, folders read only when opened yet showing that they open,
// and finding a folder by its path.

#include "platform/ui/folder_tree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

using lanseek::platform::FolderTreeModel;
using Kind = FolderTreeModel::Place::Kind;

namespace {

class FolderTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* folder :
             {"home/Music/Albums", "home/Downloads", "home/b", "home/A", "home/.hidden", "volume/empty"})
            ASSERT_TRUE(QDir().mkpath(root.filePath(QString::fromUtf8(folder))));
        QFile file(root.filePath("home/a-file.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QStringList childLabels(FolderTreeModel& model, const QModelIndex& parent)
    {
        QStringList labels;
        for (int row = 0; row < model.rowCount(parent); ++row)
            labels << model.index(row, 0, parent).data().toString();
        return labels;
    }
    QTemporaryDir root;
};

} // namespace

TEST_F(FolderTree, PlacesAreTheTopLevelAndEachShowsItOpens)
{
    FolderTreeModel model({{"主文件夹", root.filePath("home"), Kind::Folder},
                           {"Music", root.filePath("home/Music"), Kind::Folder},
                           {"volume", root.filePath("volume"), Kind::Volume},
                           {"文件系统", "/", Kind::Root}},
                          nullptr);
    EXPECT_EQ(childLabels(model, {}), (QStringList{"主文件夹", "Music", "volume", "文件系统"}));
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex place = model.index(row, 0);
        EXPECT_TRUE(model.hasChildren(place)) << row;
        EXPECT_EQ(model.rowCount(place), 0) << "nothing is read before the folder is opened";
        EXPECT_FALSE(place.data(Qt::DecorationRole).value<QIcon>().isNull()) << row;
    }
    EXPECT_EQ(model.filePath(model.index(0, 0)), root.filePath("home"));
    EXPECT_EQ(model.filePath({}), QString());
}

TEST_F(FolderTree, OpeningAFolderReadsItsVisibleSubfoldersInNameOrder)
{
    FolderTreeModel model({{"主文件夹", root.filePath("home"), Kind::Folder},
                           {"volume", root.filePath("volume"), Kind::Volume}},
                          nullptr);
    const QModelIndex home = model.index(0, 0);
    ASSERT_TRUE(model.canFetchMore(home));
    model.fetchMore(home);
    EXPECT_FALSE(model.canFetchMore(home));
    // Folders only, hidden ones left out, sorted without regard to case.
    EXPECT_EQ(childLabels(model, home), (QStringList{"A", "b", "Downloads", "Music"}));
    model.fetchMore(home); // reading again adds nothing
    EXPECT_EQ(model.rowCount(home), 4);

    // A folder without subfolders loses its indicator once opened.
    model.fetchMore(model.index(1, 0));
    const QModelIndex emptyFolder = model.index(0, 0, model.index(1, 0));
    ASSERT_TRUE(emptyFolder.isValid());
    EXPECT_TRUE(model.hasChildren(emptyFolder));
    model.fetchMore(emptyFolder);
    EXPECT_FALSE(model.hasChildren(emptyFolder));
}

TEST_F(FolderTree, OpeningInAViewReadsTheFolder)
{
    FolderTreeModel model({{"主文件夹", root.filePath("home"), Kind::Folder}}, nullptr);
    QTreeView view;
    view.setModel(&model);
    view.show();
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    view.expand(model.index(0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 4);
}

TEST_F(FolderTree, FindsAFolderByPathUnderItsClosestPlace)
{
    FolderTreeModel model({{"主文件夹", root.filePath("home"), Kind::Folder},
                           {"Music", root.filePath("home/Music"), Kind::Folder},
                           {"文件系统", "/", Kind::Root}},
                          nullptr);
    const QModelIndex albums = model.index(root.filePath("home/Music/Albums"));
    ASSERT_TRUE(albums.isValid());
    EXPECT_EQ(model.filePath(albums), root.filePath("home/Music/Albums"));
    EXPECT_EQ(albums.parent(), model.index(1, 0)); // under "Music", not under home
    EXPECT_EQ(model.filePath(model.index(root.filePath("home/b/"))), root.filePath("home/b"));
    EXPECT_EQ(model.index(root.filePath("home")), model.index(0, 0));
    // Outside home, the file system's root holds it.
    const QModelIndex volume = model.index(root.filePath("volume"));
    ASSERT_TRUE(volume.isValid());
    EXPECT_EQ(model.filePath(volume), root.filePath("volume"));
    EXPECT_FALSE(model.index(root.filePath("home/missing")).isValid());
    EXPECT_FALSE(model.index(root.filePath("home/a-file.txt")).isValid());
}

TEST_F(FolderTree, StartsAtHomeItsMusicAndDownloadsAndEndsAtTheRoot)
{
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", root.filePath("home").toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath("no-config").toUtf8());
    const std::vector<FolderTreeModel::Place> places = FolderTreeModel::startPlaces();
    qputenv("HOME", savedHome);
    if (savedConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfig);

    ASSERT_GE(places.size(), 4u);
    EXPECT_EQ(places[0].label, QStringLiteral("主文件夹"));
    EXPECT_EQ(places[0].path, root.filePath("home"));
    EXPECT_EQ(places[1].path, root.filePath("home/Music"));
    EXPECT_EQ(places[1].label, QStringLiteral("Music"));
    EXPECT_EQ(places[2].path, root.filePath("home/Downloads"));
    EXPECT_EQ(places.back().path, QStringLiteral("/"));
    EXPECT_EQ(places.back().kind, Kind::Root);
    for (std::size_t i = 3; i + 1 < places.size(); ++i)
        EXPECT_EQ(places[i].kind, Kind::Volume) << places[i].path.toStdString();
}
