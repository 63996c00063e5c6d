#include "service/peer_page.h"

#include "platform/web/html_parse.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <optional>
#include <set>

namespace lanseek::service {
namespace {

constexpr std::size_t kMaxNameBytes = 1024;
constexpr std::size_t kMaxChartNames = 1000;
constexpr std::size_t kMaxAlbums = 20;
constexpr std::string_view kCountMark = "百度为您找到相关结果";

// The authorities a peer's own links may carry: the one we reached it by, and the same without an IPv6
// zone, which clients leave out of the Host header the peer builds its links from.
std::vector<std::string> peerAuthorities(const std::string& peerBase)
{
    std::string authority = peerBase.substr(std::min(peerBase.size(), std::string_view("http://").size()));
    std::vector<std::string> forms{authority};
    const auto zone = authority.find("%25");
    const auto close = authority.find(']');
    if (zone != std::string::npos && close != std::string::npos && zone < close) {
        forms.push_back(authority.substr(0, zone) + authority.substr(close));
    }
    return forms;
}

// The rest of href after "http://AUTHORITY" + path, when href starts so for one of the peer's authorities.
std::optional<std::string> afterPeerPrefix(const std::string& href,
                                           const std::vector<std::string>& authorities, std::string_view path)
{
    for (const std::string& authority : authorities) {
        const std::string prefix = "http://" + authority + std::string(path);
        if (href.size() > prefix.size() && href.compare(0, prefix.size(), prefix) == 0) {
            return href.substr(prefix.size());
        }
    }
    return std::nullopt;
}

bool isPathChar(char c)
{
    static constexpr std::string_view kAllowed = "-._~%/!$&'()*+,;=:@";
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           kAllowed.find(c) != std::string_view::npos;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::unique_ptr<platform::WebDocument> parse(std::string_view body, std::string_view contentType,
                                             const std::string& peerBase)
{
    const QString base = QString::fromStdString(peerBase) + QStringLiteral("/");
    return platform::buildDocument(body, contentType, base, base);
}

std::size_t announcedTotal(const std::string& text)
{
    const auto mark = text.find(kCountMark);
    if (mark == std::string::npos) {
        return 0;
    }
    const char* digits = text.data() + mark + kCountMark.size();
    std::size_t total = 0;
    const auto [end, error] = std::from_chars(digits, text.data() + text.size(), total);
    // A count too large to hold is as good as none; a count of ten digits is already nonsense.
    if (error != std::errc() || end == digits || total > 1'000'000'000) {
        return 0;
    }
    return total;
}

} // namespace

std::optional<std::string> sizeAndTypeField(std::string_view trimmedText)
{
    static constexpr std::array<std::string_view, 5> kTypes = {"mp3", "rm", "wma", "asf", "ram"};
    const auto unit = trimmedText.find_first_of("KM");
    if (unit == std::string_view::npos || unit == 0 || unit > 4) {
        return std::nullopt;
    }
    const std::string_view size = trimmedText.substr(0, unit);
    const std::string_view type = trimmedText.substr(unit + 1);
    const bool sizeOk = std::all_of(size.begin(), size.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == ' ' || c == '+';
    });
    if (!sizeOk || std::find(kTypes.begin(), kTypes.end(), type) == kTypes.end()) {
        return std::nullopt;
    }
    // The client reads the size from fixed places counted back from the end, so its width matters.
    return std::string(4 - size.size(), ' ') + std::string(trimmedText);
}

PeerResults readPeerResults(std::string_view body, std::string_view contentType, const std::string& peerBase)
{
    PeerResults results;
    const auto document = parse(body, contentType, peerBase);
    const std::string text = document->bodyText.toStdString();
    const std::vector<std::string> authorities = peerAuthorities(peerBase);
    std::set<std::string> albums;
    for (const platform::WebLink& link : document->links) {
        const std::string href = link.href.toStdString();
        const std::string name = trimmed(link.innertext.toStdString());
        if (href.find("&f=al") != std::string::npos && afterPeerPrefix(href, authorities, "/m?")) {
            if (!name.empty() && name.size() <= kMaxNameBytes && results.albums.size() < kMaxAlbums &&
                albums.insert(name).second) {
                results.albums.push_back(name);
            }
            continue;
        }
        const auto redirect = afterPeerPrefix(href, authorities, "/r?url=");
        if (!redirect) {
            continue;
        }
        if (results.songs.size() == kResultsPerPage) {
            ++results.dropped;
            continue;
        }
        const auto path = afterPeerPrefix(*redirect, authorities, "/music/");
        if (!path || !std::all_of(path->begin(), path->end(), isPathChar) || name.empty() ||
            name.size() > kMaxNameBytes) {
            ++results.dropped;
            continue;
        }
        // Our pages put a result's size and type on its line right after its text; that line is the first
        // one holding the text, since results come shortest first.
        std::string tail;
        if (const auto at = text.find(name); at != std::string::npos) {
            const auto end = text.find('\n', at);
            tail = trimmed(std::string_view(text).substr(
                at + name.size(), end == std::string::npos ? std::string::npos : end - at - name.size()));
        }
        const std::optional<std::string> field = sizeAndTypeField(tail);
        if (!field) {
            ++results.dropped;
            continue;
        }
        // The address is made anew on the base we reached the peer by, so it is the peer's whatever the
        // page said around the path.
        results.songs.push_back({name, peerBase + "/music/" + *path, *field});
    }
    results.total = std::max(announcedTotal(text), results.songs.size());
    return results;
}

std::vector<std::string> readPeerChart(std::string_view body, std::string_view contentType,
                                       const std::string& peerBase, PeerChartKind kind)
{
    std::vector<std::string> names;
    const auto document = parse(body, contentType, peerBase);
    const std::vector<std::string> authorities = peerAuthorities(peerBase);
    for (const platform::WebLink& link : document->links) {
        const std::string href = link.href.toStdString();
        const bool wanted =
            kind == PeerChartKind::Singers
                ? afterPeerPrefix(href, authorities, "/singer/").has_value() && href.ends_with(".html")
                : afterPeerPrefix(href, authorities, "/m?rn=&tn=baidump3&ct=").has_value();
        const std::string name = trimmed(link.innertext.toStdString());
        if (wanted && !name.empty() && name.size() <= kMaxNameBytes) {
            names.push_back(name);
            if (names.size() == kMaxChartNames) {
                break;
            }
        }
    }
    return names;
}

} // namespace lanseek::service
