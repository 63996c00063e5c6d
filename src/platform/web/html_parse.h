#pragma once

// From the bytes of a loaded page to the parsed document the program reads: charset, parse tree, body text
// and links.

#include "platform/web/web_document.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>

namespace lanseek::platform {

// What a response body is, judged by the media type of its Content-Type header. A body without a header
// (a local file, a server that does not say) is taken as HTML.
enum class PageKind { Html, PlainText, Other };
PageKind pageKind(std::string_view contentType);

// The charset a page is decoded with: a byte order mark first, then the charset of the Content-Type header,
// then a <meta charset> or <meta http-equiv="Content-Type"> declaration near the top of the page, and GBK
// when none of them names a known charset.
std::string pageCharset(std::string_view contentType, std::string_view body);

// Parses HTML text into a tree rooted at the html element.
std::unique_ptr<HtmlNode> parseHtml(const QString& html);

// Builds the document of a loaded page: decodes the body, parses it (plain text becomes preformatted text,
// other media types an empty page), and reads the body text and the links. Links resolve against
// baseAddress, or the page's own <base href>.
std::unique_ptr<WebDocument> buildDocument(std::string_view body, std::string_view contentType,
                                           const QString& url, const QString& baseAddress);

} // namespace lanseek::platform
