#pragma once

// The visible text of a parsed page, following the HTML standard's innerText rules: block boxes and <br>
// break lines, paragraphs leave an empty line, table cells are separated by tabs and rows by line breaks,
// hidden elements give no text, and white space collapses as CSS "white-space: normal" lays it out, except
// in preformatted elements. Style sheets are not applied; inline style attributes are.

#include "platform/web/web_document.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace lanseek::platform {

// The innerText of an element.
QString innerText(const HtmlNode& element);

// The text of every text node below the node, as written.
QString textContent(const HtmlNode& node);

// Every a and area element with an href, in document order, with the href resolved against the base
// address and the element's innerText (its text content when it sits in a hidden part of the page).
std::vector<WebLink> collectLinks(const HtmlNode& root, const QString& baseAddress);

// The first element with the tag (and, when withAttribute is given, that attribute) in document order, the
// node itself included; nullptr when there is none.
const HtmlNode* findElement(const HtmlNode& root, const QString& tag, const QString& withAttribute = {});

// Whether an element is hidden by itself: the hidden attribute, display:none in its style attribute, or an
// element that browsers never render (head, script, style, template, ...).
bool isHiddenElement(const HtmlNode& element);

// The value of one property in a style attribute, lower-cased and without "!important"; empty when absent.
QString styleProperty(const QString& style, const QString& property);

} // namespace lanseek::platform
