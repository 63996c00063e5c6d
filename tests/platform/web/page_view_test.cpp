#include "platform/text/gbk.h"
#include "platform/web/html_parse.h"
#include "platform/web/page_layout.h"
#include "platform/web/web_browser.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <stdexcept>

using namespace lanseek::platform;

namespace {

QFont baseFont()
{
    QFont font;
    font.setPixelSize(16);
    return font;
}

struct Laid
{
    std::unique_ptr<HtmlNode> root;
    PageLayout layout;
};

Laid lay(const QString& html, int width = 600)
{
    Laid out;
    out.root = parseHtml(html);
    out.layout = layoutPage(*out.root, width, baseFont());
    return out;
}

const TextRun* runWith(const PageLayout& layout, const QString& text)
{
    for (const auto& run : layout.runs) {
        if (run.text.contains(text)) {
            return &run;
        }
    }
    return nullptr;
}

bool near(QRgb pixel, QColor expected, int tolerance = 40)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance &&
           std::abs(qGreen(pixel) - expected.green()) <= tolerance &&
           std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

} // namespace

TEST(PageLayoutLines, BreaksParagraphsAndHeadingsStackDownwards)
{
    const Laid page = lay(QStringLiteral("<body>a<br>b<br><br>c<p>d</p><p>e</p><h1>H</h1>f"));
    const auto& lines = page.layout.lines;
    ASSERT_EQ(lines.size(), 8u); // a, b, the empty line, c, d, e, H, f
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_GE(lines[i].rect.top(), lines[i - 1].rect.bottom() - 0.01) << i;
    }
    // Paragraphs are separated by a margin; plain breaks are not.
    EXPECT_NEAR(lines[1].rect.top(), lines[0].rect.bottom(), 0.01);
    EXPECT_NEAR(lines[3].rect.top(), lines[2].rect.bottom(), 0.01);
    EXPECT_GE(lines[5].rect.top() - lines[4].rect.bottom(), 15.0);
    // The heading's line is taller than ordinary text, and its text is bold and larger.
    EXPECT_GT(lines[6].rect.height(), lines[0].rect.height() * 1.5);
    const TextRun* heading = runWith(page.layout, QStringLiteral("H"));
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->font.bold());
    EXPECT_EQ(heading->font.pixelSize(), 32);
}

TEST(PageLayoutLines, LongTextWrapsWithinTheWidth)
{
    QString text;
    for (int i = 0; i < 60; ++i) {
        text += QStringLiteral("歌词");
    }
    const Laid page = lay(QStringLiteral("<body>") + text + QStringLiteral(" word another words"), 300);
    ASSERT_GT(page.layout.lines.size(), 3u);
    for (const auto& line : page.layout.lines) {
        EXPECT_LE(line.rect.right(), 300 - 8 + 0.5);
        EXPECT_GE(line.rect.left(), 8 - 0.01);
    }
}

TEST(PageLayoutLines, CenterCentresEachLine)
{
    const Laid page = lay(QStringLiteral("<body>left<center>middle</center><div align=center>too</div>"
                                         "<h2>after</h2><center><h3>in</h3></center>"),
                          600);
    ASSERT_EQ(page.layout.lines.size(), 5u);
    EXPECT_NEAR(page.layout.lines[0].rect.left(), 8, 0.01);
    EXPECT_NEAR(page.layout.lines[1].rect.center().x(), 300, 1.0);
    EXPECT_NEAR(page.layout.lines[2].rect.center().x(), 300, 1.0);
    // Centring ends with its block; a block inside it is centred too.
    EXPECT_NEAR(page.layout.lines[3].rect.left(), 8, 0.01);
    EXPECT_NEAR(page.layout.lines[4].rect.center().x(), 300, 1.0);
}

TEST(PageLayoutStyles, InlineMarkupChangesTheFont)
{
    const Laid page =
        lay(QStringLiteral("<body>n <big>B</big> <strong>S</strong> <i>I</i> <u>U</u> "
                           "<font color=#FF0000 face='Serif' size=5>F</font> <font color=00ff00>G</font>"));
    const TextRun* plain = runWith(page.layout, QStringLiteral("n"));
    const TextRun* big = runWith(page.layout, QStringLiteral("B"));
    ASSERT_TRUE(plain && big);
    EXPECT_GT(big->font.pixelSize(), plain->font.pixelSize());
    EXPECT_TRUE(runWith(page.layout, QStringLiteral("S"))->font.bold());
    EXPECT_TRUE(runWith(page.layout, QStringLiteral("I"))->font.italic());
    EXPECT_TRUE(runWith(page.layout, QStringLiteral("U"))->font.underline());
    const TextRun* font = runWith(page.layout, QStringLiteral("F"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->color, QColor(255, 0, 0));
    EXPECT_EQ(font->font.families().value(0), QStringLiteral("Serif"));
    EXPECT_EQ(font->font.pixelSize(), 24);
    EXPECT_EQ(runWith(page.layout, QStringLiteral("G"))->color, QColor(0, 255, 0));
    // All of it stands on one line, on one baseline.
    EXPECT_EQ(page.layout.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(plain->baseline, font->baseline);
}

TEST(PageLayoutObjects, ObjectsTakeTheirWidthAndHeightInTheFlow)
{
    const Laid page = lay(QStringLiteral(
        "<HTML>\r\n<body background=\"file:///pic/0103.jpg\"> \r\n\r\n<h2>标题</h2>\r\n"
        "<OBJECT ID=RAOCX CLASSID=\"clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA\" HEIGHT=\"50\" "
        "WIDTH=\"300\">\r\n"
        "<param name=\"SRC\" "
        "value=\"http://m/a.rm\">\r\n</OBJECT>\r\n<br>\r\n<br>内容\r\n</body>\r\n</html>\r\n"));
    ASSERT_EQ(page.layout.objects.size(), 1u);
    const ObjectBox& box = page.layout.objects[0];
    EXPECT_EQ(box.rect.size(), QSize(300, 50));
    EXPECT_EQ(box.node->attr(QStringLiteral("classid")),
              QStringLiteral("clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA"));
    const TextRun* title = runWith(page.layout, QStringLiteral("标题"));
    const TextRun* text = runWith(page.layout, QStringLiteral("内容"));
    ASSERT_TRUE(title && text);
    EXPECT_GE(box.rect.top(), title->rect.bottom());
    EXPECT_GE(text->rect.top(), box.rect.bottom());
    EXPECT_EQ(page.layout.background, QStringLiteral("file:///pic/0103.jpg"));

    // A missing or unreadable size gets the default; a hostile one is clamped.
    const Laid odd =
        lay(QStringLiteral("<body><object></object><object width=50% height=99999999></object>"), 408);
    ASSERT_EQ(odd.layout.objects.size(), 2u);
    EXPECT_EQ(odd.layout.objects[0].rect.size(), QSize(300, 150));
    EXPECT_EQ(odd.layout.objects[1].rect.width(), 196);
    EXPECT_LE(odd.layout.objects[1].rect.height(), 4096);
}

TEST(PageLayoutMarquee, ScrollsAcrossItsBandAndStartsOver)
{
    const Laid page = lay(QStringLiteral("<body><br><marquee>跑马灯 text</marquee>after"), 400);
    ASSERT_EQ(page.layout.marquees.size(), 1u);
    const MarqueeBox& m = page.layout.marquees[0];
    EXPECT_NEAR(m.rect.width(), 400 - 16, 0.01);
    EXPECT_GT(m.contentWidth, 20);
    ASSERT_FALSE(m.runs.empty());
    // It enters at the right edge and moves left by its step every delay.
    EXPECT_DOUBLE_EQ(marqueePosition(m, 0), m.rect.width());
    EXPECT_DOUBLE_EQ(marqueePosition(m, 85 * 10), m.rect.width() - 60);
    EXPECT_LT(marqueePosition(m, 85 * 10), marqueePosition(m, 85 * 5));
    // After crossing the band and leaving it, it starts over.
    const qreal cycleSteps = std::ceil((m.rect.width() + m.contentWidth) / 6);
    EXPECT_GT(marqueePosition(m, static_cast<qint64>(85 * (cycleSteps + 1))), m.rect.width() - 20);
    // The text after the marquee is below its band.
    const TextRun* after = runWith(page.layout, QStringLiteral("after"));
    ASSERT_NE(after, nullptr);
    EXPECT_GE(after->rect.top(), m.rect.bottom());

    const Laid right =
        lay(QStringLiteral("<marquee direction=right scrollamount=10 scrolldelay=1>x</marquee>"));
    const MarqueeBox& r = right.layout.marquees.at(0);
    EXPECT_EQ(r.delayMs, 40); // held back from running the UI thread flat out
    EXPECT_DOUBLE_EQ(marqueePosition(r, 0), -r.contentWidth);
    EXPECT_DOUBLE_EQ(marqueePosition(r, 80), -r.contentWidth + 20);
}

TEST(PageColors, WrittenFormsAreRead)
{
    EXPECT_EQ(pageColor(QStringLiteral("#FF0000")), QColor(255, 0, 0));
    EXPECT_EQ(pageColor(QStringLiteral("c0dcc0")), QColor(0xC0, 0xDC, 0xC0));
    EXPECT_EQ(pageColor(QStringLiteral(" red ")), QColor(255, 0, 0));
    EXPECT_FALSE(pageColor(QStringLiteral("20000000")).isValid());
    EXPECT_FALSE(pageColor(QStringLiteral("")).isValid());
}

namespace {

class PageViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // A 10 x 10 picture: blue left half, yellow right half.
        QImage tile(10, 10, QImage::Format_RGB32);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                tile.setPixelColor(x, y, x < 5 ? QColor(0, 0, 255) : QColor(255, 255, 0));
            }
        }
        picture = dir.path() + QStringLiteral("/图 片.png");
        ASSERT_TRUE(tile.save(picture));
        browser.resize(600, 400);
    }

    QString writePage(const QString& name, const QString& html)
    {
        const QString path = dir.path() + QLatin1Char('/') + name;
        writeGbkLines(path.toStdString(), {html});
        return QStringLiteral("file:///") + path;
    }

    void load(const QString& address)
    {
        QSignalSpy complete(&browser, &TWebBrowser::OnDocumentComplete);
        browser.Navigate(address);
        ASSERT_TRUE(complete.wait(10000));
    }

    QString cardPage() const
    {
        return QStringLiteral("<HTML>\r\n<body background=\"file:///") + picture +
               QStringLiteral("\"> \r\n<h2>标题</h2>\r\n<OBJECT ID=\"WMPlay\" WIDTH=300 HEIGHT=50\r\n"
                              "CLASSID=\"CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95\"\r\n"
                              "TYPE=\"application/x-oleobject\">\r\n<PARAM NAME=\"fileName\" "
                              "VALUE=\"http://m/a.mp3\">\r\n"
                              "</OBJECT>\r\n<br>\r\n<font "
                              "color=#FF0000><big>红色的字红色的字</big></font>\r\n</body>\r\n</html>");
    }

    QTemporaryDir dir;
    QString picture;
    TWebBrowser browser;
};

} // namespace

TEST_F(PageViewTest, HostsTheFactoryWidgetAtTheObjectsPlaceAndSize)
{
    QStringList seen;
    browser.setObjectFactory([&](const HtmlNode& object, QWidget* parent) -> QWidget* {
        seen << object.attr(QStringLiteral("CLASSID"));
        for (const auto& child : object.children) {
            if (child->tag == QLatin1String("param")) {
                seen << child->attr(QStringLiteral("value"));
            }
        }
        return new QLabel(QStringLiteral("player"), parent);
    });
    browser.show();
    load(writePage(QStringLiteral("card.html"), cardPage()));
    ASSERT_NE(browser.pageLayout(), nullptr);
    EXPECT_EQ(seen, QStringList({QStringLiteral("CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95"),
                                 QStringLiteral("http://m/a.mp3")}));
    const auto hosted = browser.hostedObjects();
    ASSERT_EQ(hosted.size(), 1u);
    ASSERT_NE(qobject_cast<QLabel*>(hosted[0]), nullptr);
    EXPECT_EQ(hosted[0]->parentWidget(), &browser);
    EXPECT_TRUE(hosted[0]->isVisible());
    EXPECT_EQ(hosted[0]->geometry(), browser.pageLayout()->objects.at(0).rect);
    EXPECT_EQ(hosted[0]->size(), QSize(300, 50));

    // Another page replaces the hosted control.
    QPointer<QWidget> old = hosted[0];
    load(writePage(QStringLiteral("plain.html"), QStringLiteral("<p>no objects")));
    EXPECT_TRUE(old.isNull());
    EXPECT_TRUE(browser.hostedObjects().empty());
}

TEST_F(PageViewTest, AFailingFactoryStillLetsTheCompleteEventThrough)
{
    browser.setObjectFactory(
        [](const HtmlNode&, QWidget*) -> QWidget* { throw std::runtime_error("no player"); });
    browser.show();
    QSignalSpy complete(&browser, &TWebBrowser::OnDocumentComplete);
    bool thrown = false;
    // The error surfaces where queued events are delivered; catch it there, as the program's handler does.
    try {
        browser.Navigate(writePage(QStringLiteral("card.html"), cardPage()));
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 10000);
    } catch (const std::runtime_error& e) {
        thrown = std::string(e.what()) == "no player";
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 10000);
    }
    EXPECT_TRUE(thrown);
    EXPECT_NE(browser.Document(), nullptr);
}

TEST_F(PageViewTest, WithoutAFactoryAPlaceholderBoxStandsThere)
{
    browser.setObjectFactory([](const HtmlNode&, QWidget*) -> QWidget* { return nullptr; });
    browser.show();
    load(writePage(QStringLiteral("card.html"), cardPage()));
    const auto hosted = browser.hostedObjects();
    ASSERT_EQ(hosted.size(), 1u);
    EXPECT_EQ(hosted[0]->size(), QSize(300, 50));
    EXPECT_TRUE(hosted[0]->isVisible());
}

TEST_F(PageViewTest, PaintsTiledBackgroundAndColouredText)
{
    browser.show();
    load(writePage(QStringLiteral("card.html"), cardPage()));
    const PageLayout* layout = browser.pageLayout();
    ASSERT_NE(layout, nullptr);
    const QImage image = browser.grab().toImage();
    // The picture repeats across and down the whole view.
    for (const QPoint& origin : {QPoint(0, 0), QPoint(10, 0), QPoint(590, 390), QPoint(250, 380)}) {
        EXPECT_TRUE(near(image.pixel(origin + QPoint(2, 2)), QColor(0, 0, 255), 5))
            << origin.x() << "," << origin.y();
        EXPECT_TRUE(near(image.pixel(origin + QPoint(7, 2)), QColor(255, 255, 0), 5))
            << origin.x() << "," << origin.y();
    }
    // The red text has red pixels where its run is.
    const TextRun* red = runWith(*layout, QStringLiteral("红色"));
    ASSERT_NE(red, nullptr);
    int redPixels = 0;
    const QRect area = red->rect.toAlignedRect().intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            redPixels += near(image.pixel(x, y), QColor(255, 0, 0), 60) ? 1 : 0;
        }
    }
    EXPECT_GT(redPixels, 20);
}

TEST_F(PageViewTest, MarqueeTextMoves)
{
    browser.show();
    load(writePage(
        QStringLiteral("m.html"),
        QStringLiteral(
            "<body><marquee scrollamount=20 scrolldelay=40><font color=red>████</font></marquee>")));
    const PageLayout* layout = browser.pageLayout();
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->marquees.size(), 1u);
    const QRect band = layout->marquees[0].rect.toAlignedRect();
    auto redColumns = [&] {
        const QImage image = browser.grab().toImage();
        std::vector<int> columns;
        for (int x = band.left(); x <= band.right(); ++x) {
            for (int y = band.top(); y <= band.bottom(); ++y) {
                if (near(image.pixel(x, y), QColor(255, 0, 0), 60)) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns;
    };
    QTest::qWait(300);
    const auto first = redColumns();
    QTest::qWait(300);
    const auto second = redColumns();
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_LT(second.front(), first.front());
}

TEST_F(PageViewTest, ResizingLaysThePageOutAgainAndMovesHostedControls)
{
    browser.show();
    load(writePage(QStringLiteral("c.html"),
                   QStringLiteral("<body><center><object width=100 height=30></object>")));
    ASSERT_EQ(browser.hostedObjects().size(), 1u);
    QWidget* hosted = browser.hostedObjects()[0];
    EXPECT_EQ(hosted->x(), 250); // (600 - 100) / 2
    browser.resize(400, 300);
    EXPECT_EQ(browser.hostedObjects().at(0), hosted); // the same control, moved
    EXPECT_EQ(hosted->x(), 150);
    EXPECT_EQ(hosted->size(), QSize(100, 30));
}

TEST_F(PageViewTest, HiddenBrowsersLayOutNothingUntilShown)
{
    int made = 0;
    browser.setObjectFactory([&](const HtmlNode&, QWidget*) -> QWidget* {
        ++made;
        return nullptr;
    });
    load(writePage(QStringLiteral("card.html"), cardPage()));
    EXPECT_EQ(browser.pageLayout(), nullptr);
    EXPECT_EQ(made, 0);
    browser.show();
    EXPECT_NE(browser.pageLayout(), nullptr);
    EXPECT_EQ(made, 1);
}

TEST_F(PageViewTest, TallPagesScroll)
{
    QString html = QStringLiteral("<body>");
    for (int i = 0; i < 100; ++i) {
        html += QStringLiteral("line %1<br>").arg(i);
    }
    html += QStringLiteral("<object width=100 height=40></object>");
    browser.show();
    load(writePage(QStringLiteral("tall.html"), html));
    const PageLayout* layout = browser.pageLayout();
    ASSERT_NE(layout, nullptr);
    ASSERT_GT(layout->size.height(), browser.height());
    const QRect objectRect = layout->objects.at(0).rect;
    browser.setScrollPosition(layout->size.height());
    const int scrolled = browser.scrollPosition();
    EXPECT_EQ(scrolled, layout->size.height() - browser.height());
    EXPECT_EQ(browser.hostedObjects().at(0)->geometry(), objectRect.translated(0, -scrolled));
    EXPECT_LE(browser.hostedObjects().at(0)->geometry().bottom(), browser.height());
}

TEST_F(PageViewTest, SaveAsHandsTheCurrentDocumentToTheHandler)
{
    std::vector<QString> saved;
    EXPECT_FALSE(browser.ExecWB(TWebBrowser::kSaveAs, 0)); // no handler, no document
    browser.setSaveAsHandler([&](const WebDocument& document) { saved.push_back(document.url); });
    EXPECT_FALSE(browser.ExecWB(TWebBrowser::kSaveAs, 0)); // no document yet
    EXPECT_TRUE(saved.empty());
    const QString address = writePage(QStringLiteral("card.html"), cardPage());
    load(address);
    EXPECT_FALSE(browser.ExecWB(1, 0)); // not a command the browser knows
    EXPECT_TRUE(browser.ExecWB(TWebBrowser::kSaveAs, 0));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], address);
    // After a failed load there is no document to save.
    load(QStringLiteral("file:///no/such/card.html"));
    EXPECT_FALSE(browser.ExecWB(TWebBrowser::kSaveAs, 0));
    EXPECT_EQ(saved.size(), 1u);
}
