#pragma once

// Reading the pages another service on the LAN sent us. The peer is untrusted: only what has the shape of
// our own pages is taken, and only addresses on the peer itself. A link that points anywhere else (another
// host, another port, a <base> that moves it, a scheme other than http) is left out, so a peer cannot
// place a third party's address in front of our user.

#include "service/pages.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanseek::service {

// What one peer's result page holds, its download addresses rooted at the peer's own base.
struct PeerResults
{
    std::vector<ResultLine> songs;
    std::size_t total = 0; // the count the peer announced, at least the songs read
    std::vector<std::string> albums;
    std::size_t dropped = 0; // result links left out: elsewhere, unnamed, or without a size and type
};

// peerBase is "http://host:port" as we reached the peer (an IPv6 host in brackets, with its zone when it
// is link-local). At most kResultsPerPage songs are taken from one page.
PeerResults readPeerResults(std::string_view body, std::string_view contentType, const std::string& peerBase);

enum class PeerChartKind {
    Singers, // links "/singer/NAME.html"
    Songs,   // general query links "/m?rn=&tn=baidump3&ct=...&word=NAME&lm=-1"
};

// The names (link texts, UTF-8) of a peer's chart page, in page order; links elsewhere are left out.
std::vector<std::string> readPeerChart(std::string_view body, std::string_view contentType,
                                       const std::string& peerBase, PeerChartKind kind);

// The size and type our pages write after a result link ("3.52Mmp3", " 40 Kwma", "2.10Mrm"), from the
// text after the link with its blanks trimmed ("40 Kwma"), padded back to its four-character size;
// nothing when the text is anything else.
std::optional<std::string> sizeAndTypeField(std::string_view trimmedText);

} // namespace lanseek::service
