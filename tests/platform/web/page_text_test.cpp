#include "platform/text/gbk.h"
#include "platform/web/html_parse.h"
#include "platform/web/inner_text.h"
#include "platform/web/nesting_limit.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lanseek::platform;

namespace {

// The body text of an HTML fragment placed in a page's body.
QString bodyText(const QString& html)
{
    const auto doc = buildDocument(html.toStdString(), "text/html; charset=utf-8",
                                   QStringLiteral("http://h/p"), QStringLiteral("http://h/p"));
    return doc->bodyText;
}

int depthOf(const HtmlNode& node)
{
    int deepest = 0;
    for (const auto& child : node.children) {
        deepest = std::max(deepest, depthOf(*child));
    }
    return deepest + 1;
}

} // namespace

TEST(BodyText, BlocksAndBreaksMakeLines)
{
    EXPECT_EQ(bodyText(QStringLiteral("<div>a</div><div>b</div>c<br>d")), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(bodyText(QStringLiteral("<h1>T</h1><center>c</center><ul><li>x<li>y</ul><form>f</form>")),
              QStringLiteral("T\nc\nx\ny\nf"));
    // Paragraphs leave an empty line; adjacent boundaries collapse into the largest one.
    EXPECT_EQ(bodyText(QStringLiteral("<p>a</p><p>b</p><div><div>c</div></div>d")),
              QStringLiteral("a\n\nb\n\nc\nd"));
    // Breaks at the start and the end of the body are not kept, but a <br> the page wrote is.
    EXPECT_EQ(bodyText(QStringLiteral("<div><p>a</p></div>")), QStringLiteral("a"));
    EXPECT_EQ(bodyText(QStringLiteral("<br>a<br><br>b")), QStringLiteral("\na\n\nb"));
    EXPECT_EQ(bodyText(QStringLiteral("a<br></p>")), QStringLiteral("a\n"));
    EXPECT_EQ(bodyText(QStringLiteral("")), QString());
}

TEST(BodyText, WhiteSpaceCollapsesAsLaidOut)
{
    EXPECT_EQ(bodyText(QStringLiteral("  a \n\t b  <b> c </b> d  ")), QStringLiteral("a b c d"));
    EXPECT_EQ(bodyText(QStringLiteral("a<b> </b> <i> b</i>")), QStringLiteral("a b"));
    EXPECT_EQ(bodyText(QStringLiteral("<div> a </div> <div> b </div>")), QStringLiteral("a\nb"));
    EXPECT_EQ(bodyText(QStringLiteral("a <br> b")), QStringLiteral("a\nb"));
    // A no-break space is text, not collapsible white space.
    EXPECT_EQ(bodyText(QStringLiteral("a&nbsp; &nbsp;b")), QStringLiteral("a\u00A0 \u00A0b"));
    EXPECT_EQ(bodyText(QStringLiteral("a &amp; &lt;b&gt;")), QStringLiteral("a & <b>"));
}

TEST(BodyText, PreformattedTextKeepsItsWhiteSpace)
{
    EXPECT_EQ(bodyText(QStringLiteral("x<pre>\n  a  b\n\tc </pre>y")), QStringLiteral("x\n  a  b\n\tc \ny"));
    EXPECT_EQ(bodyText(QStringLiteral("<span style='white-space:pre'>a  b</span>")), QStringLiteral("a  b"));
}

TEST(BodyText, TablesUseTabsBetweenCellsAndBreaksBetweenRows)
{
    EXPECT_EQ(
        bodyText(QStringLiteral("<table>\n<tr> <td> a </td>\n<td>b</td> </tr>\n<tr><th>c</th><td>d</td></tr>"
                                "</table>after")),
        QStringLiteral("a\tb\nc\td\nafter"));
    // Rows in several sections of one table; a nested table has its own last row, and its block boundaries
    // add to the row's own line break.
    EXPECT_EQ(bodyText(QStringLiteral("<table><thead><tr><td>h</td></tr></thead><tbody><tr><td>"
                                      "<table><tr><td>n1</td></tr><tr><td>n2</td></tr></table>"
                                      "</td><td>x</td></tr></tbody></table>")),
              QStringLiteral("h\n\nn1\nn2\n\tx"));
    // A hidden cell is no cell.
    EXPECT_EQ(bodyText(QStringLiteral("<table><tr><td>a</td><td hidden>b</td></tr></table>")),
              QStringLiteral("a"));
}

TEST(BodyText, HiddenAndNonRenderedContentGivesNoText)
{
    EXPECT_EQ(bodyText(QStringLiteral("a<script>var s='x';</script><style>p{}</style><noscript>n</noscript>"
                                      "<template>t</template>b")),
              QStringLiteral("ab"));
    EXPECT_EQ(bodyText(QStringLiteral(
                  "<div hidden>h</div><span style=\"color:red; DISPLAY : none !important\">s</span>"
                  "<div style='display:none'>d</div>v")),
              QStringLiteral("v"));
    EXPECT_EQ(bodyText(QStringLiteral(
                  "<div style='visibility:hidden'>x<span style='visibility:visible'>y</span></div>")),
              QStringLiteral("y"));
    // Inline style can also make boxes out of inline elements and the other way round.
    EXPECT_EQ(
        bodyText(QStringLiteral("<span style='display:block'>a</span><div style='display:inline'>b</div>c")),
        QStringLiteral("a\nbc"));
    // The head's title is not body text.
    const auto doc = buildDocument("<title>T</title><body>b", "", QStringLiteral("http://h/"),
                                   QStringLiteral("http://h/"));
    EXPECT_EQ(doc->bodyText, QStringLiteral("b"));
}

TEST(PageLinks, EveryAnchorWithHrefInDocumentOrder)
{
    const QString html = QStringLiteral("<a name='top'>no href</a>"
                                        "<a href='/r?url=http://x/1.mp3'> 歌 <b>一</b> </a>"
                                        "<div hidden><a href='h.html'>隐<b>藏</b></a></div>"
                                        "<map><area href='area.html' alt='x'></map>"
                                        "<a href=''>self</a>"
                                        "<template><a href='t.html'>t</a></template>"
                                        "<a href='HTTP://Other/m?lm=-1&amp;ip=1.2.3.4&amp;cl=3'>next</a>");
    const auto doc = buildDocument(html.toStdString(), "text/html; charset=utf-8",
                                   QStringLiteral("http://h/m?word=x"), QStringLiteral("http://h/m?word=x"));
    ASSERT_EQ(doc->links.size(), 5u);
    EXPECT_EQ(doc->links[0].href, QStringLiteral("http://h/r?url=http://x/1.mp3"));
    EXPECT_EQ(doc->links[0].innertext, QStringLiteral("歌 一"));
    EXPECT_EQ(doc->links[1].href, QStringLiteral("http://h/h.html"));
    EXPECT_EQ(doc->links[1].innertext, QStringLiteral("隐藏"));
    EXPECT_EQ(doc->links[2].href, QStringLiteral("http://h/area.html"));
    EXPECT_EQ(doc->links[2].innertext, QString());
    EXPECT_EQ(doc->links[3].href, QStringLiteral("http://h/m?word=x"));
    EXPECT_EQ(doc->links[4].href, QStringLiteral("HTTP://Other/m?lm=-1&ip=1.2.3.4&cl=3"));
}

TEST(PageLinks, BaseHrefChangesWhatLinksResolveAgainst)
{
    const auto doc =
        buildDocument("<head><base target=_blank><base href='http://b/dir/'></head><a href='x'>x</a>", "",
                      QStringLiteral("http://h/p"), QStringLiteral("http://h/p"));
    ASSERT_EQ(doc->links.size(), 1u);
    EXPECT_EQ(doc->links[0].href, QStringLiteral("http://b/dir/x"));
}

TEST(PageCharset, DeclarationsInOrderOfPrecedence)
{
    EXPECT_EQ(pageCharset("text/html; charset=UTF-8", "<meta charset=gbk>"), "utf-8");
    EXPECT_EQ(pageCharset("text/html; charset=\"big5\"", ""), "big5");
    EXPECT_EQ(pageCharset("text/html", "<html><head><META charset='utf-8'>"), "utf-8");
    EXPECT_EQ(
        pageCharset("text/html", "<meta content=\"text/html; charset=utf-8\" http-equiv=\"Content-Type\">"),
        "utf-8");
    EXPECT_EQ(pageCharset("text/html; charset=bogus",
                          "<meta http-equiv=content-type content='text/html;charset=big5'>"),
              "big5");
    // A byte order mark beats every declaration.
    EXPECT_EQ(pageCharset("text/html; charset=gbk", "\xEF\xBB\xBF<p>"), "utf-8");
    // Nothing usable: GBK. A declaration inside a comment or far down the page does not count.
    EXPECT_EQ(pageCharset("", "<p>no declaration</p>"), "gbk");
    EXPECT_EQ(pageCharset("", "<!-- <meta charset=utf-8> --><p>"), "gbk");
    EXPECT_EQ(pageCharset("", std::string(5000, ' ') + "<meta charset=utf-8>"), "gbk");
    EXPECT_EQ(pageCharset("", "<meta charset=utf-16>"), "utf-8");
}

TEST(PageKinds, PlainTextIsPreformattedAndOtherTypesAreEmpty)
{
    const std::string gbk = toGbk(QStringLiteral("第一行\n  第二行 <b>"));
    const auto text =
        buildDocument(gbk, "text/plain", QStringLiteral("http://h/a.txt"), QStringLiteral("http://h/a.txt"));
    EXPECT_EQ(text->bodyText, QStringLiteral("第一行\n  第二行 <b>"));
    const auto image = buildDocument("\x89PNG\r\n<a href=x>y</a>", "image/png",
                                     QStringLiteral("http://h/a.png"), QStringLiteral("http://h/a.png"));
    EXPECT_EQ(image->bodyText, QString());
    EXPECT_TRUE(image->links.empty());
    ASSERT_NE(image->root, nullptr);
}

TEST(MalformedPages, GarbageAndUnclosedTagsStillParse)
{
    std::string garbage =
        "<html><body><div><table><tr><td>x<a href='/q'>link<p>para<td>y</b></i><<>><!-- open";
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    const auto doc = buildDocument(garbage, "", QStringLiteral("http://h/"), QStringLiteral("http://h/"));
    ASSERT_NE(doc->root, nullptr);
    EXPECT_TRUE(doc->bodyText.startsWith(QStringLiteral("xlink")));
    ASSERT_FALSE(doc->links.empty());
    EXPECT_EQ(doc->links[0].href, QStringLiteral("http://h/q"));
}

TEST(MalformedPages, DeepNestingIsBoundedAndFast)
{
    std::string deep;
    for (int i = 0; i < 200000; ++i) {
        deep += "<div><span>";
    }
    deep += "end";
    // Without the nesting limit this page takes minutes to parse; with it, well under a second.
    const auto doc = buildDocument(deep, "", QStringLiteral("http://h/"), QStringLiteral("http://h/"));
    EXPECT_LE(depthOf(*doc->root), 1100);
    EXPECT_TRUE(doc->bodyText.endsWith(QStringLiteral("end")));
}

TEST(MalformedPages, NestingLimitKeepsRealMarkup)
{
    // Under the limit nothing changes, raw text that looks like tags is not counted, and end tags close.
    const std::string page = "<div><script>'<div><div><div>'</script><p>x</div><div></div>";
    EXPECT_EQ(limitNesting(page, 2), page);
    EXPECT_EQ(limitNesting("<div><div><div>a</div></div></div>", 2), "<div><div>a</div></div></div>");
    EXPECT_EQ(limitNesting("<b title='>'><i>x", 1), "<b title='>'>x");
}

TEST(MalformedPages, SloppyButShallowMarkupIsNotMistakenForDeepNesting)
{
    // Tags the parser closes by itself: unclosed links, cells with unclosed fonts, list items, paragraphs.
    std::string links;
    std::string rows = "<table>";
    std::string items = "<ul>";
    std::string paragraphs;
    for (int i = 0; i < 1000; ++i) {
        links += "<a href='/r?url=" + std::to_string(i) + "'>song";
        rows += "<tr><td><font color=red>name<td><b>3.52Mmp3";
        items += "<li><font>item";
        paragraphs += "<p><i>text";
    }
    for (const std::string& page : {links, rows, items, paragraphs}) {
        EXPECT_EQ(limitNesting(page, 16), page) << page.substr(0, 60);
    }
}

TEST(MalformedPages, LinksSurviveTheNestingLimit)
{
    std::string deep;
    for (int i = 0; i < 2000; ++i) {
        deep += "<div><font>";
    }
    for (int i = 0; i < 300; ++i) {
        deep += "<a href='/r?url=" + std::to_string(i) + "'>s" + std::to_string(i);
    }
    const auto doc = buildDocument(deep, "", QStringLiteral("http://h/"), QStringLiteral("http://h/"));
    ASSERT_EQ(doc->links.size(), 300u);
    EXPECT_EQ(doc->links[299].href, QStringLiteral("http://h/r?url=299"));
    EXPECT_EQ(doc->links[299].innertext, QStringLiteral("s299"));
}
