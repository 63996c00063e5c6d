#include "service/result_merge.h"

#include "service/text_codec.h"

#include <algorithm>
#include <set>
#include <unordered_set>

namespace lanseek::service {

namespace {

// As many album links as one service puts on its own page.
constexpr std::size_t kMaxMergedAlbums = 20;

} // namespace

ResultLines mergeResults(const MergeInput& input)
{
    struct Entry
    {
        std::size_t bytes; // the name's length as the client counts it
        ResultLine line;
    };
    std::vector<Entry> entries;
    std::unordered_set<std::string> addresses;
    std::set<std::string> albumsSeen;
    ResultLines merged;
    merged.wordBytes = input.wordBytes;
    merged.lm = input.lm;
    merged.offset = input.offset;
    merged.pageCount = 1;
    for (const PeerResults& page : input.pages) {
        for (const ResultLine& line : page.songs) {
            if (addresses.insert(line.download).second) {
                entries.push_back({utf8ToGb18030(line.name).size(), line});
            }
        }
        merged.total += page.total;
        merged.pageCount =
            std::max<std::uint64_t>(merged.pageCount, (page.total + kResultsPerPage - 1) / kResultsPerPage);
        for (const std::string& album : page.albums) {
            if (merged.albums.size() < kMaxMergedAlbums && albumsSeen.insert(album).second) {
                merged.albums.push_back(album);
            }
        }
    }
    // A client finds a result's line as the first line that holds the result's text; with shorter names
    // first, no line above a result can hold a longer text than its own.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.bytes != b.bytes ? a.bytes < b.bytes : a.line.name < b.line.name;
    });
    merged.lines.reserve(entries.size());
    for (Entry& entry : entries) {
        merged.lines.push_back(std::move(entry.line));
    }
    return merged;
}

std::vector<std::string> mergeNames(const std::vector<std::vector<std::string>>& lists)
{
    std::set<std::string> names;
    for (const auto& list : lists) {
        names.insert(list.begin(), list.end());
    }
    return {names.begin(), names.end()};
}

} // namespace lanseek::service
