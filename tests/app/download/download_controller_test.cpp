// The download controller on its own: its view is a handful of controls, the window's services are
// recording stand-ins, and what it shares with the rest of the window goes through them.

#include "app/controller_fakes.h"
#include "app/download/download_controller.h"
#include "download/download_rules.h"
#include "support/scripted_dialogs.h"

#include "skin/controls/se_controls.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {
namespace {

class DownloadControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.window = &window;
        view.ListView1 = new TSeSkinSListView(&window);
        view.ListView1->setColumns({{}, "歌手名", "下载地址", "大小", "类型"}, {40, 80, 80, 40, 40});
        view.ListView1->setMultiSelect(true);
        view.downloadlistview = new TSeSkinSListView(&window);
        view.downloadlistview->setColumns({{}, "歌曲名", "下载地址", "大小", "类型", "保存地址"},
                                          {40, 80, 80, 40, 40, 80});
        view.downloadlistview->setMultiSelect(true);
        view.downinimemo = new TSeSkinMemo(&window);
        view.downloadnow = new TSeSkinSListView(&window);
        view.Timer1 = new QTimer(&window);
        controller =
            std::make_unique<app::DownloadController>(view, folders, searchText, views, dialogs, errors);
    }

    void addRow(TSeSkinSListView* list, const QString& caption, const QString& name, const QString& path = {})
    {
        QStringList sub{name, "http://127.0.0.1:9/" + name + ".mp3", "3.5M", "mp3"};
        if (!path.isNull())
            sub << path;
        list->appendRow({caption, 0, sub});
    }

    QWidget window;
    app::DownloadView view;
    app::SharedFolders folders{QStringLiteral("/prog/")};
    FixedSearchText searchText;
    RecordingViews views;
    ScriptedDialogs dialogs;
    RecordingErrors errors;
    std::unique_ptr<app::DownloadController> controller;
};

TEST_F(DownloadControllerTest, ChosenFolderIsWhereNewRowsAreSaved)
{
    controller->folderChosen(QStringLiteral("/data/songs"));
    EXPECT_EQ(folders.musicFolder(), QStringLiteral("/data/songs/"));

    addRow(view.ListView1, "1", "晴天");
    view.ListView1->setRowSelected(0, true);
    controller->dragdownbtnClick();
    ASSERT_EQ(view.downloadlistview->Count(), 1);
    EXPECT_EQ(view.downloadlistview->subItem(0, 4), QStringLiteral("/data/songs/晴天.mp3"));
    // Sending songs to the download list brings up its view.
    EXPECT_EQ(views.shown, QStringList{"download"});
}

TEST_F(DownloadControllerTest, RowPathModeRewritesOnlyTheSelectedRowsOnce)
{
    addRow(view.downloadlistview, "1", "晴天", "/prog/music/晴天.mp3");
    addRow(view.downloadlistview, "2", "七里香", "/prog/music/七里香.mp3");
    view.downloadlistview->setRowSelected(1, true);
    controller->state().rowPathMode = true;

    controller->folderChosen(QStringLiteral("/elsewhere"));
    EXPECT_EQ(view.downloadlistview->subItem(0, 4), QStringLiteral("/prog/music/晴天.mp3"));
    EXPECT_EQ(view.downloadlistview->subItem(1, 4),
              download::savePathFor(QStringLiteral("/elsewhere/"), QStringLiteral("七里香"),
                                    QStringLiteral("mp3")));
    EXPECT_FALSE(controller->state().rowPathMode);
    EXPECT_EQ(folders.musicFolder(), QStringLiteral("/prog/music/")) << "the music folder stays";

    // The mode ends with one choice: the next one sets the music folder again.
    controller->folderChosen(QStringLiteral("/next"));
    EXPECT_EQ(folders.musicFolder(), QStringLiteral("/next/"));
    EXPECT_EQ(view.downloadlistview->subItem(1, 4),
              download::savePathFor(QStringLiteral("/elsewhere/"), QStringLiteral("七里香"),
                                    QStringLiteral("mp3")));
}

TEST_F(DownloadControllerTest, CloseQueryAsksOnlyWhileWorkersRun)
{
    EXPECT_TRUE(controller->closeQuery());
    EXPECT_TRUE(dialogs.questions.isEmpty());

    controller->state().slotWorkers = {0, 2, 0};
    dialogs.yesNoAnswers = {false, true};
    EXPECT_FALSE(controller->closeQuery());
    EXPECT_FALSE(controller->state().quitConfirmed);
    EXPECT_TRUE(controller->closeQuery());
    EXPECT_TRUE(controller->state().quitConfirmed);
    EXPECT_EQ(dialogs.questions, QStringList(2, QStringLiteral("还存在下载进程，确定退出吗？")));
    // Once confirmed, it is not asked again.
    EXPECT_TRUE(controller->closeQuery());
    EXPECT_EQ(dialogs.questions.size(), 2);
}

TEST_F(DownloadControllerTest, FailedProbeIsLoggedAndTheQueueMovesOn)
{
    addRow(view.downloadlistview, "1", "晴天", "/prog/music/晴天.mp3");
    addRow(view.downloadlistview, "2", "七里香", "/prog/music/七里香.mp3");
    controller->state().sizeProbeFlag = true;

    controller->logFailure(QStringLiteral("HTTP/1.1 404 Not Found"));
    controller->applyRecovery(QStringLiteral("HTTP/1.1 404 Not Found"));
    EXPECT_EQ(view.downinimemo->Lines(),
              (QStringList{"HTTP/1.1 404 Not Found", "1", QStringLiteral("晴天不能下载")}));
    EXPECT_EQ(controller->state().resumeRow, 1);
    EXPECT_EQ(views.shown, QStringList{"download"});

    // A message that is not a download failure is logged and changes nothing.
    controller->applyRecovery(QStringLiteral("cannot open file"));
    EXPECT_EQ(controller->state().resumeRow, 1);
    EXPECT_EQ(views.shown.size(), 1);
}

TEST_F(DownloadControllerTest, DeleteAndClearWaitForTheWorkers)
{
    view.delbtn = new TSeSkinButton(QStringLiteral("删除所选项"), &window);
    view.delallbtn = new TSeSkinButton(QStringLiteral("清空列表"), &window);
    controller = std::make_unique<app::DownloadController>(view, folders, searchText, views, dialogs, errors);
    addRow(view.downloadlistview, "1", "晴天", "/p/1.mp3");
    addRow(view.downloadlistview, "2", "七里香", "/p/2.mp3");
    view.downloadlistview->setRowSelected(0, true);

    controller->state().activeWorkers = 1;
    controller->delbtnClick();
    controller->delallbtnClick();
    EXPECT_EQ(view.downloadlistview->Count(), 2);
    EXPECT_FALSE(view.delbtn->isEnabled());
    EXPECT_FALSE(view.delallbtn->isEnabled());

    controller->state().activeWorkers = 0;
    controller->delbtnClick();
    ASSERT_EQ(view.downloadlistview->Count(), 1);
    EXPECT_EQ(view.downloadlistview->subItem(0, 0), QStringLiteral("七里香"));
    controller->delallbtnClick();
    EXPECT_EQ(view.downloadlistview->Count(), 0);
}

} // namespace
} // namespace lanseek::test
