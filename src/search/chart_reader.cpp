#include "search/chart_reader.h"

namespace lanseek::search {
namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

ChartLinkKinds chartLinkKinds(const std::string& base, const std::string& redirectPrefix)
{
    ChartLinkKinds kinds;
    kinds.generalQuery = base + "/m?rn=&tn=baidump3&ct=";
    kinds.albumQuery = base + "/m?tn=baidump3&ct=134217728&word=";
    kinds.singer = base + "/singer/";
    kinds.cut = redirectPrefix.size();
    return kinds;
}

std::vector<ChartEntry> readChartLinks(const std::vector<PageLink>& links, const ChartLinkKinds& kinds,
                                       int rowsBefore)
{
    std::vector<ChartEntry> entries;
    int count = rowsBefore;
    for (const PageLink& link : links) {
        const bool passes[] = {
            contains(link.href, kinds.generalQuery),
            contains(link.href, kinds.albumQuery) && contains(link.href, "&f=al"),
            contains(link.href, kinds.singer),
        };
        for (const bool pass : passes) {
            if (!pass)
                continue;
            ChartEntry entry;
            entry.number = ++count;
            entry.name = link.text;
            entry.address = link.href.size() > kinds.cut ? link.href.substr(kinds.cut) : std::string();
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace lanseek::search
