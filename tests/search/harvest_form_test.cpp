// The search handlers of the real main window against a local service whose pages each test writes:
// result pages read into rows, paging, stopping, the result list's commands and chart pages.

#include "app/search/search_controller.h"
#include "support/form_fixture.h"

#include "gbk_bytes.h"
#include "scripted_service.h"

#include "platform/model/song_entry.h"
#include "platform/web/web_browser.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <algorithm>

using lanseek::test::FormTest;
using lanseek::test::gbk;
using lanseek::test::ScriptedService;

namespace {

struct PageSong
{
    std::string name;   // GBK
    std::string target; // the download address the redirect link carries
    std::string tail;   // size and type as the line ends, e.g. "3.52Mmp3"
};

std::string resultPage(const std::string& base, const std::vector<PageSong>& songs,
                       const std::string& countLine = gbk("百度为您找到相关结果1234篇"),
                       const std::string& ip = "127.0.0.1")
{
    std::string html = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
                       "</head><body>\n";
    for (const PageSong& song : songs)
        html += "<div><a href=\"" + base + "/r?url=" + song.target + "\">" + song.name + "</a> " + song.tail +
                "</div>\n";
    html += "<div>" + countLine + "</div>\n";
    html += "<div><a href=\"" + base +
            "/m?lm=0&amp;ct=134217728&amp;tn=baidump3&amp;word=x&amp;pn=30&amp;ip=" + ip +
            "&amp;cl=3&amp;z=0\">2</a></div>\n</body></html>\n";
    return html;
}

// Two new songs on every page, named after the page's offset: a service that never runs dry.
std::string endlessPages(const httplib::Request& req, const std::string& base)
{
    const std::string pn = req.has_param("pn") ? req.get_param_value("pn") : "0";
    return resultPage(base, {{"Song " + pn + "a", "http://songs.example/" + pn + "a.mp3", "3.52Mmp3"},
                             {"Song " + pn + "b", "http://songs.example/" + pn + "b.rm", "2.10Mrm"}});
}

bool hasTarget(const std::vector<std::string>& targets, const std::string& part)
{
    return std::any_of(targets.begin(), targets.end(),
                       [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

} // namespace

class HarvestForm : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        makeForm(QSize(1024, 768), service.base());
        completes = std::make_unique<QSignalSpy>(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    }
    // Waits until the search browser has no load running, after at least one page came.
    bool waitForSearchEnd(int timeoutMs = 15000)
    {
        return QTest::qWaitFor([&] { return completes->count() > 0 && !form->WebBrowser1->Busy(); },
                               timeoutMs);
    }
    void search(const QString& word)
    {
        completes->clear();
        form->Edit1->setText(word);
        form->Button1->click();
    }
    // Nothing more reaches the service for a while.
    void expectQuiet(std::size_t requests)
    {
        QTest::qWait(300);
        EXPECT_EQ(service.targets().size(), requests);
    }

    ScriptedService service{endlessPages};
    std::unique_ptr<QSignalSpy> completes; // document-complete events of the search browser
};

TEST_F(HarvestForm, EndlessServiceIsReadUpToPage16)
{
    QSignalSpy done(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    form->Edit1->setText(QStringLiteral("song"));
    form->Button1->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form->search().pageNumber() == 17 && !form->WebBrowser1->Busy(); }, 20000));
    const auto targets = service.targets();
    ASSERT_EQ(targets.size(), 16u);
    EXPECT_EQ(targets[0], "/m?tn=baidump3&ct=134217728&rn=&word=song&lm=0");
    // Follow-ups start at 60: the page number has gone from 1 to 2 before the first one.
    EXPECT_EQ(targets[1], "/m?lm=0&ct=134217728&tn=baidump3&word=song&pn=60&ip=127.0.0.1&cl=3&z=0");
    EXPECT_EQ(targets[15], "/m?lm=0&ct=134217728&tn=baidump3&word=song&pn=480&ip=127.0.0.1&cl=3&z=0");
    EXPECT_FALSE(hasTarget(targets, "pn=30&"));
    EXPECT_FALSE(hasTarget(targets, "pn=510"));
    expectQuiet(16);

    ASSERT_EQ(form->ListView1->Count(), 32);
    EXPECT_EQ(form->search().rowCounter(), 32);
    EXPECT_EQ(form->ListView1->row(0),
              (lanseek::SongEntry{QStringLiteral("1"),
                                  0,
                                  {QStringLiteral("Song 0a"), QStringLiteral("http://songs.example/0a.mp3"),
                                   QStringLiteral("3.5M"), QStringLiteral("mp3")}}));
    EXPECT_EQ(form->ListView1->row(1).subItems,
              (QStringList{QStringLiteral("Song 0b"), QStringLiteral("http://songs.example/0b.rm"),
                           QStringLiteral("2.1M"), QStringLiteral("rm")}));
    EXPECT_EQ(form->ListView1->row(31).caption, QStringLiteral("32"));
    EXPECT_EQ(form->ListView1->row(31).subItem(0), QStringLiteral("Song 480b"));
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral(" 搜索结果  1234"));
    EXPECT_EQ(form->search().localIp(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("   本机ip为:  127.0.0.1")));
    EXPECT_EQ(done.count(), 16);
    // The last progress event of the last page leaves the bar full.
    EXPECT_GT(form->SeSkinProgressBar6->Max(), 0);
    EXPECT_EQ(form->SeSkinProgressBar6->Position(), form->SeSkinProgressBar6->Max());
}

TEST_F(HarvestForm, RepeatedPagesEndTheSearchAndSkipListedAddresses)
{
    service.setPages([](const httplib::Request&, const std::string& base) {
        return resultPage(base, {{"One", "http://songs.example/1.mp3", "1.00Mmp3"},
                                 {"One again", "http://songs.example/1.mp3", "1.00Mmp3"},
                                 {"Two", "http://songs.example/2.wma", "  wma"}});
    });
    search(QStringLiteral("one"));
    ASSERT_TRUE(waitForSearchEnd());
    expectQuiet(2);
    ASSERT_EQ(form->ListView1->Count(), 2);
    EXPECT_EQ(form->ListView1->row(1).caption, QStringLiteral("2"));
    EXPECT_EQ(form->ListView1->row(1).subItems,
              (QStringList{QStringLiteral("Two"), QStringLiteral("http://songs.example/2.wma"), QString(),
                           QStringLiteral("wma")}));
    EXPECT_EQ(form->search().rowCounter(), 2);
    EXPECT_EQ(form->search().pageNumber(), 2);
}

TEST_F(HarvestForm, LinkTextWithANoBreakSpaceIsFoundOnItsLine)
{
    service.setPages([](const httplib::Request&, const std::string& base) {
        return resultPage(base, {{"Top", "http://songs.example/top.asf", "9.99Kasf"},
                                 {"Big&nbsp;Song", "http://songs.example/big.mp3", "3.52Mmp3"}});
    });
    search(QStringLiteral("big"));
    ASSERT_TRUE(waitForSearchEnd());
    ASSERT_EQ(form->ListView1->Count(), 2);
    EXPECT_EQ(form->ListView1->row(1).subItem(2), QStringLiteral("3.5M"));
    EXPECT_EQ(form->ListView1->row(1).subItem(3), QStringLiteral("mp3"));
}

TEST_F(HarvestForm, CountLabelAndCaptionAreFilledOncePerProcess)
{
    service.setPages([](const httplib::Request&, const std::string& base) {
        return resultPage(base, {}, gbk("共计77篇"), "10.1.2.3");
    });
    search(QStringLiteral("a"));
    ASSERT_TRUE(waitForSearchEnd());
    // Without the count phrase the first line stands in; "篇" sits before position 21 there.
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral(" 搜索结果  "));
    EXPECT_EQ(form->search().localIp(), QStringLiteral("10.1.2.3"));
    const QString caption = form->windowTitle();
    EXPECT_TRUE(caption.endsWith(QStringLiteral("   本机ip为:  10.1.2.3")));

    service.setPages([](const httplib::Request&, const std::string& base) {
        return resultPage(base, {{"x", "http://songs.example/x.mp3", "1.00Mmp3"}},
                          gbk("百度为您找到相关结果5篇"), "10.9.9.9");
    });
    search(QStringLiteral("b"));
    ASSERT_TRUE(waitForSearchEnd());
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral(" 搜索结果  "));
    EXPECT_EQ(form->search().localIp(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_EQ(form->windowTitle().count(QStringLiteral("本机ip为")), 1);
}

TEST_F(HarvestForm, StopFlagLetsTheRunningHarvestAddRowsButRequestsNoMore)
{
    search(QStringLiteral("song"));
    // The stop arrives after the page has already come: the flag alone, as when the load could not be
    // called back any more.
    form->search().setStopFlag(true);
    ASSERT_TRUE(waitForSearchEnd());
    expectQuiet(1);
    EXPECT_EQ(form->ListView1->Count(), 2);
    EXPECT_EQ(form->search().pageNumber(), 1);
}

TEST_F(HarvestForm, StopButtonAbandonsTheLoadAndKeepsTheRows)
{
    service.setDelay(400);
    form->Edit1->setText(QStringLiteral("song"));
    form->Button1->click();
    form->ListView1->appendRow({QStringLiteral("1"), 0, {QStringLiteral("kept")}});
    QSignalSpy done(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    form->stopbtn->click();
    EXPECT_TRUE(form->search().stopFlag());
    EXPECT_FALSE(form->WebBrowser1->Busy());
    EXPECT_FALSE(done.wait(900));
    EXPECT_EQ(form->ListView1->Count(), 1);

    // The next search clears the flag and runs as usual.
    service.setDelay(0);
    search(QStringLiteral("song"));
    EXPECT_FALSE(form->search().stopFlag());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->search().pageNumber() == 17; }, 20000));
}

TEST_F(HarvestForm, NewSearchReplacesTheRunningOne)
{
    service.setPages([](const httplib::Request& req, const std::string& base) {
        const std::string word = req.get_param_value("word");
        if (word == "slow")
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return resultPage(base, {{word, "http://songs.example/" + word + ".mp3", "1.00Mmp3"}});
    });
    form->Edit1->setText(QStringLiteral("slow"));
    form->Button1->click();
    search(QStringLiteral("fast"));
    ASSERT_TRUE(waitForSearchEnd());
    QTest::qWait(500);
    ASSERT_EQ(form->ListView1->Count(), 1);
    EXPECT_EQ(form->ListView1->subItem(0, 0), QStringLiteral("fast"));
}

TEST_F(HarvestForm, UnreachableServiceReportsTheNetwork)
{
    // A port that was bound and let go: nothing listens there.
    int port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    makeForm(QSize(1024, 768), QStringLiteral("http://127.0.0.1:%1").arg(port));
    form->Memo1->Add(QStringLiteral("old page"));
    form->ListView1->appendRow({QStringLiteral("1"), 0, {QStringLiteral("a")}});
    QSignalSpy done(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    form->Edit1->setText(QStringLiteral("x"));
    form->Button1->click();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("请检查网络连接!")});
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form->ListView1->Count(), 0);
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral("搜索结果为:"));

    // The chart browser reports the same way.
    QSignalSpy chartDone(form->WebBrowser2, &TWebBrowser::OnDocumentComplete);
    form->manlistbtn->click();
    ASSERT_TRUE(chartDone.wait(5000));
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(form->ListView1->Count(), 0);
}

TEST_F(HarvestForm, ProgressEventsDriveTheSearchBar)
{
    form->WebBrowser1ProgressChange(40, 200);
    EXPECT_EQ(form->SeSkinProgressBar6->Max(), 200);
    EXPECT_EQ(form->SeSkinProgressBar6->Position(), 40);
    // Set in that order, a position beyond the old maximum is kept.
    form->WebBrowser2ProgressChange(700, 900);
    EXPECT_EQ(form->SeSkinProgressBar6->Max(), 900);
    EXPECT_EQ(form->SeSkinProgressBar6->Position(), 700);
    emit form->WebBrowser2->OnProgressChange(3, 4);
    EXPECT_EQ(form->SeSkinProgressBar6->Position(), 3);
    emit form->WebBrowser1->OnProgressChange(5, 6);
    EXPECT_EQ(form->SeSkinProgressBar6->Max(), 6);
}

// ---- Charts ---------------------------------------------------------------------------------------------

namespace {

std::string chartPage(const httplib::Request& req, const std::string& base)
{
    std::string html = "<html><head><meta charset=\"gbk\"></head><body>\n";
    auto link = [&](const std::string& href, const std::string& text) {
        html += "<div><a href=\"" + href + "\">" + text + "</a></div>\n";
    };
    if (req.path == "/m") {
        // An album search: the first result page for the name, with album links and a song link.
        link(base + "/r?url=http://songs.example/a.mp3", "not a chart entry");
        link(base + "/m?tn=baidump3&amp;ct=134217728&amp;word=Blue&amp;f=al", "Blue");
        link(base + "/m?tn=baidump3&amp;ct=134217728&amp;word=Red&amp;f=al", "Red");
    } else {
        link(base + "/", gbk("首页"));
        link(base + "/singer/%D6%DC.html", gbk("周远"));
        link(base + "/singer/", "");
        link(base + "/m?rn=&amp;tn=baidump3&amp;ct=134217728&amp;word=Rain&amp;lm=-1", "Rain");
    }
    return html + "</body></html>\n";
}

} // namespace

class ChartForm : public HarvestForm
{
protected:
    void SetUp() override
    {
        HarvestForm::SetUp();
        service.setPages(chartPage);
    }
    void clickAndWait(QAbstractButton* button)
    {
        QSignalSpy done(form->WebBrowser2, &TWebBrowser::OnDocumentComplete);
        button->click();
        ASSERT_TRUE(done.wait(5000));
    }
};

TEST_F(ChartForm, EachChartButtonLoadsItsPage)
{
    const std::pair<QAbstractButton*, std::string> buttons[] = {
        {form->manlistbtn, "/ngeshou.html"},
        {form->womanlistbtn, "/ygeshou.html"},
        {form->musiclist, "/mp3.html"},
        {form->singerlistbtn, "/singer/singers.html"}};
    std::size_t n = 0;
    for (const auto& [button, path] : buttons) {
        form->ListView1->appendRow({QStringLiteral("9"), 0, {QStringLiteral("old")}});
        clickAndWait(button);
        EXPECT_EQ(service.targets().at(n++), path);
        // Pressing a chart button again shows the chart once: the list is emptied before each load.
        ASSERT_EQ(form->ListView1->Count(), 3) << path;
        EXPECT_FALSE(form->WebBrowser2->isVisible());
    }
    EXPECT_EQ(form->ListView1->row(0),
              (lanseek::SongEntry{
                  QStringLiteral("1"),
                  -1,
                  {QStringLiteral("周远"), (form->search().service().base + "/singer/%D6%DC.html")
                                               .mid(form->search().service().redirectPrefix().size())}}));
    EXPECT_EQ(form->ListView1->row(1).subItem(0), QString());
    EXPECT_EQ(form->ListView1->row(2).caption, QStringLiteral("3"));
    EXPECT_EQ(form->ListView1->row(2).subItem(0), QStringLiteral("Rain"));
    EXPECT_EQ(form->ListView1->subItemCount(2), 2);
}

TEST_F(ChartForm, ChartPagesLeaveTheRowCounterAlone)
{
    form->search().setRowCounter(12);
    clickAndWait(form->manlistbtn);
    EXPECT_EQ(form->search().rowCounter(), 12);
    EXPECT_EQ(form->ListView1->row(0).caption, QStringLiteral("1"));
}

TEST_F(ChartForm, AlbumSearchListsAlbumLinksOfTheFirstPage)
{
    form->search().setStopFlag(true);
    form->search().setPageNumber(6);
    form->Edit1->clear();
    form->show();
    form->SeSkinSpeedButton1->click();
    QTest::qWait(200);
    EXPECT_TRUE(service.targets().empty());
    EXPECT_EQ(form->focusWidget(), form->Edit1);

    form->search().setRowCounter(40);
    form->Edit1->setText(QStringLiteral("Blue"));
    form->SeSkinComboBox1->blockSignals(true);
    form->SeSkinComboBox1->setCurrentIndex(2);
    form->SeSkinComboBox1->blockSignals(false);
    clickAndWait(form->SeSkinSpeedButton1);
    ASSERT_EQ(service.targets().size(), 1u);
    EXPECT_EQ(service.targets()[0], "/m?tn=baidump3&ct=134217728&rn=&word=Blue&lm=2");
    EXPECT_EQ(form->search().rowCounter(), 0);
    ASSERT_EQ(form->ListView1->Count(), 2);
    EXPECT_EQ(form->ListView1->row(0).subItem(0), QStringLiteral("Blue"));
    EXPECT_EQ(form->ListView1->row(1).caption, QStringLiteral("2"));
    // An album search is not a search: stop flag and page number stay.
    EXPECT_TRUE(form->search().stopFlag());
    EXPECT_EQ(form->search().pageNumber(), 6);
}

TEST_F(ChartForm, ChoosingAChartRowSearchesForItsName)
{
    clickAndWait(form->manlistbtn);
    service.setPages(endlessPages);
    form->ListView1->setRowSelected(2, true); // "Rain"
    ASSERT_TRUE(QTest::qWaitFor([&] { return completes->count() > 0; }, 5000));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("Rain"));
    EXPECT_TRUE(hasTarget(service.targets(), "/m?tn=baidump3&ct=134217728&rn=&word=Rain&lm=0"));
    form->stopbtn->click();
    EXPECT_GE(form->ListView1->Count(), 2);
    EXPECT_EQ(form->ListView1->subItemCount(0), 4);

    // Choosing a song row starts nothing, nor does deselecting.
    const std::size_t requests = service.targets().size();
    form->ListView1->setRowSelected(1, true);
    form->ListView1->setRowSelected(1, false);
    expectQuiet(requests);
}

TEST_F(ChartForm, ChoosingSeveralChartRowsAtOnceSearchesForTheFirst)
{
    auto firstPageQueries = [this] {
        std::vector<std::string> queries;
        for (const std::string& target : service.targets())
            if (target.rfind("/m?tn=baidump3&ct=134217728&rn=&word=", 0) == 0)
                queries.push_back(target);
        return queries;
    };
    clickAndWait(form->manlistbtn);
    service.setPages(endlessPages);
    form->ListView1->selectAll(); // Ctrl+A
    ASSERT_TRUE(QTest::qWaitFor([&] { return completes->count() > 0; }, 5000));
    form->stopbtn->click();
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("周远"));
    EXPECT_EQ(firstPageQueries().size(), 1u);

    // A first row without a name only moves the focus, as when chosen alone; the next one is searched.
    completes->clear();
    service.setPages(chartPage);
    clickAndWait(form->manlistbtn);
    service.setPages(endlessPages);
    form->ListView1->setRowSelected(1, true); // the empty name
    form->ListView1->setRowSelected(2, true); // "Rain"
    ASSERT_TRUE(QTest::qWaitFor([&] { return completes->count() > 0; }, 5000));
    form->stopbtn->click();
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("Rain"));
    const std::vector<std::string> queries = firstPageQueries();
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(queries[1], "/m?tn=baidump3&ct=134217728&rn=&word=Rain&lm=0");
}

TEST_F(ChartForm, ChoosingAChartRowWithoutANameOnlyFocusesTheNameBox)
{
    clickAndWait(form->manlistbtn);
    form->show();
    form->Edit1->setText(QStringLiteral("typed"));
    form->ListView1->setRowSelected(1, true); // the empty name
    QTest::qWait(200);
    EXPECT_EQ(form->Edit1->text(), QString());
    EXPECT_EQ(form->ListView1->Count(), 3);
    EXPECT_EQ(form->focusWidget(), form->Edit1);
    EXPECT_EQ(service.targets().size(), 1u);
}

TEST_F(ChartForm, RefreshSearchesForTheNameBoxNotTheChart)
{
    clickAndWait(form->musiclist);
    service.setPages(endlessPages);
    form->Edit1->setText(QStringLiteral("mine"));
    completes->clear();
    form->SeSkinSpeedButton2->click();
    EXPECT_EQ(form->ListView1->Count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return completes->count() > 0; }, 5000));
    form->stopbtn->click();
    EXPECT_EQ(service.targets().at(1), "/m?tn=baidump3&ct=134217728&rn=&word=mine&lm=0");
    EXPECT_EQ(form->ListView1->subItem(0, 0), QStringLiteral("Song 0a"));

    // With an empty name box the list stays empty.
    form->Edit1->clear();
    form->SeSkinSpeedButton2->click();
    EXPECT_EQ(form->ListView1->Count(), 0);
}

TEST_F(ChartForm, DoubleClickPutsTheChosenRowIntoTheCardList)
{
    form->ListView1->appendRow({QStringLiteral("1"),
                                2,
                                {QStringLiteral("a"), QStringLiteral("http://h/a.wma"),
                                 QStringLiteral("1.0M"), QStringLiteral("wma")}});
    form->ListView1->appendRow({QStringLiteral("2"),
                                1,
                                {QStringLiteral("b"), QStringLiteral("http://h/b.rm"), QStringLiteral("2.1M"),
                                 QStringLiteral("rm")}});
    form->cardlistview->appendRow({QStringLiteral("x"), 0, {QStringLiteral("old")}});
    const bool resultsShown = form->ListView1->isVisibleTo(form.get());
    const bool cardShown = form->setpanel->isVisibleTo(form.get());

    // No row selected: nothing changes.
    form->ListView1DblClick();
    ASSERT_EQ(form->cardlistview->Count(), 1);
    EXPECT_EQ(form->cardlistview->caption(0), QStringLiteral("x"));

    form->ListView1->setRowSelected(1, true);
    form->ListView1->setRowSelected(0, true);
    form->ListView1DblClick();
    form->ListView1->setRowSelected(0, false);
    emit form->ListView1->itemDoubleClicked(form->ListView1->topLevelItem(1), 0);
    ASSERT_EQ(form->cardlistview->Count(), 1);
    EXPECT_EQ(form->cardlistview->row(0), form->ListView1->row(1));
    // The view does not change.
    EXPECT_EQ(form->ListView1->isVisibleTo(form.get()), resultsShown);
    EXPECT_EQ(form->setpanel->isVisibleTo(form.get()), cardShown);

    // A chart row gives the card row its name and address only.
    form->ListView1->appendRow(
        {QStringLiteral("3"), -1, {QStringLiteral("c"), QStringLiteral("ger/c.html")}});
    form->ListView1->blockSignals(true);
    form->ListView1->setRowSelected(1, false);
    form->ListView1->setRowSelected(2, true);
    form->ListView1->blockSignals(false);
    form->ListView1DblClick();
    ASSERT_EQ(form->cardlistview->Count(), 1);
    EXPECT_EQ(form->cardlistview->subItemCount(0), 2);
    EXPECT_EQ(form->cardlistview->row(0).subItems,
              (QStringList{QStringLiteral("c"), QStringLiteral("ger/c.html")}));
}
