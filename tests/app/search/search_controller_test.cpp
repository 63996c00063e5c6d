// The search controller on its own: a few controls and recording stand-ins for the window.

#include "app/controller_fakes.h"
#include "app/search/search_controller.h"
#include "search/engine_entries.h"
#include "search/result_selection.h"
#include "support/scripted_dialogs.h"

#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {
namespace {

class SearchControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.window = &window;
        view.Edit1 = new TSeSkinEdit(&window);
        view.SeSkinComboBox2 = new TSeSkinComboBox(&window);
        view.SeSkinComboBox2->addItem(search::kDefaultEngine);
        view.SeSkinComboBox1 = new TSeSkinComboBox(&window);
        view.SeSkinComboBox1->addItems({"MP3", "RM"});
        view.ListView1 = new TSeSkinSListView(&window);
        view.ListView1->setColumns({{}, "歌手名", "下载地址", "大小", "类型"}, {40, 80, 80, 40, 40});
        view.ListView1->setMultiSelect(true);
        view.WebBrowser1 = new TWebBrowser(&window);
        view.WebBrowser2 = new TWebBrowser(&window);
        view.Memo1 = new TSeSkinMemo(&window);
        controller = std::make_unique<app::SearchController>(view, search::ServiceEndpoints{kDefault},
                                                             dialogs, card, errors);
        controller->wire();
    }

    QStringList engines() const
    {
        QStringList captions;
        for (int i = 0; i < view.SeSkinComboBox2->count(); ++i)
            captions << view.SeSkinComboBox2->itemText(i);
        return captions;
    }

    const QString kDefault = QStringLiteral("http://127.0.0.1:9");
    QWidget window;
    app::SearchView view;
    ScriptedDialogs dialogs;
    RecordingCard card;
    RecordingErrors errors;
    std::unique_ptr<app::SearchController> controller;
};

TEST_F(SearchControllerTest, AnEmptyNameStartsNothingButClearsTheStopFlag)
{
    view.ListView1->appendRow({"1", 0, {"晴天", "http://x/1.mp3", "3.5M", "mp3"}});
    controller->setStopFlag(true);
    controller->setPageNumber(5);
    controller->Button1Click();
    EXPECT_FALSE(controller->stopFlag());
    EXPECT_EQ(controller->pageNumber(), 5);
    EXPECT_EQ(view.ListView1->Count(), 1);

    view.Edit1->setText(QStringLiteral("周杰伦"));
    EXPECT_EQ(controller->searchText(), QStringLiteral("周杰伦"));
    controller->Button1Click();
    EXPECT_EQ(view.ListView1->Count(), 0);
    EXPECT_EQ(controller->pageNumber(), 1);
    EXPECT_EQ(controller->rowCounter(), 0);
    controller->stopbtnClick();
    EXPECT_TRUE(controller->stopFlag());
}

TEST_F(SearchControllerTest, DoubleClickPutsTheFirstChosenSongOnTheCardList)
{
    const SongEntry first{"1", 0, {"晴天", "http://x/1.mp3", "3.5M", "mp3"}};
    view.ListView1->appendRow(first);
    view.ListView1->appendRow({"2", 0, {"七里香", "http://x/2.mp3", "4.1M", "mp3"}});
    controller->ListView1DblClick();
    EXPECT_EQ(card.replaced, 0) << "nothing chosen, nothing sent";

    view.ListView1->setRowSelected(0, true);
    view.ListView1->setRowSelected(1, true);
    controller->ListView1DblClick();
    ASSERT_EQ(card.songs.size(), 1u);
    EXPECT_EQ(card.songs[0], search::cardEntryFrom(first));
}

TEST_F(SearchControllerTest, TheEngineChooserFollowsTheLan)
{
    controller->setLanAggregator(QStringLiteral("http://127.0.0.1:7"));
    EXPECT_EQ(engines(), QStringList{search::kDefaultEngine}) << "no service yet, no LAN entry";

    controller->addLanService(QStringLiteral("乙"), QStringLiteral("http://10.0.0.2:8080"));
    controller->addLanService(QStringLiteral("甲"), QStringLiteral("http://10.0.0.1:8080"));
    EXPECT_EQ(engines(),
              (QStringList{search::kDefaultEngine, search::kAllLanEngines, "局域网：乙", "局域网：甲"}));
    EXPECT_EQ(controller->service().base, kDefault);

    // The user's choice sends the searches there, and stays while other services come and go.
    view.SeSkinComboBox2->setCurrentIndex(view.SeSkinComboBox2->findText("局域网：甲"));
    EXPECT_EQ(controller->service().base, QStringLiteral("http://10.0.0.1:8080"));
    controller->addLanService(QStringLiteral("丙"), QStringLiteral("http://10.0.0.3:8080"));
    controller->removeLanService(QStringLiteral("乙"));
    EXPECT_EQ(view.SeSkinComboBox2->currentText(), QStringLiteral("局域网：甲"));
    EXPECT_EQ(controller->service().base, QStringLiteral("http://10.0.0.1:8080"));
    // A service that moves to another address takes the searches with it.
    controller->addLanService(QStringLiteral("甲"), QStringLiteral("http://10.0.0.9:8080"));
    EXPECT_EQ(controller->service().base, QStringLiteral("http://10.0.0.9:8080"));

    // When the chosen service goes, the default one takes its place.
    controller->removeLanService(QStringLiteral("甲"));
    EXPECT_EQ(view.SeSkinComboBox2->currentText(), search::kDefaultEngine);
    EXPECT_EQ(controller->service().base, kDefault);

    view.SeSkinComboBox2->setCurrentIndex(view.SeSkinComboBox2->findText(search::kAllLanEngines));
    EXPECT_EQ(controller->service().base, QStringLiteral("http://127.0.0.1:7"));
    controller->removeLanService(QStringLiteral("丙"));
    EXPECT_EQ(engines(), QStringList{search::kDefaultEngine});
    EXPECT_EQ(controller->service().base, kDefault);
}

} // namespace
} // namespace lanseek::test
