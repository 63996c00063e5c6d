#include "search/harvest.h"

#include "search/first_occurrence.h"

#include <algorithm>
#include <unordered_set>

namespace lanseek::search {
namespace {

// The phrase that opens the service's count line, and the measure word that follows the count.
constexpr std::string_view kCountPhrase = "\xB0\xD9\xB6\xC8\xCE\xAA\xC4\xFA\xD5\xD2\xB5\xBD\xCF\xE0\xB9\xD8"
                                          "\xBD\xE1\xB9\xFB"; // 百度为您找到相关结果
constexpr std::string_view kCountEnd = "\xC6\xAA";            // 篇
constexpr std::string_view kCountLabelPrefix = " \xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB  "; // " 搜索结果  "
// The count starts right after the phrase, at byte position 21 counted from 1.
constexpr std::size_t kCountStart = 20;

constexpr std::string_view kIpMark = "\xB1\xBE\xBB\xFAip\xCE\xAA";           // 本机ip为
constexpr std::string_view kCaptionLabel = "   \xB1\xBE\xBB\xFAip\xCE\xAA:"; // "   本机ip为:"
constexpr std::string_view kCaptionGap = "  ";

// The last n bytes of text, or all of it when it is shorter.
std::string_view lastBytes(std::string_view text, std::size_t n)
{
    return text.size() > n ? text.substr(text.size() - n) : text;
}

std::string firstBytes(std::string_view text, std::size_t n)
{
    return std::string(text.substr(0, std::min(n, text.size())));
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

} // namespace

std::string_view trimControls(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string_view lineAt(std::string_view page, std::size_t position)
{
    const std::size_t at = position == std::string_view::npos || position >= page.size() ? 0 : position;
    const std::size_t previousBreak = at == 0 ? std::string_view::npos : page.rfind('\n', at - 1);
    const std::size_t begin = previousBreak == std::string_view::npos ? 0 : previousBreak + 1;
    const std::size_t end = page.find('\n', begin);
    return page.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

std::string_view lineContaining(std::string_view page, std::string_view needle)
{
    return lineAt(page, needle.empty() ? std::string_view::npos : page.find(needle));
}

SizeAndType sizeAndTypeOf(std::string_view trimmedLine)
{
    SizeAndType result;
    result.type = std::string(lastBytes(trimmedLine, 3));
    const std::string_view tail = lastBytes(trimmedLine, 8);
    if (contains(tail, "M"))
        result.size = firstBytes(tail, 3) + "M";
    if (contains(tail, "K"))
        result.size = firstBytes(tail, 3) + "K";
    // RealMedia results write "rm" straight after the unit, so their size field ends one byte later.
    const std::string_view realTail = lastBytes(trimmedLine, 7);
    if (result.type == "Mrm") {
        result.type = "rm";
        result.size = firstBytes(realTail, 3) + "M";
    }
    if (result.type == "Krm") {
        result.type = "rm";
        result.size = firstBytes(realTail, 3) + "K";
    }
    return result;
}

std::string countText(std::string_view page)
{
    const std::string_view line = lineContaining(page, kCountPhrase);
    const std::size_t end = line.find(kCountEnd);
    if (end == std::string_view::npos || end <= kCountStart)
        return {};
    return std::string(line.substr(kCountStart, end - kCountStart));
}

std::string ipFromQueryLink(std::string_view href)
{
    const std::size_t ip = href.find("&ip=");
    const std::size_t cl = href.find("&cl=");
    if (ip == std::string_view::npos || cl == std::string_view::npos || cl < ip + 4)
        return {};
    return std::string(href.substr(ip + 4, cl - ip - 4));
}

HarvestOutcome harvest(const HarvestInput& input)
{
    HarvestOutcome out;
    out.localIp = input.localIp;
    out.rowCounter = input.rowCounter;
    out.pageNumber = input.pageNumber;

    if (input.countLabel == kCountLabelInitial)
        out.countLabel = std::string(kCountLabelPrefix) + countText(input.pageText);

    // First the links that make rows, then one pass over the page for all their texts at once.
    struct Accepted
    {
        const PageLink* link;
        std::string address;
    };
    std::vector<Accepted> accepted;
    std::unordered_set<std::string> listed(input.listedAddresses.begin(), input.listedAddresses.end());
    const std::size_t cut = input.redirectPrefix.size();
    static const std::vector<PageLink> kNoLinks;
    for (const PageLink& link : input.links ? *input.links : kNoLinks) {
        if (out.localIp.empty() && contains(link.href, input.queryPrefix) && contains(link.href, "&ip="))
            out.localIp = ipFromQueryLink(link.href);

        if (!contains(link.href, input.redirectPrefix))
            continue;
        // A link is a result link when the prefix occurs anywhere in it, but the cut always takes the
        // prefix's length from the front: the download address is what follows "url=" on the service's
        // own links, and other links keep the same byte rule.
        std::string address = link.href.size() > cut ? link.href.substr(cut) : std::string();
        if (!listed.insert(address).second)
            continue;
        accepted.push_back({&link, std::move(address)});
    }

    std::vector<std::string_view> texts;
    texts.reserve(accepted.size());
    for (const Accepted& row : accepted)
        texts.push_back(row.link->text);
    const std::vector<std::size_t> positions = firstOccurrences(input.pageText, texts);

    for (std::size_t i = 0; i < accepted.size(); ++i) {
        const std::string_view line = trimControls(lineAt(input.pageText, positions[i]));
        SizeAndType sizeType = sizeAndTypeOf(line);
        HarvestedSong song;
        song.number = out.rowCounter + 1;
        song.name = accepted[i].link->text;
        song.address = std::move(accepted[i].address);
        song.size = std::move(sizeType.size);
        song.type = std::move(sizeType.type);
        out.songs.push_back(std::move(song));
        ++out.rowCounter;
    }

    if (!out.localIp.empty() && !contains(input.windowCaption, kIpMark))
        out.windowCaption =
            input.windowCaption + std::string(kCaptionLabel) + std::string(kCaptionGap) + out.localIp;

    // A page brings new rows when this harvest appended some. Counting what this page appended, rather than
    // comparing the row counter with the rows the list held, keeps a list filled by a chart page (which
    // leaves the counter alone) from looking like fresh results.
    if (!out.songs.empty()) {
        if (!input.stopFlag) {
            ++out.pageNumber;
            out.requestNextPage = true;
        }
    } else {
        out.pageNumber = 2;
    }
    return out;
}

} // namespace lanseek::search
