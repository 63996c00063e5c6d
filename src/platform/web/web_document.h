#pragma once

// What the program reads from a loaded page: its links, its visible text and the parsed tree. Plain values,
// free of widgets, so that the rules that read pages can be built and tested without a browser.

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace lanseek::platform {

struct WebLink
{
    QString href;      // absolute address as resolved against the page's address (or <base href>)
    QString innertext; // the link's text without markup
};

// One node of a parsed page, kept so that a visible browser can render it later.
struct HtmlNode
{
    enum class Type { Element, Text };
    Type type = Type::Element;
    QString tag;                                    // lower-case element name; empty for text nodes
    std::vector<std::pair<QString, QString>> attrs; // lower-case names, values as written
    QString text;                                   // text nodes only
    std::vector<std::unique_ptr<HtmlNode>> children;

    QString attr(const QString& name) const; // empty when absent; name compared case-insensitively
};

// A loaded page, as the program sees it after document complete.
struct WebDocument
{
    QString url;                    // the address that was loaded
    QString bodyText;               // the body's visible text with its line breaks ("\n"), innerText rules
    std::vector<WebLink> links;     // a and area elements with href, in document order
    std::unique_ptr<HtmlNode> root; // the parsed tree (the html element)
};

} // namespace lanseek::platform
