#pragma once

// Addresses as the program writes them and as they travel: what goes on the wire for an address the program
// typed, how a page's link is resolved against the page, and which local file a "file:///" address names.

#include <QString>

#include <string>

namespace lanseek::platform {

// The form of an http address that goes into the request. The program hands addresses over unescaped, with
// Chinese words and spaces in them; here the path and query become GBK bytes, every byte at or above 0x80
// and every character a request line cannot carry (controls, space, '"', '<', '>', '\', '^', '`', '{', '|',
// '}', and a '%' that does not start an escape) is percent-encoded, and the fragment is dropped. Escapes
// already present and the reserved characters stay as they are.
std::string wireAddress(const QString& address);

// Resolves a link's href against the address of its page as a browser does (relative references, "//host",
// "?query", "#fragment", "." and ".." segments). An href that carries its own scheme is returned as written,
// apart from the surrounding whitespace that browsers ignore. Non-ASCII text is kept, not escaped.
QString resolveAddress(const QString& base, const QString& href);

// Whether the address uses the file scheme.
bool isFileAddress(const QString& address);

// The local path a "file:" address names. The program appends a native path to "file:///" unchanged, so
// the path is first taken literally; when no such file exists, the address is read as a URL instead
// (percent escapes decoded, query and fragment removed). Returns the literal reading when neither exists.
QString localPathOf(const QString& fileAddress);

} // namespace lanseek::platform
