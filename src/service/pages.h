#pragma once

// The HTML pages of the service. The program reads a result page's visible text line by line and its
// links, so the shape of these pages is part of the protocol:
//
//   <one line per result>   NAME SIZE+TYPE      e.g. "Blue Lantern - Night Train 3.52Mmp3"
//   百度为您找到相关结果N篇
//   相关专辑： ALBUM ALBUM ...                   (album links, when the results have albums)
//   1 2 3 下一页                                 (query links carrying "&ip=" and "&cl=")
//
// Results come first so that no line above a result can hold its name. Pages are GBK; characters GBK
// lacks are written as numeric character references.

#include "service/library_index.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lanseek::service {

inline constexpr std::size_t kResultsPerPage = 30;

// Where links on a page point and what the page tells the client about itself.
struct PageContext
{
    std::string base;     // "http://host[:port]", no trailing slash
    std::string clientIp; // the client's address as this server sees it
};

// The size and type written together at the end of a result line. The size is four characters and a unit
// such that its first three characters read as the size on their own: "3.52M", " 40 K", "512 K", " 12 M";
// RealMedia has its type straight after the unit ("2.10Mrm"); the others have "mp3", "wma", "asf", "ram".
std::string sizeAndType(std::uintmax_t bytes, MediaType type);

// "BASE/music/<path, percent-encoded>".
std::string songAddress(const PageContext& context, const Song& song);
// A word (UTF-8) as it goes into a query address: GB18030 bytes, percent-encoded.
std::string queryWord(std::string_view utf8);

struct ResultPage
{
    std::vector<const Song*> songs; // this page's share of the results
    std::size_t total = 0;          // results on all pages
    std::string wordBytes;          // the word as received, its escapes decoded
    std::string lm = "-1";          // the media type value the paging links carry
    std::uint64_t offset = 0;
    std::vector<std::string> albums;
};

std::string renderResultPage(const PageContext& context, const ResultPage& page);

// One line of a result page as it goes on the wire: the link's text, the address the song downloads from
// and the size and type written after the link ("3.52Mmp3").
struct ResultLine
{
    std::string name; // UTF-8
    std::string download;
    std::string sizeAndType;
};

// A result page made of finished lines, for pages whose songs are not in this service's own library (the
// aggregator's merged pages). The lines go out in the order given.
struct ResultLines
{
    std::vector<ResultLine> lines;
    std::size_t total = 0;       // the count the page announces
    std::uint64_t pageCount = 1; // how many pages the paging links offer
    std::string wordBytes;
    std::string lm = "-1";
    std::uint64_t offset = 0;
    std::vector<std::string> albums;
};

std::string renderResultLines(const PageContext& context, const ResultLines& page);

enum class SingerChart { Male, Female, All };
std::string renderSingerChart(const PageContext& context, SingerChart chart,
                              const std::vector<std::string>& singers);
// The song list: general query links for each name.
std::string renderSongChart(const PageContext& context, const std::vector<std::string>& names);
std::string renderHomePage(const PageContext& context, std::size_t songCount);
// The aggregator's home page: the services it searches, by name.
std::string renderPeerList(const PageContext& context, const std::vector<std::string>& names);

} // namespace lanseek::service
