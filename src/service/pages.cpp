#include "service/pages.h"

#include "service/text_codec.h"

#include <algorithm>
#include <cstdio>

namespace lanseek::service {
namespace {

constexpr std::string_view kTitle = "聆澜音乐搜索";
constexpr std::size_t kPageLinks = 10;

std::string pageStart(std::string_view heading)
{
    std::string html;
    html += "<!DOCTYPE html>\n<html><head>"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
            "<title>";
    html += htmlEscape(heading.empty() ? kTitle : heading);
    html += "</title></head>\n<body>\n";
    return html;
}

std::string pageEnd(std::string html)
{
    html += "</body></html>\n";
    return utf8ToGbkHtml(html);
}

std::string link(std::string_view href, std::string_view text)
{
    return "<a href=\"" + htmlEscape(href) + "\">" + htmlEscape(text) + "</a>";
}

std::string pagingAddress(const PageContext& context, const ResultLines& page, std::uint64_t offset)
{
    return context.base + "/m?lm=" + page.lm +
           "&ct=134217728&tn=baidump3&word=" + percentEncode(page.wordBytes) +
           "&pn=" + std::to_string(offset) + "&ip=" + context.clientIp + "&cl=3&z=0";
}

} // namespace

std::string sizeAndType(std::uintmax_t bytes, MediaType type)
{
    double value = static_cast<double>(bytes) / 1024.0;
    char unit = 'K';
    if (value >= 999.5) {
        value /= 1024.0;
        unit = 'M';
    }
    char field[16];
    if (value < 9.995) {
        std::snprintf(field, sizeof field, "%4.2f", value);
    } else if (value < 999.5) {
        std::snprintf(field, sizeof field, "%3.0f ", value);
    } else {
        std::snprintf(field, sizeof field, "999+");
    }
    std::string tail = field;
    tail += unit;
    tail += mediaTypeText(type);
    return tail;
}

std::string songAddress(const PageContext& context, const Song& song)
{
    return context.base + "/music/" + percentEncode(song.relativePath, "/");
}

std::string queryWord(std::string_view utf8)
{
    return percentEncode(utf8ToGb18030(utf8));
}

std::string renderResultPage(const PageContext& context, const ResultPage& page)
{
    ResultLines lines;
    lines.lines.reserve(page.songs.size());
    for (const Song* song : page.songs) {
        lines.lines.push_back({song->name, songAddress(context, *song), sizeAndType(song->size, song->type)});
    }
    lines.total = page.total;
    lines.pageCount = std::max<std::uint64_t>(1, (page.total + kResultsPerPage - 1) / kResultsPerPage);
    lines.wordBytes = page.wordBytes;
    lines.lm = page.lm;
    lines.offset = page.offset;
    lines.albums = page.albums;
    return renderResultLines(context, lines);
}

std::string renderResultLines(const PageContext& context, const ResultLines& page)
{
    std::string html = pageStart({});
    for (const ResultLine& line : page.lines) {
        html += "<div>" + link(context.base + "/r?url=" + line.download, line.name) + " " + line.sizeAndType +
                "</div>\n";
    }
    html += "<div>百度为您找到相关结果" + std::to_string(page.total) + "篇</div>\n";

    if (!page.albums.empty()) {
        html += "<div>相关专辑：";
        for (const std::string& album : page.albums) {
            html +=
                " " +
                link(context.base + "/m?tn=baidump3&ct=134217728&word=" + queryWord(album) + "&f=al", album);
        }
        html += "</div>\n";
    }

    // Paging links also tell the client its address ("&ip="), which it sends back with later pages.
    const std::uint64_t current = page.offset / kResultsPerPage;
    const std::uint64_t pages = std::max<std::uint64_t>(1, page.pageCount);
    const std::uint64_t shown = std::min<std::uint64_t>(current, pages - 1);
    const std::uint64_t first = shown > kPageLinks / 2 ? shown - kPageLinks / 2 : 0;
    const std::uint64_t last = std::min<std::uint64_t>(pages, first + kPageLinks);
    html += "<div>";
    if (current > 0 && current <= pages) {
        html += link(pagingAddress(context, page, (current - 1) * kResultsPerPage), "上一页") + " ";
    }
    for (std::uint64_t n = first; n < last; ++n) {
        html += link(pagingAddress(context, page, n * kResultsPerPage), std::to_string(n + 1)) + " ";
    }
    if (current + 1 < pages) {
        html += link(pagingAddress(context, page, (current + 1) * kResultsPerPage), "下一页");
    }
    html += "</div>\n";
    return pageEnd(std::move(html));
}

std::string renderSingerChart(const PageContext& context, SingerChart chart,
                              const std::vector<std::string>& singers)
{
    const std::string_view heading = chart == SingerChart::Male     ? "男歌手"
                                     : chart == SingerChart::Female ? "女歌手"
                                                                    : "全部歌手";
    std::string html = pageStart(heading);
    html += "<h3>" + std::string(heading) + "</h3>\n";
    for (const std::string& singer : singers) {
        html += "<div>" + link(context.base + "/singer/" + queryWord(singer) + ".html", singer) + "</div>\n";
    }
    if (singers.empty()) {
        html += "<div>暂无</div>\n";
    }
    return pageEnd(std::move(html));
}

std::string renderSongChart(const PageContext& context, const std::vector<std::string>& names)
{
    std::string html = pageStart("歌曲列表");
    html += "<h3>歌曲列表</h3>\n";
    for (const std::string& name : names) {
        html +=
            "<div>" +
            link(context.base + "/m?rn=&tn=baidump3&ct=134217728&word=" + queryWord(name) + "&lm=-1", name) +
            "</div>\n";
    }
    if (names.empty()) {
        html += "<div>暂无</div>\n";
    }
    return pageEnd(std::move(html));
}

std::string renderHomePage(const PageContext& context, std::size_t songCount)
{
    std::string html = pageStart({});
    html += "<h3>" + std::string(kTitle) + "</h3>\n";
    html += "<div>曲库共有歌曲" + std::to_string(songCount) + "首</div>\n";
    html += "<div>" + link(context.base + "/ngeshou.html", "男歌手") + " " +
            link(context.base + "/ygeshou.html", "女歌手") + " " +
            link(context.base + "/mp3.html", "歌曲列表") + " " +
            link(context.base + "/singer/singers.html", "全部歌手") + "</div>\n";
    return pageEnd(std::move(html));
}

std::string renderPeerList(const PageContext& context, const std::vector<std::string>& names)
{
    std::string html = pageStart({});
    html += "<h3>" + std::string(kTitle) + "</h3>\n";
    html += "<div>局域网共有服务" + std::to_string(names.size()) + "个</div>\n";
    for (const std::string& name : names) {
        html += "<div>" + htmlEscape(name) + "</div>\n";
    }
    html += "<div>" + link(context.base + "/ngeshou.html", "男歌手") + " " +
            link(context.base + "/ygeshou.html", "女歌手") + " " +
            link(context.base + "/mp3.html", "歌曲列表") + " " +
            link(context.base + "/singer/singers.html", "全部歌手") + "</div>\n";
    return pageEnd(std::move(html));
}

} // namespace lanseek::service
