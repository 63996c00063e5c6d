#pragma once

// Reading a chart, singer-list or album page into chart rows: rows that carry only a name (and a cut
// address), so that choosing one starts a search for that name. Works on GBK bytes like the harvest.

#include "search/harvest.h"

#include <string>
#include <vector>

namespace lanseek::search {

// The address prefixes that make a link a chart entry, for one configured service.
struct ChartLinkKinds
{
    std::string generalQuery; // scheme, host and "/m?rn=&tn=baidump3&ct="
    std::string albumQuery;   // scheme, host and "/m?tn=baidump3&ct=134217728&word=", with "&f=al" too
    std::string singer;       // scheme, host and "/singer/"
    std::size_t cut = 0;      // bytes cut from the front of an address: the redirect prefix's length
};

// base: the service's scheme and host; redirectPrefix: its redirect endpoint prefix; both in GBK bytes.
ChartLinkKinds chartLinkKinds(const std::string& base, const std::string& redirectPrefix);

struct ChartEntry
{
    int number = 0;   // the row's caption: its position in the list, counted from 1
    std::string name; // the link's text
    std::string address;
};

// Tests every link against the three kinds in order and yields one entry per test it passes, numbered on
// from rowsBefore + 1. Duplicates are kept: a chart lists what its page shows.
std::vector<ChartEntry> readChartLinks(const std::vector<PageLink>& links, const ChartLinkKinds& kinds,
                                       int rowsBefore);

} // namespace lanseek::search
