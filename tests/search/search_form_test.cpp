// The search handlers of the main window against a local server that records what reaches it.

#include "app/search/search_controller.h"
#include "support/form_fixture.h"

#include "platform/web/web_browser.h"

#include <QApplication>
#include <QSignalSpy>

#include <httplib.h>

#include <mutex>
#include <thread>

using lanseek::test::FormTest;

namespace {

// Answers every query with an empty page and remembers the request targets as they came off the wire.
class RecordingService
{
public:
    RecordingService()
    {
        m_server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(m_mutex);
                m_targets.push_back(req.target);
            }
            res.set_content("<html><body>nothing</body></html>", "text/html; charset=gbk");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~RecordingService()
    {
        m_server.stop();
        m_thread.join();
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    std::vector<std::string> targets()
    {
        std::lock_guard lock(m_mutex);
        return m_targets;
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_targets;
};

} // namespace

class SearchForm : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        makeForm(QSize(1024, 768), service.base());
    }
    // Waits for the search browser to finish the navigation just started.
    void waitForPage()
    {
        QSignalSpy done(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
        ASSERT_TRUE(done.wait(5000));
    }
    RecordingService service;
};

TEST_F(SearchForm, EmptyNameOnlyClearsTheStopFlagAndFocusesTheNameBox)
{
    form->show();
    form->ListView1->appendRow({QStringLiteral("1"), 0, {QStringLiteral("x")}});
    form->search().setStopFlag(true);
    form->search().setPageNumber(5);
    form->search().setRowCounter(7);
    form->Button1->setFocus();
    form->Button1->click();
    EXPECT_FALSE(form->search().stopFlag());
    EXPECT_EQ(form->ListView1->Count(), 1);
    EXPECT_EQ(form->search().pageNumber(), 5);
    EXPECT_EQ(form->search().rowCounter(), 7);
    EXPECT_EQ(form->focusWidget(), form->Edit1);
    EXPECT_TRUE(service.targets().empty());
}

TEST_F(SearchForm, SearchSendsTheFirstPageQueryWithTheWordInGbk)
{
    form->ListView1->appendRow({QStringLiteral("1"), 0, {QStringLiteral("old")}});
    form->search().setRowCounter(4);
    form->SeSkinComboBox1->blockSignals(true);
    form->SeSkinComboBox1->setCurrentIndex(1);
    form->SeSkinComboBox1->blockSignals(false);
    form->Edit1->setText(QStringLiteral("周 杰"));
    form->Button1->click();
    EXPECT_EQ(form->ListView1->Count(), 0);
    EXPECT_EQ(form->search().rowCounter(), 0);
    EXPECT_EQ(form->search().pageNumber(), 1);
    EXPECT_EQ(form->ListView1->headerImage(), 1);
    waitForPage();
    ASSERT_EQ(service.targets().size(), 1u);
    // 周 is D6 DC and 杰 is BD DC in GBK; the blank cannot travel raw in a request line.
    EXPECT_EQ(service.targets()[0], "/m?tn=baidump3&ct=134217728&rn=&word=%D6%DC%20%BD%DC&lm=1");
}

TEST_F(SearchForm, FollowUpPagesStopAfterPage16)
{
    form->Edit1->setText(QStringLiteral("abc"));
    form->search().setLocalIp(QStringLiteral("10.1.2.3"));
    form->search().setPageNumber(16);
    form->Button9->click();
    waitForPage();
    ASSERT_EQ(service.targets().size(), 1u);
    EXPECT_EQ(service.targets()[0], "/m?lm=0&ct=134217728&tn=baidump3&word=abc&pn=480&ip=10.1.2.3&cl=3&z=0");

    form->search().setPageNumber(17);
    form->Button9->click();
    QSignalSpy done(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    EXPECT_FALSE(done.wait(300));
    EXPECT_EQ(service.targets().size(), 1u);
    EXPECT_FALSE(form->WebBrowser1->isVisible());
}

TEST_F(SearchForm, ChangingTheMediaTypeSearchesOnlyWithAName)
{
    form->SeSkinComboBox1->setCurrentIndex(2);
    QSignalSpy done(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    EXPECT_FALSE(done.wait(300));
    EXPECT_TRUE(service.targets().empty());

    form->Edit1->setText(QStringLiteral("rain"));
    form->SeSkinComboBox1->setCurrentIndex(3);
    waitForPage();
    ASSERT_EQ(service.targets().size(), 1u);
    EXPECT_EQ(service.targets()[0], "/m?tn=baidump3&ct=134217728&rn=&word=rain&lm=3");
    EXPECT_EQ(form->ListView1->headerImage(), 3);
}
