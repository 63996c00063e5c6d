#pragma once

// Reading one search result page into song rows. Everything here works on text in the program's Chinese
// code page (GBK bytes held in std::string): the page's rules compare and cut bytes, so positions and
// lengths count bytes and a "character" of a rule is one byte. Converting to and from wide text happens
// at the edge (harvest_document.h), never here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanseek::search {

// The caption the result count label shows until the first page has been read.
inline constexpr std::string_view kCountLabelInitial =
    "\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB\xCE\xAA:"; // 搜索结果为:

struct PageLink
{
    std::string href; // the link's address as the browser resolved it
    std::string text; // the link's text without markup
};

// The text with its leading and trailing bytes of code 32 and below removed.
std::string_view trimControls(std::string_view text);

// The line of the page text (lines end at "\n") that holds the first occurrence of needle; the first line
// when needle is empty or does not occur. The line comes without its line break.
std::string_view lineContaining(std::string_view page, std::string_view needle);
// The line holding the byte at position; the first line when position is npos or past the end.
std::string_view lineAt(std::string_view page, std::size_t position);

struct SizeAndType
{
    std::string size; // three bytes and "M" or "K", or empty
    std::string type;
};

// The size and type of a result from its trimmed line: the type is the last 3 bytes; the size is the first
// 3 of the last 8 bytes followed by "M" or "K", whichever of the two those 8 bytes hold ("K" when both);
// a type of "Mrm" or "Krm" is RealMedia written straight after the unit, so the type becomes "rm" and the
// size is taken from the last 7 bytes instead.
SizeAndType sizeAndTypeOf(std::string_view trimmedLine);

// The count text for the result count label: on the line holding the first "百度为您找到相关结果" (the
// first line without it), the bytes from position 21 up to the byte before the first "篇".
std::string countText(std::string_view page);

// The local IP text a query link carries: the bytes between the first "&ip=" and the first "&cl=" of the
// address; empty when "&cl=" is missing or comes before the end of "&ip=".
std::string ipFromQueryLink(std::string_view href);

// What the harvest needs to know about the program's state before a page is read.
struct HarvestInput
{
    std::string_view pageText;
    const std::vector<PageLink>* links = nullptr;
    std::string queryPrefix;    // scheme, host and "/m?lm=" of the configured service
    std::string redirectPrefix; // scheme, host and "/r?url="; its length is cut from result addresses
    std::string countLabel;     // the result count label's caption
    std::string localIp;
    std::string windowCaption;
    std::vector<std::string> listedAddresses; // sub-item 1 of every row already in the result list
    int rowCounter = 0;
    int pageNumber = 1;
    bool stopFlag = false;
};

struct HarvestedSong
{
    int number = 0; // the row's caption: the running number counted from 1
    std::string name;
    std::string address;
    std::string size;
    std::string type;
};

// What reading the page changes.
struct HarvestOutcome
{
    std::optional<std::string> countLabel;    // the label's new caption, when it is filled now
    std::string localIp;                      // unchanged unless it was empty and a link supplied it
    std::optional<std::string> windowCaption; // the extended caption, when it is extended now
    std::vector<HarvestedSong> songs;         // rows to append, in order
    int rowCounter = 0;
    int pageNumber = 0;
    bool requestNextPage = false; // ask for the follow-up page with the new page number
};

// The whole harvest of one page: count label, local IP, result rows with duplicate addresses skipped,
// window caption and the paging decision.
HarvestOutcome harvest(const HarvestInput& input);

} // namespace lanseek::search
