// What reading result pages costs, beside what the browser stand-in needs to fetch and parse the same pages
// from the bundled service on loopback:
//   1. one 30-result page: the harvest rules alone, and the whole handler (page memo, rules, list rows),
//      against one browser load of that page;
//   2. a whole search that pages to its end on the real main window, against loading the same pages one
//      after another in a bare browser.
// Usage: search_bench [RUNS]. Runs offscreen.

#include "app/application.h"
#include "app/mp3.h"
#include "app/search/search_controller.h"
#include "platform/web/web_browser.h"
#include "search/harvest.h"
#include "search/harvest_document.h"
#include "search/search_query.h"
#include "service/search_service.h"
#include "support/bench_stats.h"
#include "support/scripted_dialogs.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

using lanseek::bench::median;

namespace {

using namespace lanseek::search;

// Microseconds to load one address in a browser, or -1 when no document came.
double loadMicros(TWebBrowser& browser, const QString& address)
{
    QSignalSpy done(&browser, &TWebBrowser::OnDocumentComplete);
    QElapsedTimer clock;
    clock.start();
    browser.Navigate(address);
    if (!done.wait(20000) || !browser.Document())
        return -1;
    return static_cast<double>(clock.nsecsElapsed()) / 1000.0;
}

// A library of 100 MP3 songs matching "blue": pages at offsets 0, 60 and 90 bring 30, 30 and 10 songs and
// the one at 120 none, so a search reads four pages.
bool makeLibrary(const std::filesystem::path& root)
{
    for (int i = 0; i < 100; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Blue Harbour - Night Song %03d.mp3", i);
        std::ofstream out(root / name, std::ios::binary);
        out << std::string(1500 + i * 37, 'x');
        if (!out)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    curl_global_init(CURL_GLOBAL_DEFAULT);
    LanseekApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    QTemporaryDir library;
    if (!library.isValid() || !makeLibrary(library.path().toStdString())) {
        std::fprintf(stderr, "cannot make the test library\n");
        return 1;
    }
    lanseek::service::ServiceOptions options;
    options.library = library.path().toStdString();
    lanseek::service::SearchService service(options);
    std::string error;
    if (!service.start(&error)) {
        std::fprintf(stderr, "service: %s\n", error.c_str());
        return 1;
    }
    const ServiceEndpoints endpoints{QString::fromStdString(service.baseUrl())};
    const QString word = QStringLiteral("blue");
    const std::vector<QString> pages = {firstPageAddress(endpoints, word, 0),
                                        followUpAddress(endpoints, word, 0, 2, QStringLiteral("127.0.0.1")),
                                        followUpAddress(endpoints, word, 0, 3, QStringLiteral("127.0.0.1")),
                                        followUpAddress(endpoints, word, 0, 4, QStringLiteral("127.0.0.1"))};

    // 1. One page.
    TWebBrowser browser;
    std::vector<double> loads;
    for (int i = 0; i < runs; ++i)
        loads.push_back(loadMicros(browser, pages[0]));
    const lanseek::platform::WebDocument* document = browser.Document();
    if (!document || std::count(loads.begin(), loads.end(), -1.0) > 0) {
        std::fprintf(stderr, "the browser could not load %s\n", qPrintable(pages[0]));
        return 1;
    }

    HarvestRequest request;
    request.pageText = document->bodyText;
    request.links = document->links;
    request.service = endpoints;
    request.countLabel = QStringLiteral("搜索结果为:");
    request.windowCaption = QStringLiteral("聆澜");
    std::vector<double> rules;
    std::size_t rows = 0;
    for (int i = 0; i < runs * 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        const HarvestChanges changes = harvestPage(request);
        rules.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
        rows = changes.rows.size();
    }

    lanseek::test::ScriptedDialogs dialogs;
    QTemporaryDir programFolder;
    TForm1Options formOptions;
    formOptions.dialogs = &dialogs;
    formOptions.programFolder = programFolder.path();
    formOptions.screenSize = QSize(1024, 768);
    formOptions.service = endpoints;
    TForm1 form(formOptions);
    {
        // Give the search browser the page, with the stop flag keeping the harvest from paging on.
        QSignalSpy done(form.WebBrowser1, &TWebBrowser::OnDocumentComplete);
        form.WebBrowser1->Navigate(pages[0]);
        form.search().setStopFlag(true);
        done.wait(20000);
    }
    std::vector<double> handler;
    for (int i = 0; i < runs * 5; ++i) {
        form.ListView1->Clear();
        form.search().setRowCounter(0);
        QElapsedTimer clock;
        clock.start();
        form.WebBrowser1DocumentComplete(form.WebBrowser1, pages[0]);
        handler.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
    }
    const int handlerRows = form.ListView1->Count();
    form.search().setStopFlag(false);

    // 2. A whole search against the same pages loaded by a bare browser, each next page asked for from the
    // previous page's document-complete event as the search does. The two alternate, so that drift in the
    // machine's load touches both alike.
    std::vector<double> searches;
    std::vector<double> fetches;
    int pagesRead = 0;
    int searchRows = 0;
    for (int i = 0; i < runs; ++i) {
        {
            QEventLoop loop;
            std::size_t next = 1;
            const auto connection = QObject::connect(&browser, &TWebBrowser::OnDocumentComplete, &loop, [&] {
                if (next < pages.size())
                    browser.Navigate(pages[next++]);
                else
                    loop.quit();
            });
            QTimer::singleShot(60000, &loop, &QEventLoop::quit);
            QElapsedTimer clock;
            clock.start();
            browser.Navigate(pages[0]);
            loop.exec();
            fetches.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            QObject::disconnect(connection);
        }
        {
            // The search has ended when a page has been read and no further page was asked for; the loop
            // quits right then, free of polling delays.
            QEventLoop loop;
            int read = 0;
            const auto connection =
                QObject::connect(form.WebBrowser1, &TWebBrowser::OnDocumentComplete, &loop, [&] {
                    ++read;
                    if (!form.WebBrowser1->Busy())
                        loop.quit();
                });
            QTimer::singleShot(60000, &loop, &QEventLoop::quit);
            form.Edit1->setText(word);
            QElapsedTimer clock;
            clock.start();
            form.Button1Click();
            loop.exec();
            searches.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            QObject::disconnect(connection);
            pagesRead = read;
            searchRows = form.ListView1->Count();
        }
    }

    // 3. A hostile page: 20000 result links whose texts the page never shows, over 1 MB of text. Each text is
    // looked for in the whole page; the single pass keeps this to one walk over the text.
    std::string bigText;
    while (bigText.size() < (1u << 20))
        bigText += "a line of page text that holds no link text at all 1.00Mmp3\n";
    std::vector<PageLink> bigLinks;
    for (int i = 0; i < 20000; ++i)
        bigLinks.push_back(
            {"http://h/r?url=http://x/" + std::to_string(i), "missing text " + std::to_string(i)});
    HarvestInput big;
    big.pageText = bigText;
    big.links = &bigLinks;
    big.queryPrefix = "http://h/m?lm=";
    big.redirectPrefix = "http://h/r?url=";
    std::vector<double> hostile;
    std::size_t hostileRows = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        hostileRows = harvest(big).songs.size();
        hostile.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }

    const double load = median(loads);
    const double rule = median(rules);
    const double whole = median(handler);
    std::printf("search bench: %d runs, service on %s\n", runs, qPrintable(endpoints.base));
    std::printf("one 30-result page (%zu rows, %lld characters of text, %zu links):\n", rows,
                static_cast<long long>(request.pageText.size()), request.links.size());
    std::printf("  browser fetch + parse      %10.1f us (median)\n", load);
    std::printf("  harvest rules + GBK edges  %10.1f us (median)   %.3f x the browser\n", rule, rule / load);
    std::printf("  harvest handler (%2d rows)  %10.1f us (median)   %.3f x the browser\n", handlerRows, whole,
                whole / load);
    const double search = median(searches);
    const double fetch = median(fetches);
    std::printf("whole search to the end (%d pages, %d rows):\n", pagesRead, searchRows);
    std::printf("  browser fetch + parse      %10.2f ms (median)\n", fetch);
    std::printf("  search on the main window  %10.2f ms (median)   %.3f x the browser\n", search,
                search / fetch);
    std::printf("hostile page (%zu result links, %zu bytes of text):\n", hostileRows, bigText.size());
    std::printf("  harvest rules              %10.2f ms (median of 3)\n", median(hostile));
    service.stop();
    curl_global_cleanup();
    return 0;
}
