// The playback controller on its own: a few controls and recording stand-ins for the window.

#include "app/controller_fakes.h"
#include "app/playback/playback_controller.h"
#include "playback/play_list.h"
#include "support/scripted_dialogs.h"

#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {
namespace {

class PlaybackControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        view.window = &window;
        for (TSeSkinSListView** list : {&view.ListView1, &view.playListView}) {
            *list = new TSeSkinSListView(&window);
            (*list)->setColumns({{}, "歌手名", "下载地址", "大小", "类型"}, {40, 80, 80, 40, 40});
            (*list)->setMultiSelect(true);
        }
        view.WebBrowser3 = new TWebBrowser(&window);
        view.SeSkinLabel4 = new TSeSkinLabel(QString(), &window);
        controller =
            std::make_unique<app::PlaybackController>(view, folders, searchText, card, dialogs, errors);
    }

    QTemporaryDir folder;
    QWidget window;
    app::PlaybackView view;
    app::SharedFolders folders{folder.path()};
    FixedSearchText searchText;
    RecordingCard card;
    ScriptedDialogs dialogs;
    RecordingErrors errors;
    std::unique_ptr<app::PlaybackController> controller;
};

TEST_F(PlaybackControllerTest, SongsSentToPlayAlsoReachTheCardList)
{
    controller->dragplaybtnClick();
    EXPECT_EQ(dialogs.messages, QStringList{playback::kNoSelectionMessage});
    EXPECT_TRUE(card.songs.empty());

    const SongEntry a{"1", 0, {"晴天", "http://x/1.mp3", "3.5M", "mp3"}};
    const SongEntry b{"2", 0, {"七里香", "http://x/2.mp3", "4.1M", "mp3"}};
    view.ListView1->appendRow(a);
    view.ListView1->appendRow(b);
    view.ListView1->setRowSelected(0, true);
    view.ListView1->setRowSelected(1, true);
    controller->dragplaybtnClick();
    ASSERT_EQ(view.playListView->Count(), 2);
    ASSERT_EQ(card.songs.size(), 2u);
    EXPECT_EQ(card.songs[0], a);
    EXPECT_EQ(card.songs[1], b);
    EXPECT_EQ(card.replaced, 0) << "the card list is added to, not emptied";
}

TEST_F(PlaybackControllerTest, SavingProposesTheSearchTextAndRemembersTheChoice)
{
    view.ListView1->appendRow({"1", 0, {"晴天", "http://x/1.mp3", "3.5M", "mp3"}});
    view.ListView1->setRowSelected(0, true);
    searchText.text = QStringLiteral("周杰伦");
    const QString target = folder.filePath(QStringLiteral("list.asx"));
    dialogs.fileAnswers = {target};
    controller->playsavebtnClick();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].request.proposedName.contains(QStringLiteral("周杰伦")));
    EXPECT_EQ(controller->savedPlaylistName(), target);
    EXPECT_TRUE(QFileInfo::exists(target));

    // The next save opens where the last one went.
    controller->playsavebtnClick();
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].request.initialDir, folder.path());
}

} // namespace
} // namespace lanseek::test
