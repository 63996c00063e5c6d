#include "platform/text/gbk.h"
#include "platform/web/web_browser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <thread>

using lanseek::platform::toGbk;

namespace {

const char* const kGbkHtml = "text/html; charset=gbk";

// The sample result page, written in GBK.
const QString kSamplePage = QStringLiteral(
    "<html><head><title>不显示</title><script>document.write('<a href=x>');</script></head>\n"
    "<body>\n"
    "<div>百度为您找到相关结果约1,234篇</div>\n"
    "<table>\n"
    "<tr><td><a href=\"/r?url=http://music.example/歌 一.mp3\">歌曲 一</a></td><td>3.52Mmp3</td></tr>\n"
    "<tr><td><a href=\"r?url=http://music.example/b.wma\">二</a></td><td>512Kwma</td></tr>\n"
    "</table>\n"
    "<p>第一段<br>第二行</p>\n"
    "<ul><li>甲</li><li>乙</li></ul>\n"
    "<div hidden>隐藏</div><span style=\"display:none\">也隐藏</span>\n"
    "<a href=\"http://other.example/m?lm=-1&amp;ip=10.0.0.1&amp;cl=3\">下一页</a>\n"
    "</body></html>\n");

const QString kSampleText = QStringLiteral("百度为您找到相关结果约1,234篇\n歌曲 一\t3.52Mmp3\n二\t512Kwma\n\n"
                                           "第一段\n第二行\n\n甲\n乙\n下一页");

// Gzip-compressed bytes of the given text.
std::string gzip(const std::string& text)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A web server on 127.0.0.1 with an ephemeral port, serving the pages these tests load.
class TestServer
{
public:
    TestServer()
    {
        m_server.Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(toGbk(kSamplePage), kGbkHtml);
        });
        m_server.Get("/meta-gbk", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(toGbk(QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                                 "charset=gb2312\"><p>中文页面")),
                            "text/html");
        });
        m_server.Get("/undeclared", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(toGbk(QStringLiteral("<p>没有声明")), "text/html");
        });
        m_server.Get("/utf8", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(QStringLiteral("<p>统一码 €</p>").toUtf8().toStdString(),
                            "text/html; charset=utf-8");
        });
        m_server.Get("/utf8-meta", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(QStringLiteral("<meta charset=\"utf-8\"><p>统一码</p>").toUtf8().toStdString(),
                            "text/html");
        });
        m_server.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
            ++m_slowRequests;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            res.set_content("<p>slow", "text/html");
        });
        m_server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<p>not found page text", "text/html");
        });
        m_server.Get("/binary", [](const httplib::Request&, httplib::Response& res) {
            std::string bytes;
            for (int i = 0; i < 5000; ++i) {
                bytes += static_cast<char>(i * 31 % 256);
            }
            res.set_content(bytes, "application/octet-stream");
        });
        m_server.Get("/garbage", [](const httplib::Request&, httplib::Response& res) {
            std::string bytes = "<html><body><table><tr><td><a href='/r?url=z'>z<div><p></b></td></i><<<>>";
            for (int i = 0; i < 20000; ++i) {
                bytes += static_cast<char>((i * 7919 + 13) % 256);
            }
            res.set_content(bytes, "text/html");
        });
        m_server.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            // Several megabytes: a long run of plain text and a table of many rows.
            std::string page = "<html><body><p>" + std::string(2u << 20, 'w') + "</p><table>";
            for (int i = 0; i < 20000; ++i) {
                page += "<tr><td><a href='/r?url=http://m/" + std::to_string(i) + ".mp3'>song " +
                        std::to_string(i) + "</a></td><td>1.00Mmp3</td></tr>\n";
            }
            page += "</table></body></html>";
            res.set_content(page, "text/html");
        });
        m_server.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
            // Announces 40 MB; the browser refuses before the body is sent.
            res.set_content_provider(40u * 1024 * 1024, "text/html",
                                     [](size_t offset, size_t length, httplib::DataSink& sink) {
                                         std::string chunk(std::min<size_t>(length, 65536), 'x');
                                         (void)offset;
                                         return sink.write(chunk.data(), chunk.size());
                                     });
        });
        m_server.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
            // No length announced; the body keeps coming until the client gives up. (A type the server does
            // not compress, so that the test spends its time on the transfer.)
            res.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
                static const std::string chunk(1 << 20, 'y');
                return sink.write(chunk.data(), chunk.size());
            });
        });
        m_server.Get("/bomb", [](const httplib::Request&, httplib::Response& res) {
            // A few kilobytes on the wire that unpack to 40 MB.
            static const std::string packed = gzip(std::string(40u << 20, ' '));
            res.set_header("Content-Encoding", "gzip");
            res.set_content(packed, "application/octet-stream");
        });
        m_server.Get("/packed", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content(gzip(toGbk(QStringLiteral("<p>压缩的页面"))), "text/html; charset=gbk");
        });
        m_server.Get("/moved", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/dir/target");
        });
        m_server.Get("/dir/target", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<a href='rel'>r</a>", "text/html");
        });
        m_server.Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
            // Shows the request target as the server received it, escapes and all.
            res.set_content("<p>" + req.target + "</p>", "text/html");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // The socket is bound already, so early connections wait in its backlog; this only settles start-up.
        while (!m_server.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~TestServer()
    {
        m_server.stop();
        m_thread.join();
    }

    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }
    int slowRequests() const { return m_slowRequests; }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<int> m_slowRequests{0};
};

// A port on which nothing listens: bound and released again.
int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

class BrowserTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { s_server = new TestServer; }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    // Navigates and waits for the completion, then lingers briefly to catch a second, unwanted one.
    void load(const QString& url)
    {
        browser.Navigate(url);
        ASSERT_TRUE(complete.wait(20000)) << "no document complete for " << url.toStdString();
        QTest::qWait(50);
        ASSERT_EQ(complete.count(), 1) << url.toStdString();
    }

    static QString url(const QString& path) { return s_server->url(path); }

    static TestServer* s_server;
    TWebBrowser browser;
    QSignalSpy complete{&browser, &TWebBrowser::OnDocumentComplete};
    QSignalSpy progress{&browser, &TWebBrowser::OnProgressChange};
};

TestServer* BrowserTest::s_server = nullptr;

} // namespace

TEST_F(BrowserTest, SamplePageGivesBodyLinesAndResolvedLinks)
{
    const QString address = url(QStringLiteral("/page"));
    browser.Navigate(address);
    EXPECT_TRUE(browser.Busy());
    EXPECT_EQ(complete.count(), 0); // Navigate returns before anything is loaded
    ASSERT_TRUE(complete.wait(20000));
    EXPECT_FALSE(browser.Busy());
    const auto args = complete.takeFirst();
    EXPECT_EQ(args.at(0).value<TWebBrowser*>(), &browser);
    EXPECT_EQ(args.at(1).toString(), address);

    const auto* doc = browser.Document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->url, address);
    EXPECT_EQ(doc->bodyText, kSampleText);
    ASSERT_EQ(doc->links.size(), 3u);
    EXPECT_EQ(doc->links[0].href, url(QStringLiteral("/r?url=http://music.example/歌 一.mp3")));
    EXPECT_EQ(doc->links[0].innertext, QStringLiteral("歌曲 一"));
    EXPECT_EQ(doc->links[1].href, url(QStringLiteral("/r?url=http://music.example/b.wma")));
    EXPECT_EQ(doc->links[2].href, QStringLiteral("http://other.example/m?lm=-1&ip=10.0.0.1&cl=3"));
    EXPECT_EQ(doc->links[2].innertext, QStringLiteral("下一页"));

    ASSERT_GE(progress.count(), 1);
    const auto last = progress.last();
    EXPECT_EQ(last.at(0).toInt(), last.at(1).toInt());
}

TEST_F(BrowserTest, EveryCharsetDeclarationIsHonoured)
{
    load(url(QStringLiteral("/meta-gbk")));
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("中文页面"));
    complete.clear();
    load(url(QStringLiteral("/undeclared")));
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("没有声明"));
    complete.clear();
    load(url(QStringLiteral("/utf8")));
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("统一码 €"));
    complete.clear();
    load(url(QStringLiteral("/utf8-meta")));
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("统一码"));
}

TEST_F(BrowserTest, AddressGoesOnTheWireAsEscapedGbk)
{
    load(url(QStringLiteral("/echo?word=周 杰&ip=&x=%41")));
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("/echo?word=%D6%DC%20%BD%DC&ip=&x=%41"));
}

TEST_F(BrowserTest, StopAbandonsTheLoad)
{
    browser.Navigate(url(QStringLiteral("/slow")));
    browser.Stop();
    EXPECT_FALSE(browser.Busy());
    QTest::qWait(700);
    EXPECT_EQ(complete.count(), 0);
    EXPECT_EQ(progress.count(), 0);
    EXPECT_EQ(browser.Document(), nullptr);
    // Stop with nothing loading changes nothing, and the browser loads again afterwards.
    browser.Stop();
    load(url(QStringLiteral("/page")));
    EXPECT_NE(browser.Document(), nullptr);
}

TEST_F(BrowserTest, ASecondNavigateReplacesTheFirst)
{
    browser.Navigate(url(QStringLiteral("/slow")));
    browser.Navigate(url(QStringLiteral("/utf8")));
    ASSERT_TRUE(complete.wait(20000));
    QTest::qWait(700); // the slow page has long been answered by now
    ASSERT_EQ(complete.count(), 1);
    EXPECT_EQ(complete.first().at(1).toString(), url(QStringLiteral("/utf8")));
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("统一码 €"));
}

TEST_F(BrowserTest, ManyQuickNavigationsEndInTheLastOneOnly)
{
    for (int i = 0; i < 20; ++i) {
        browser.Navigate(url(QStringLiteral("/utf8")));
        if (i % 5 == 0) {
            QCoreApplication::processEvents(); // let some of them finish in between
        }
    }
    complete.clear(); // a load that finished before the next Navigate rightly reported itself
    browser.Navigate(url(QStringLiteral("/page")));
    ASSERT_TRUE(complete.wait(20000));
    QTest::qWait(300);
    ASSERT_EQ(complete.count(), 1);
    EXPECT_EQ(complete.first().at(1).toString(), url(QStringLiteral("/page")));
    EXPECT_EQ(browser.Document()->bodyText, kSampleText);
}

TEST_F(BrowserTest, NavigatingFromTheCompleteHandlerStartsTheNextLoad)
{
    // The search reads a page and asks for the next one from inside the complete event.
    int seen = 0;
    QObject::connect(&browser, &TWebBrowser::OnDocumentComplete, &browser,
                     [&](TWebBrowser* b, const QString&) {
                         if (++seen == 1) {
                             b->Navigate(url(QStringLiteral("/utf8")));
                         }
                     });
    browser.Navigate(url(QStringLiteral("/page")));
    QTRY_COMPARE_WITH_TIMEOUT(seen, 2, 20000);
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("统一码 €"));
}

TEST_F(BrowserTest, FailedLoadsCompleteOnceWithoutDocument)
{
    load(url(QStringLiteral("/page")));
    ASSERT_NE(browser.Document(), nullptr);

    const QString failing[] = {
        QStringLiteral("http://127.0.0.1:%1/page").arg(closedPort()),
        url(QStringLiteral("/missing")),
        url(QStringLiteral("/huge")),
        url(QStringLiteral("/endless")),
        url(QStringLiteral("/bomb")),
        QStringLiteral("file:///no/such/folder/1.html"),
        QStringLiteral("ftp://127.0.0.1/x"),
        QString(),
    };
    for (const QString& address : failing) {
        complete.clear();
        load(address);
        EXPECT_EQ(browser.Document(), nullptr) << address.toStdString();
        EXPECT_FALSE(browser.lastError().isEmpty()) << address.toStdString();
        EXPECT_FALSE(browser.Busy());
    }
}

TEST_F(BrowserTest, OddBodiesStillComplete)
{
    load(url(QStringLiteral("/packed")));
    ASSERT_NE(browser.Document(), nullptr);
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("压缩的页面"));
    complete.clear();
    load(url(QStringLiteral("/binary")));
    ASSERT_NE(browser.Document(), nullptr);
    EXPECT_TRUE(browser.Document()->bodyText.isEmpty());
    complete.clear();
    load(url(QStringLiteral("/garbage")));
    ASSERT_NE(browser.Document(), nullptr);
    // Text after the broken cell is moved in front of the table, as parsers do with stray table content.
    EXPECT_TRUE(browser.Document()->bodyText.startsWith(QStringLiteral("<<<>>")));
    ASSERT_EQ(browser.Document()->links.size(), 1u);
    EXPECT_EQ(browser.Document()->links[0].innertext, QStringLiteral("z"));
}

TEST_F(BrowserTest, LargePageReportsProgressUpToItsLength)
{
    load(url(QStringLiteral("/big")));
    ASSERT_NE(browser.Document(), nullptr);
    EXPECT_EQ(browser.Document()->links.size(), 20000u);
    EXPECT_TRUE(browser.Document()->bodyText.endsWith(QStringLiteral("song 19999\t1.00Mmp3")));
    ASSERT_GE(progress.count(), 1);
    int previous = 0;
    for (const auto& event : progress) {
        EXPECT_GE(event.at(0).toInt(), previous);
        EXPECT_LE(event.at(0).toInt(), event.at(1).toInt());
        previous = event.at(0).toInt();
    }
    EXPECT_GT(previous, 3 * 1000 * 1000);
    EXPECT_EQ(progress.last().at(0).toInt(), progress.last().at(1).toInt());
}

TEST_F(BrowserTest, RedirectIsFollowedAndLinksResolveAgainstTheTarget)
{
    load(url(QStringLiteral("/moved")));
    ASSERT_NE(browser.Document(), nullptr);
    ASSERT_EQ(browser.Document()->links.size(), 1u);
    EXPECT_EQ(browser.Document()->links[0].href, url(QStringLiteral("/dir/rel")));
}

TEST_F(BrowserTest, LocalFileWithSpacesAndChineseInItsPathLoads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("聆澜 程序")));
    const QString path = dir.path() + QStringLiteral("/聆澜 程序/card.html");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const std::string bytes =
        toGbk(QStringLiteral("<HTML>\r\n<body>\r\n<h2>标题</h2>\r\n<br>内容\r\n</body>\r\n</html>\r\n"));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    f.close();

    load(QStringLiteral("file:///") + path);
    ASSERT_NE(browser.Document(), nullptr) << browser.lastError().toStdString();
    EXPECT_EQ(browser.Document()->bodyText, QStringLiteral("标题\n\n内容"));
    ASSERT_EQ(progress.count(), 1); // a file arrives whole: one event, full
    EXPECT_EQ(progress.last().at(0).toInt(), static_cast<int>(bytes.size()));
    EXPECT_EQ(progress.last().at(1).toInt(), static_cast<int>(bytes.size()));
}

TEST_F(BrowserTest, DestroyingABrowserMidLoadIsQuiet)
{
    auto* doomed = new TWebBrowser;
    int completions = 0;
    QObject::connect(doomed, &TWebBrowser::OnDocumentComplete, [&] { ++completions; });
    doomed->Navigate(url(QStringLiteral("/slow")));
    doomed->Navigate(url(QStringLiteral("/big")));
    delete doomed;
    QTest::qWait(100);
    EXPECT_EQ(completions, 0);
}
