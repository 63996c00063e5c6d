#include "platform/web/html_parse.h"

#include "platform/text/gbk.h"
#include "platform/web/address.h"
#include "platform/web/inner_text.h"
#include "platform/web/nesting_limit.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace lanseek::platform {

namespace {

// Below this depth the tree is kept as parsed; deeper elements are attached to the ancestor at this depth,
// so that recursive walks over the tree stay within the stack. limitNesting keeps real input far above it.
constexpr int kMaxTreeDepth = 1024;
constexpr int kMaxMarkupDepth = 512;
// The first bytes of a page are searched for a charset declaration.
constexpr size_t kPrescanBytes = 4096;

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The first position at or after i that is not white space (the end when there is none).
size_t skipSpaces(std::string_view s, size_t i)
{
    while (i < s.size() && isSpace(s[i])) {
        ++i;
    }
    return i;
}

// The charset parameter of a Content-Type value or of a meta content attribute, or empty.
std::string charsetParameter(std::string_view value)
{
    const std::string l = lower(value);
    size_t at = l.find("charset");
    while (at != std::string::npos) {
        size_t i = skipSpaces(l, at + 7);
        if (i < l.size() && l[i] == '=') {
            ++i;
            i = skipSpaces(l, i);
            if (i < l.size() && (l[i] == '"' || l[i] == '\'')) {
                const char quote = l[i++];
                const size_t end = l.find(quote, i);
                return end == std::string::npos ? std::string() : l.substr(i, end - i);
            }
            size_t end = i;
            while (end < l.size() && !isSpace(l[end]) && l[end] != ';' && l[end] != ',') {
                ++end;
            }
            return l.substr(i, end - i);
        }
        at = l.find("charset", at + 7);
    }
    return {};
}

struct Attribute
{
    std::string name;
    std::string value;
};

// Reads one attribute of a tag at position i (the HTML standard's "get an attribute" of the prescan, in
// simplified form). Returns false at the end of the tag.
bool nextAttribute(std::string_view s, size_t& i, Attribute& attr)
{
    while (i < s.size() && (isSpace(s[i]) || s[i] == '/')) {
        ++i;
    }
    if (i >= s.size() || s[i] == '>') {
        return false;
    }
    attr = {};
    while (i < s.size() && !isSpace(s[i]) && s[i] != '=' && s[i] != '>' && s[i] != '/') {
        attr.name += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        ++i;
    }
    i = skipSpaces(s, i);
    if (i >= s.size() || s[i] != '=') {
        return true;
    }
    ++i;
    i = skipSpaces(s, i);
    if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
        const char quote = s[i++];
        const size_t end = s.find(quote, i);
        const size_t stop = end == std::string_view::npos ? s.size() : end;
        attr.value = std::string(s.substr(i, stop - i));
        i = stop == s.size() ? stop : stop + 1;
    } else {
        while (i < s.size() && !isSpace(s[i]) && s[i] != '>') {
            attr.value += s[i++];
        }
    }
    return true;
}

std::string metaCharset(std::string_view body)
{
    const std::string_view head = body.substr(0, std::min(body.size(), kPrescanBytes));
    size_t i = 0;
    while (i < head.size()) {
        if (head.compare(i, 4, "<!--") == 0) {
            const size_t end = head.find("-->", i + 4);
            if (end == std::string_view::npos) {
                return {};
            }
            i = end + 3;
            continue;
        }
        const bool meta = head[i] == '<' && i + 5 < head.size() && lower(head.substr(i + 1, 4)) == "meta" &&
                          (isSpace(head[i + 5]) || head[i + 5] == '/');
        if (!meta) {
            ++i;
            continue;
        }
        i += 5;
        Attribute attr;
        std::string charset;
        std::string content;
        bool httpEquiv = false;
        while (nextAttribute(head, i, attr)) {
            if (attr.name == "charset" && charset.empty()) {
                charset = lower(attr.value);
            } else if (attr.name == "http-equiv" && lower(attr.value) == "content-type") {
                httpEquiv = true;
            } else if (attr.name == "content" && content.empty()) {
                content = attr.value;
            }
        }
        if (charset.empty() && httpEquiv) {
            charset = charsetParameter(content);
        }
        if (!charset.empty() && isKnownCharset(charset)) {
            // A page cannot declare itself UTF-16 in ASCII-compatible bytes; browsers read it as UTF-8.
            if (charset.rfind("utf-16", 0) == 0) {
                return "utf-8";
            }
            return charset;
        }
    }
    return {};
}

std::string_view stripBom(std::string_view body)
{
    if (body.size() >= 3 && std::memcmp(body.data(), "\xEF\xBB\xBF", 3) == 0) {
        return body.substr(3);
    }
    if (body.size() >= 2 &&
        (std::memcmp(body.data(), "\xFE\xFF", 2) == 0 || std::memcmp(body.data(), "\xFF\xFE", 2) == 0)) {
        return body.substr(2);
    }
    return body;
}

QString tagName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN) {
        return QString::fromLatin1(gumbo_normalized_tagname(element.tag));
    }
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    return QString::fromUtf8(piece.data, static_cast<qsizetype>(piece.length)).toLower();
}

std::unique_ptr<HtmlNode> makeElement(const GumboElement& element)
{
    auto node = std::make_unique<HtmlNode>();
    node->type = HtmlNode::Type::Element;
    node->tag = tagName(element);
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto* a = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        node->attrs.emplace_back(QString::fromUtf8(a->name).toLower(), QString::fromUtf8(a->value));
    }
    return node;
}

struct GumboOutputDeleter
{
    void operator()(GumboOutput* output) const { gumbo_destroy_output(&kGumboDefaultOptions, output); }
};

// Converts gumbo's tree without recursion: pages can nest deeper than the stack would like.
std::unique_ptr<HtmlNode> convert(const GumboNode* html)
{
    auto root = makeElement(html->v.element);
    struct Pending
    {
        const GumboNode* node;
        HtmlNode* parent;
        int depth;
    };
    std::vector<Pending> stack;
    auto pushChildren = [&](const GumboNode* node, HtmlNode* parent, int depth) {
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i-- > 0;) {
            stack.push_back({static_cast<const GumboNode*>(children.data[i]), parent, depth});
        }
    };
    pushChildren(html, root.get(), 1);
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        switch (p.node->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            auto element = makeElement(p.node->v.element);
            HtmlNode* raw = element.get();
            p.parent->children.push_back(std::move(element));
            if (p.depth < kMaxTreeDepth) {
                pushChildren(p.node, raw, p.depth + 1);
            } else {
                pushChildren(p.node, p.parent, p.depth);
            }
            break;
        }
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA: {
            auto text = std::make_unique<HtmlNode>();
            text->type = HtmlNode::Type::Text;
            text->text = QString::fromUtf8(p.node->v.text.text);
            p.parent->children.push_back(std::move(text));
            break;
        }
        default:
            break; // comments and the document node carry nothing the program reads
        }
    }
    return root;
}

std::unique_ptr<HtmlNode> element(const QString& tag)
{
    auto node = std::make_unique<HtmlNode>();
    node->tag = tag;
    return node;
}

std::unique_ptr<HtmlNode> emptyPage()
{
    auto html = element(QStringLiteral("html"));
    html->children.push_back(element(QStringLiteral("head")));
    html->children.push_back(element(QStringLiteral("body")));
    return html;
}

// A plain text body is shown the way browsers show it: preformatted text in an otherwise empty page.
std::unique_ptr<HtmlNode> plainTextPage(const QString& text)
{
    auto html = emptyPage();
    auto pre = element(QStringLiteral("pre"));
    auto node = std::make_unique<HtmlNode>();
    node->type = HtmlNode::Type::Text;
    node->text = text;
    pre->children.push_back(std::move(node));
    html->children.back()->children.push_back(std::move(pre));
    return html;
}

} // namespace

PageKind pageKind(std::string_view contentType)
{
    std::string type = lower(contentType.substr(0, contentType.find(';')));
    type.erase(std::remove_if(type.begin(), type.end(), [](char c) { return isSpace(c); }), type.end());
    if (type.empty() || type == "text/html" || type == "application/xhtml+xml" || type == "application/xml" ||
        type == "text/xml") {
        return PageKind::Html;
    }
    if (type.rfind("text/", 0) == 0) {
        return PageKind::PlainText;
    }
    return PageKind::Other;
}

std::string pageCharset(std::string_view contentType, std::string_view body)
{
    if (body.size() >= 3 && std::memcmp(body.data(), "\xEF\xBB\xBF", 3) == 0) {
        return "utf-8";
    }
    if (body.size() >= 2 && std::memcmp(body.data(), "\xFE\xFF", 2) == 0) {
        return "utf-16be";
    }
    if (body.size() >= 2 && std::memcmp(body.data(), "\xFF\xFE", 2) == 0) {
        return "utf-16le";
    }
    const std::string declared = charsetParameter(contentType);
    if (!declared.empty() && isKnownCharset(declared)) {
        return declared;
    }
    const std::string meta = metaCharset(body);
    if (!meta.empty()) {
        return meta;
    }
    return "gbk";
}

std::unique_ptr<HtmlNode> parseHtml(const QString& html)
{
    const QByteArray utf8 = html.toUtf8();
    const std::string limited =
        limitNesting(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), kMaxMarkupDepth);
    GumboOptions options = kGumboDefaultOptions;
    // Parse errors are not reported anywhere; keeping few of them saves memory on garbage input.
    options.max_errors = 16;
    std::unique_ptr<GumboOutput, GumboOutputDeleter> output(
        gumbo_parse_with_options(&options, limited.data(), limited.size()));
    if (!output || !output->root || output->root->type != GUMBO_NODE_ELEMENT) {
        return emptyPage();
    }
    return convert(output->root);
}

std::unique_ptr<WebDocument> buildDocument(std::string_view body, std::string_view contentType,
                                           const QString& url, const QString& baseAddress)
{
    auto doc = std::make_unique<WebDocument>();
    doc->url = url;
    switch (pageKind(contentType)) {
    case PageKind::Html:
        doc->root = parseHtml(decode(stripBom(body), pageCharset(contentType, body)));
        break;
    case PageKind::PlainText:
        doc->root = plainTextPage(decode(stripBom(body), pageCharset(contentType, body)));
        break;
    case PageKind::Other:
        doc->root = emptyPage();
        break;
    }
    QString base = baseAddress;
    if (const HtmlNode* baseElement =
            findElement(*doc->root, QStringLiteral("base"), QStringLiteral("href"))) {
        base = resolveAddress(baseAddress, baseElement->attr(QStringLiteral("href")));
    }
    if (const HtmlNode* bodyElement = findElement(*doc->root, QStringLiteral("body"))) {
        doc->bodyText = innerText(*bodyElement);
    }
    doc->links = collectLinks(*doc->root, base);
    return doc;
}

} // namespace lanseek::platform
