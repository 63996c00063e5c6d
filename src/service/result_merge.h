#pragma once

// How the aggregator makes one result page of its peers' pages. Page N of the merged results is page N
// of every peer merged, so the follow-up pages a client asks for are the peers' own follow-up pages and
// no song moves from one merged page to another while the client reads them.

#include "service/pages.h"
#include "service/peer_page.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lanseek::service {

struct MergeInput
{
    std::vector<PeerResults> pages; // the pages that arrived, in the peers' stable order
    std::string wordBytes;
    std::string lm = "-1";
    std::uint64_t offset = 0;
};

// The songs of every page in one list, shortest names first (counted in the bytes a client compares,
// GBK) and otherwise in peer order, each download address once; the counts added up; as many pages as
// the peer with the most has.
ResultLines mergeResults(const MergeInput& input);

// Names from several chart pages, each once (the first spelling kept), in alphabetical order of bytes.
std::vector<std::string> mergeNames(const std::vector<std::vector<std::string>>& lists);

} // namespace lanseek::service
