#include "platform/net/http_address.h"

#include <cctype>

namespace lanseek::platform {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::uint16_t> parsePort(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// Host names are taken as they are written apart from case; only characters that would break the request
// line or the Host header are refused.
bool plausibleHostName(std::string_view host)
{
    if (host.empty()) {
        return false;
    }
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '/' || c == '\\' || c == '?' || c == '#' || c == '@' || c == '[' ||
            c == ']' || c == ':' || c == '%') {
            return false;
        }
    }
    return true;
}

bool plausibleIpv6Literal(std::string_view inner)
{
    if (inner.empty()) {
        return false;
    }
    for (char c : inner) {
        if (!isHexDigit(c) && c != ':' && c != '.') {
            return false;
        }
    }
    return true;
}

} // namespace

bool HttpAddress::defaultPort() const
{
    return port == (tls() ? 443 : 80);
}

std::string HttpAddress::url() const
{
    std::string out = scheme + "://" + host;
    if (!defaultPort()) {
        out += ':' + std::to_string(port);
    }
    out += encodeRequestTarget(target);
    return out;
}

std::optional<std::pair<std::string, std::uint16_t>> splitHostPort(std::string_view hostAndPort,
                                                                   std::uint16_t defaultPort)
{
    std::string_view host = hostAndPort;
    std::string_view portText;
    bool hasPort = false;
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        if (close == std::string_view::npos || !plausibleIpv6Literal(host.substr(1, close - 1))) {
            return std::nullopt;
        }
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') {
                return std::nullopt;
            }
            portText = host.substr(close + 2);
            hasPort = true;
        }
        host = host.substr(0, close + 1);
    } else {
        const auto colon = host.find(':');
        if (colon != std::string_view::npos) {
            portText = host.substr(colon + 1);
            host = host.substr(0, colon);
            hasPort = true;
        }
        if (!plausibleHostName(host)) {
            return std::nullopt;
        }
    }
    std::uint16_t port = defaultPort;
    if (hasPort) {
        const auto parsed = parsePort(portText);
        if (!parsed) {
            return std::nullopt;
        }
        port = *parsed;
    }
    std::string lowered(host);
    for (char& c : lowered) {
        c = lowerAscii(c);
    }
    return std::make_pair(lowered, port);
}

std::optional<HttpAddress> parseHttpUrl(std::string_view url)
{
    // Scraped addresses sometimes carry blanks around them; inner blanks belong to the path.
    while (!url.empty() && (url.front() == ' ' || url.front() == '\t')) {
        url.remove_prefix(1);
    }
    while (!url.empty() &&
           (url.back() == ' ' || url.back() == '\t' || url.back() == '\r' || url.back() == '\n')) {
        url.remove_suffix(1);
    }

    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) {
        return std::nullopt;
    }
    HttpAddress address;
    for (char c : url.substr(0, schemeEnd)) {
        address.scheme += lowerAscii(c);
    }
    if (address.scheme != "http" && address.scheme != "https") {
        return std::nullopt;
    }

    std::string_view rest = url.substr(schemeEnd + 3);
    const auto authorityEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, authorityEnd);
    if (authority.find('@') != std::string_view::npos) {
        return std::nullopt;
    }
    const auto hostPort = splitHostPort(authority, address.tls() ? 443 : 80);
    if (!hostPort) {
        return std::nullopt;
    }
    address.host = hostPort->first;
    address.port = hostPort->second;

    std::string_view target =
        authorityEnd == std::string_view::npos ? std::string_view{} : rest.substr(authorityEnd);
    const auto fragment = target.find('#');
    if (fragment != std::string_view::npos) {
        target = target.substr(0, fragment);
    }
    std::string path(target);
    if (path.empty() || path.front() != '/') {
        path.insert(path.begin(), '/');
    }
    address.target = encodeRequestTarget(path);
    return address;
}

std::string encodeRequestTarget(std::string_view target)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        const char c = target[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '%') {
            if (i + 2 < target.size() && isHexDigit(target[i + 1]) && isHexDigit(target[i + 2])) {
                out += c;
            } else {
                out += "%25";
            }
            continue;
        }
        const bool unsafe = u <= 0x20 || u >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' ||
                            c == '^' || c == '`' || c == '{' || c == '|' || c == '}' || c == '#';
        if (unsafe) {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace lanseek::platform
