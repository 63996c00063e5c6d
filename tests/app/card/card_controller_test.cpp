// The card controller on its own: the card view may not exist yet when songs are sent to it.

#include "app/card/card_controller.h"
#include "app/controller_fakes.h"
#include "support/scripted_dialogs.h"

#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {
namespace {

class CardControllerTest : public ::testing::Test
{
protected:
    // Builds the card view's controls the way the window does when asked.
    void buildView()
    {
        ++builds;
        app::CardView view;
        view.window = &window;
        view.cardlistview = new TSeSkinSListView(&window);
        view.cardlistview->setColumns({{}, "歌手名", "下载地址", "大小", "类型"}, {40, 80, 80, 40, 40});
        view.WebBrowser4 = new TWebBrowser(&window);
        for (TSeSkinSpeedButton** b : {&view.dragcardbtn, &view.htmlrunbtn, &view.h1btn, &view.h2btn,
                                       &view.h3btn, &view.h4btn, &view.bigbtn, &view.strongbtn, &view.ibtn,
                                       &view.ubtn, &view.centrebtn, &view.picbtn, &view.backbtn})
            *b = new TSeSkinSpeedButton(QString(), &window);
        for (TSeSkinButton** b : {&view.cancelbtn, &view.previewbtn, &view.iesetbtn, &view.cardsurebtn})
            *b = new TSeSkinButton(QString(), &window);
        view.colorcombox = new TSeSkinComboBox(&window);
        view.fontsizecombox = new TSeSkinComboBox(&window);
        view.nameedit = new TSeSkinEdit(&window);
        view.iememo = new TSeSkinMemo(&window);
        view.ListView1 = view.cardlistview;
        controller->attachView(view);
        list = view.cardlistview;
    }

    QWidget window;
    app::SharedFolders folders{QStringLiteral("/prog/")};
    RecordingViews views;
    ScriptedDialogs dialogs;
    RecordingErrors errors;
    int builds = 0;
    TSeSkinSListView* list = nullptr;
    std::unique_ptr<app::CardController> controller =
        std::make_unique<app::CardController>(folders, views, dialogs, errors, [this] { buildView(); });
};

TEST_F(CardControllerTest, SongsSentBeforeTheViewExistsHaveItBuiltOnce)
{
    EXPECT_FALSE(controller->hasView());
    controller->fillFontBox(); // nothing to fill yet; must not touch a missing box
    const SongEntry a{"1", 0, {"晴天", "http://x/1.mp3", "3.5M", "mp3"}};
    const SongEntry b{"2", 0, {"七里香", "http://x/2.mp3", "4.1M", "mp3"}};
    controller->addCardSongs({a, b});
    EXPECT_EQ(builds, 1);
    ASSERT_EQ(list->Count(), 2);
    controller->replaceCardSong(b);
    EXPECT_EQ(builds, 1);
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ(list->row(0), b);
}

TEST_F(CardControllerTest, AViewThatCannotBeBuiltDropsTheSongsQuietly)
{
    app::CardController lonely(folders, views, dialogs, errors, nullptr);
    lonely.replaceCardSong({"1", 0, {"晴天", "http://x/1.mp3", "3.5M", "mp3"}});
    lonely.addCardSongs({{"2", 0, {"七里香", "http://x/2.mp3", "4.1M", "mp3"}}});
    EXPECT_FALSE(lonely.hasView());
    EXPECT_TRUE(errors.messages.isEmpty());
}

} // namespace
} // namespace lanseek::test
