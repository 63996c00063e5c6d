#include "platform/web/inner_text.h"

#include "platform/web/address.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

namespace lanseek::platform {

namespace {

bool tagIn(const QString& tag, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return tag == QLatin1String(n); });
}

// Elements browsers give no box, plus the replaced elements whose content is not page text (the page view
// shows a hosted control in place of an object, not its fallback content).
bool neverRendered(const QString& tag)
{
    return tagIn(tag, {"head",  "script",   "style",    "noscript", "template", "title",   "meta",
                       "link",  "base",     "datalist", "param",    "area",     "noembed", "noframes",
                       "rp",    "textarea", "select",   "iframe",   "object",   "embed",   "video",
                       "audio", "canvas",   "img",      "input"});
}

enum class Display { None, Inline, Block, Paragraph, Table, TableRow, TableCell };

struct NamedDisplay
{
    const char* name;
    Display display;
};

// The display a name stands for in a table of names, if the table has it.
template <std::size_t N>
std::optional<Display> displayNamed(const QString& name, const NamedDisplay (&table)[N])
{
    for (const NamedDisplay& entry : table) {
        if (name == QLatin1String(entry.name)) {
            return entry.display;
        }
    }
    return std::nullopt;
}

Display defaultDisplay(const QString& tag)
{
    static constexpr NamedDisplay kElements[] = {{"p", Display::Paragraph},
                                                 {"table", Display::Table},
                                                 {"tr", Display::TableRow},
                                                 {"td", Display::TableCell},
                                                 {"th", Display::TableCell}};
    if (const std::optional<Display> display = displayNamed(tag, kElements)) {
        return *display;
    }
    if (tagIn(tag,
              {"html",    "body",   "address", "article",   "aside",  "blockquote", "center",   "dd",
               "details", "dialog", "dir",     "div",       "dl",     "dt",         "fieldset", "figcaption",
               "figure",  "footer", "form",    "h1",        "h2",     "h3",         "h4",       "h5",
               "h6",      "header", "hgroup",  "hr",        "legend", "li",         "listing",  "main",
               "menu",    "nav",    "ol",      "plaintext", "pre",    "search",     "section",  "summary",
               "ul",      "xmp",    "caption", "optgroup",  "option", "frameset"})) {
        return Display::Block;
    }
    return Display::Inline;
}

Display displayOf(const HtmlNode& element)
{
    if (isHiddenElement(element)) {
        return Display::None;
    }
    const QString declared = styleProperty(element.attr(QStringLiteral("style")), QStringLiteral("display"));
    if (declared.isEmpty()) {
        return defaultDisplay(element.tag);
    }
    static constexpr NamedDisplay kDeclared[] = {{"none", Display::None},
                                                 {"table", Display::Table},
                                                 {"table-row", Display::TableRow},
                                                 {"table-cell", Display::TableCell}};
    if (const std::optional<Display> display = displayNamed(declared, kDeclared)) {
        return *display;
    }
    if (tagIn(declared, {"block", "list-item", "flex", "grid", "flow-root", "table-caption"})) {
        return element.tag == QLatin1String("p") ? Display::Paragraph : Display::Block;
    }
    return Display::Inline;
}

bool isCollapsible(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

void findLastRow(const HtmlNode& node, const HtmlNode*& last)
{
    for (const auto& child : node.children) {
        if (child->type != HtmlNode::Type::Element || child->tag == QLatin1String("table")) {
            continue;
        }
        if (displayOf(*child) == Display::TableRow) {
            last = child.get();
        }
        findLastRow(*child, last);
    }
}

// Gathers the rendered text. Line breaks the layout requires (block boundaries) are held back as a count and
// written only when more text follows, so that consecutive boundaries collapse into the largest of them and
// none appear at the start or the end; line breaks written by the page itself (<br>, rows) always appear.
class TextCollector
{
public:
    struct Context
    {
        bool invisible = false;
        bool preserve = false;
        const HtmlNode* lastRow = nullptr;
    };

    void walk(const HtmlNode& node, Context ctx)
    {
        if (node.type == HtmlNode::Type::Text) {
            if (!ctx.invisible) {
                ctx.preserve ? preserved(node.text) : collapsed(node.text);
            }
            return;
        }
        const Display display = displayOf(node);
        if (display == Display::None) {
            return;
        }
        const QString style = node.attr(QStringLiteral("style"));
        const QString visibility = styleProperty(style, QStringLiteral("visibility"));
        if (visibility == QLatin1String("hidden") || visibility == QLatin1String("collapse")) {
            ctx.invisible = true;
        } else if (visibility == QLatin1String("visible")) {
            ctx.invisible = false;
        }
        const QString whiteSpace = styleProperty(style, QStringLiteral("white-space"));
        if (!whiteSpace.isEmpty()) {
            ctx.preserve = whiteSpace == QLatin1String("pre") || whiteSpace == QLatin1String("pre-wrap") ||
                           whiteSpace == QLatin1String("break-spaces");
        } else if (tagIn(node.tag, {"pre", "listing", "xmp", "plaintext"})) {
            ctx.preserve = true;
        }
        if (display == Display::Table) {
            ctx.lastRow = nullptr;
            findLastRow(node, ctx.lastRow);
        }

        openBox(display);
        if (node.tag == QLatin1String("br") && !ctx.invisible) {
            literal(QStringLiteral("\n"));
        }
        // Cells are separated by tabs: every cell but the last of its row is followed by one.
        std::vector<bool> isCell(node.children.size(), false);
        size_t lastCell = 0;
        for (size_t i = 0; i < node.children.size(); ++i) {
            const HtmlNode& child = *node.children[i];
            if (child.type == HtmlNode::Type::Element && displayOf(child) == Display::TableCell) {
                isCell[i] = true;
                lastCell = i;
            }
        }
        for (size_t i = 0; i < node.children.size(); ++i) {
            walk(*node.children[i], ctx);
            if (isCell[i] && i < lastCell && !ctx.invisible) {
                literal(QStringLiteral("\t"));
            }
        }
        if (display == Display::TableRow && !ctx.invisible && ctx.lastRow && &node != ctx.lastRow) {
            literal(QStringLiteral("\n"));
        }
        closeBox(display);
    }

    QString result() const { return m_out; }

private:
    void openBox(Display display)
    {
        switch (display) {
        case Display::Block:
        case Display::Table:
            requireBreaks(1);
            break;
        case Display::Paragraph:
            requireBreaks(2);
            break;
        case Display::TableCell:
            newLine();
            break;
        default:
            break;
        }
    }

    void closeBox(Display display) { openBox(display); }

    void requireBreaks(int count)
    {
        m_pendingBreaks = std::max(m_pendingBreaks, count);
        newLine();
    }

    // A new line box begins: white space pending at the end of the last one is dropped, and white space at
    // the start of the next one will be.
    void newLine()
    {
        m_pendingSpace = false;
        m_lineStart = true;
    }

    void append(const QString& text)
    {
        if (text.isEmpty()) {
            return;
        }
        if (m_pendingBreaks > 0 && m_started) {
            m_out += QString(m_pendingBreaks, QLatin1Char('\n'));
        }
        m_pendingBreaks = 0;
        m_started = true;
        m_out += text;
    }

    void literal(const QString& text)
    {
        append(text);
        newLine();
    }

    void preserved(const QString& text)
    {
        if (text.isEmpty()) {
            return;
        }
        append(text);
        m_pendingSpace = false;
        m_lineStart = text.endsWith(QLatin1Char('\n'));
    }

    void collapsed(const QString& text)
    {
        QString run;
        for (QChar c : text) {
            if (isCollapsible(c)) {
                if (!m_lineStart) {
                    m_pendingSpace = true;
                }
                continue;
            }
            if (m_pendingSpace) {
                run += QLatin1Char(' ');
                m_pendingSpace = false;
            }
            run += c;
            m_lineStart = false;
        }
        append(run);
    }

    QString m_out;
    int m_pendingBreaks = 0;
    bool m_started = false;
    bool m_pendingSpace = false;
    bool m_lineStart = true;
};

void appendText(const HtmlNode& node, QString& out)
{
    if (node.type == HtmlNode::Type::Text) {
        out += node.text;
        return;
    }
    for (const auto& child : node.children) {
        appendText(*child, out);
    }
}

void gatherLinks(const HtmlNode& node, bool hidden, const QString& base, std::vector<WebLink>& links)
{
    if (node.type != HtmlNode::Type::Element || node.tag == QLatin1String("template")) {
        return; // template content is not part of the document
    }
    const bool inHidden = hidden || displayOf(node) == Display::None;
    if ((node.tag == QLatin1String("a") || node.tag == QLatin1String("area")) &&
        std::any_of(node.attrs.begin(), node.attrs.end(),
                    [](const auto& a) { return a.first == QLatin1String("href"); })) {
        links.push_back({resolveAddress(base, node.attr(QStringLiteral("href"))),
                         inHidden ? textContent(node) : innerText(node)});
    }
    for (const auto& child : node.children) {
        gatherLinks(*child, inHidden, base, links);
    }
}

} // namespace

QString styleProperty(const QString& style, const QString& property)
{
    QString value;
    if (style.isEmpty()) {
        return value;
    }
    for (const QString& declaration : style.split(QLatin1Char(';'))) {
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon < 0 || declaration.left(colon).trimmed().compare(property, Qt::CaseInsensitive) != 0) {
            continue;
        }
        value = declaration.mid(colon + 1).toLower();
        value.remove(QLatin1String("!important"));
        value = value.trimmed();
    }
    return value;
}

bool isHiddenElement(const HtmlNode& element)
{
    if (element.type != HtmlNode::Type::Element) {
        return false;
    }
    if (neverRendered(element.tag)) {
        return true;
    }
    if (std::any_of(element.attrs.begin(), element.attrs.end(),
                    [](const auto& a) { return a.first == QLatin1String("hidden"); })) {
        return true;
    }
    return styleProperty(element.attr(QStringLiteral("style")), QStringLiteral("display")) ==
           QLatin1String("none");
}

QString innerText(const HtmlNode& element)
{
    // An element that is not rendered has no layout to read; the standard falls back to its text content.
    if (isHiddenElement(element)) {
        return textContent(element);
    }
    TextCollector collector;
    collector.walk(element, {});
    return collector.result();
}

QString textContent(const HtmlNode& node)
{
    QString out;
    appendText(node, out);
    return out;
}

std::vector<WebLink> collectLinks(const HtmlNode& root, const QString& baseAddress)
{
    std::vector<WebLink> links;
    gatherLinks(root, false, baseAddress, links);
    return links;
}

const HtmlNode* findElement(const HtmlNode& root, const QString& tag, const QString& withAttribute)
{
    if (root.type != HtmlNode::Type::Element) {
        return nullptr;
    }
    if (root.tag == tag &&
        (withAttribute.isEmpty() || std::any_of(root.attrs.begin(), root.attrs.end(),
                                                [&](const auto& a) { return a.first == withAttribute; }))) {
        return &root;
    }
    for (const auto& child : root.children) {
        if (const HtmlNode* found = findElement(*child, tag, withAttribute)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace lanseek::platform
