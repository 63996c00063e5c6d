#pragma once

// A guard between untrusted markup and the tree builder. Building a tree costs time in proportion to the
// depth of open elements for every start tag, so a page that opens elements thousands deep without closing
// them takes minutes to parse. limitNesting follows the nesting roughly as the parser will (end tags close
// their element, a new cell closes the open one, a new list item the open item, a block closes an open
// paragraph, a link an open link) and drops the start tags that would open elements beyond maxDepth; their
// content stays. Real pages stay far below the limit and pass through unchanged.

#include <string>
#include <string_view>

namespace lanseek::platform {

std::string limitNesting(std::string_view html, int maxDepth);

} // namespace lanseek::platform
