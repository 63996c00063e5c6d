// Whole searches on the real main window against the bundled search service over a small library made by
// the test: result rows, count label, the caption's address, paging to the end, charts and choosing a
// chart row.

#include "app/search/search_controller.h"
#include "support/form_fixture.h"

#include "platform/model/song_entry.h"
#include "platform/web/web_browser.h"
#include "service/search_service.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using lanseek::test::FormTest;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, std::size_t bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << std::string(bytes, 'x');
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

class ServiceSearch : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(library.isValid());
        const fs::path root = library.path().toStdString();
        // 66 MP3 songs of 1.5 KiB: more than two pages, so that the follow-up at offset 60 still finds some.
        for (int i = 1; i <= 66; ++i)
            writeFile(root / ("Zhou Yu - Rain " + twoDigits(i).toStdString() + ".mp3"), 1536);
        for (int i = 1; i <= 5; ++i)
            writeFile(root / ("Lin Yu - Wind " + std::to_string(i) + ".rm"), 2150);
        for (int i = 1; i <= 3; ++i)
            writeFile(root / ("Lin Yu - Snow " + std::to_string(i) + ".wma"), 40 * 1024);
        for (int i = 1; i <= 3; ++i)
            writeFile(root / (QStringLiteral("陈北 - 海边 %1.mp3").arg(i).toStdString()),
                      3 * 1024 * 1024 + 600000);
        std::ofstream(root / "singers.txt") << "男 Zhou Yu\n女 Lin Yu\n";

        lanseek::service::ServiceOptions options;
        options.library = root;
        service = std::make_unique<lanseek::service::SearchService>(options);
        std::string error;
        ASSERT_TRUE(service->start(&error)) << error;
        base = QString::fromStdString(service->baseUrl());
        makeForm(QSize(1024, 768), base);
    }
    void TearDown() override
    {
        FormTest::TearDown();
        if (service)
            service->stop();
    }
    // Runs a search to its end and returns how many pages were read.
    int searchToTheEnd(const QString& word, int mediaIndex)
    {
        QSignalSpy pages(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
        form->SeSkinComboBox1->blockSignals(true);
        form->SeSkinComboBox1->setCurrentIndex(mediaIndex);
        form->SeSkinComboBox1->blockSignals(false);
        form->Edit1->setText(word);
        form->Button1->click();
        const bool ended =
            QTest::qWaitFor([&] { return pages.count() > 0 && !form->WebBrowser1->Busy(); }, 20000);
        EXPECT_TRUE(ended);
        return static_cast<int>(pages.count());
    }
    QString songAddress(const QString& encodedPath) const
    {
        return base + QStringLiteral("/music/") + encodedPath;
    }

    QTemporaryDir library;
    std::unique_ptr<lanseek::service::SearchService> service;
    QString base;
};

TEST_F(ServiceSearch, PagesToTheEndAndFillsTheRows)
{
    // The first page, the follow-up at offset 60 and the empty one at offset 90 that ends the search.
    EXPECT_EQ(searchToTheEnd(QStringLiteral("rain"), 0), 3);
    EXPECT_EQ(form->search().pageNumber(), 2);
    ASSERT_EQ(form->ListView1->Count(), 36);
    EXPECT_EQ(form->search().rowCounter(), 36);
    EXPECT_EQ(form->ListView1->row(0), (lanseek::SongEntry{QStringLiteral("1"),
                                                           0,
                                                           {QStringLiteral("Zhou Yu - Rain 01"),
                                                            songAddress("Zhou%20Yu%20-%20Rain%2001.mp3"),
                                                            QStringLiteral("1.5K"), QStringLiteral("mp3")}}));
    EXPECT_EQ(form->ListView1->row(29).subItem(0), QStringLiteral("Zhou Yu - Rain 30"));
    // Offset 30 is never asked for: the rows go on with the songs from offset 60.
    EXPECT_EQ(form->ListView1->row(30).caption, QStringLiteral("31"));
    EXPECT_EQ(form->ListView1->row(30).subItem(0), QStringLiteral("Zhou Yu - Rain 61"));
    EXPECT_EQ(form->ListView1->row(35).subItem(1), songAddress("Zhou%20Yu%20-%20Rain%2066.mp3"));
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral(" 搜索结果  66"));
    EXPECT_EQ(form->search().localIp(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("   本机ip为:  127.0.0.1")));
    EXPECT_EQ(form->Memo1->toPlainText().count(QStringLiteral("Rain")), 0) << "the last page had no results";
}

TEST_F(ServiceSearch, MediaTypesSizesAndChineseNames)
{
    EXPECT_EQ(searchToTheEnd(QStringLiteral("wind"), 1), 2);
    ASSERT_EQ(form->ListView1->Count(), 5);
    EXPECT_EQ(form->ListView1->row(4), (lanseek::SongEntry{QStringLiteral("5"),
                                                           1,
                                                           {QStringLiteral("Lin Yu - Wind 5"),
                                                            songAddress("Lin%20Yu%20-%20Wind%205.rm"),
                                                            QStringLiteral("2.1K"), QStringLiteral("rm")}}));

    searchToTheEnd(QStringLiteral("snow"), 2);
    ASSERT_EQ(form->ListView1->Count(), 3);
    EXPECT_EQ(form->ListView1->row(0).subItem(2), QStringLiteral(" 40K"));
    EXPECT_EQ(form->ListView1->row(0).subItem(3), QStringLiteral("wma"));
    EXPECT_EQ(form->ListView1->row(0).imageIndex, 2);

    searchToTheEnd(QStringLiteral("海边"), 0);
    ASSERT_EQ(form->ListView1->Count(), 3);
    EXPECT_EQ(form->ListView1->row(2).subItem(0), QStringLiteral("陈北 - 海边 3"));
    EXPECT_EQ(form->ListView1->row(2).subItem(2), QStringLiteral("3.5M"));
    EXPECT_EQ(form->ListView1->row(2).subItem(3), QStringLiteral("mp3"));
    // The count label kept what the first search's page said.
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral(" 搜索结果  5"));
    EXPECT_EQ(form->windowTitle().count(QStringLiteral("本机ip为")), 1);
}

TEST_F(ServiceSearch, ChartRowChosenRunsASearch)
{
    QSignalSpy chart(form->WebBrowser2, &TWebBrowser::OnDocumentComplete);
    form->manlistbtn->click();
    ASSERT_TRUE(chart.wait(10000));
    ASSERT_EQ(form->ListView1->Count(), 1);
    EXPECT_EQ(form->ListView1->row(0).caption, QStringLiteral("1"));
    EXPECT_EQ(form->ListView1->row(0).subItem(0), QStringLiteral("Zhou Yu"));
    EXPECT_EQ(form->ListView1->subItemCount(0), 2);

    QSignalSpy pages(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    form->ListView1->setRowSelected(0, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pages.count() > 0 && !form->WebBrowser1->Busy(); }, 20000));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("Zhou Yu"));
    EXPECT_EQ(form->ListView1->Count(), 36);
    EXPECT_EQ(form->ListView1->subItemCount(0), 4);

    // All singers, then the song chart, whose entries are general query links.
    chart.clear();
    form->singerlistbtn->click();
    ASSERT_TRUE(chart.wait(10000));
    QStringList names;
    for (int i = 0; i < form->ListView1->Count(); ++i)
        names << form->ListView1->subItem(i, 0);
    EXPECT_TRUE(names.contains(QStringLiteral("Zhou Yu")));
    EXPECT_TRUE(names.contains(QStringLiteral("Lin Yu")));
    EXPECT_TRUE(names.contains(QStringLiteral("陈北")));

    chart.clear();
    form->musiclist->click();
    ASSERT_TRUE(chart.wait(10000));
    ASSERT_GT(form->ListView1->Count(), 0);
    EXPECT_EQ(form->ListView1->row(form->ListView1->Count() - 1).caption,
              QString::number(form->ListView1->Count()));
}

// The program starts its bundled service before the window and lets it index its catalogue meanwhile;
// a search the user starts before that has finished must still find its songs.
class ServiceStillIndexing : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(library.isValid());
        const fs::path root = library.path().toStdString();
        for (int i = 1; i <= 3; ++i)
            writeFile(root / ("Zhou Yu - Rain " + std::to_string(i) + ".mp3"), 1536);
        // Indexing reads the singer list first; as a pipe it holds indexing until the test writes it.
        singers = root / "singers.txt";
        ASSERT_EQ(::mkfifo(singers.c_str(), 0600), 0);
        lanseek::service::ServiceOptions options;
        options.library = root;
        service = std::make_unique<lanseek::service::SearchService>(options);
        std::string error;
        ASSERT_TRUE(service->startIndexingInBackground(&error)) << error;
        makeForm(QSize(1024, 768), QString::fromStdString(service->baseUrl()));
    }
    void TearDown() override
    {
        releaseIndexing();
        FormTest::TearDown();
        if (service)
            service->stop();
    }
    // Opening the pipe for writing waits until indexing has opened it; then indexing goes on.
    void releaseIndexing()
    {
        if (released || singers.empty())
            return;
        released = true;
        const int fd = ::open(singers.c_str(), O_WRONLY);
        if (fd >= 0) {
            const std::string list = "男 Zhou Yu\n";
            [[maybe_unused]] const auto put = ::write(fd, list.data(), list.size());
            ::close(fd);
        }
    }

    QTemporaryDir library;
    fs::path singers;
    bool released = false;
    std::unique_ptr<lanseek::service::SearchService> service;
};

TEST_F(ServiceStillIndexing, SearchStartedBeforeTheCatalogueIsReadyGetsItsResults)
{
    QSignalSpy pages(form->WebBrowser1, &TWebBrowser::OnDocumentComplete);
    form->Edit1->setText(QStringLiteral("rain"));
    ASSERT_EQ(service->songCount(), 0u);
    form->Button1->click();
    // The service cannot answer while indexing is held, so the search is still waiting, not failed.
    QTest::qWait(200);
    EXPECT_TRUE(form->WebBrowser1->Busy());
    EXPECT_EQ(pages.count(), 0);

    releaseIndexing();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pages.count() > 0 && !form->WebBrowser1->Busy(); }, 20000));
    EXPECT_TRUE(form->WebBrowser1->lastError().isEmpty()) << form->WebBrowser1->lastError().toStdString();
    ASSERT_EQ(form->ListView1->Count(), 3);
    EXPECT_EQ(form->ListView1->row(0).subItem(0), QStringLiteral("Zhou Yu - Rain 1"));
    EXPECT_EQ(form->ListView1->row(2).subItem(0), QStringLiteral("Zhou Yu - Rain 3"));
    EXPECT_EQ(form->resultlabel->text(), QStringLiteral(" 搜索结果  3"));
}
