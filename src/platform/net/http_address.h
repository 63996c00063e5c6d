#pragma once

// Download addresses as the HTTP client understands them. Song addresses come from scraped pages, so they
// may carry an explicit port, upper-case schemes, spaces or raw 8-bit bytes; all of that is handled here,
// apart from the transfer code.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lanseek::platform {

struct HttpAddress
{
    std::string scheme; // "http" or "https", lower case
    std::string host;   // name or address; an IPv6 literal keeps its brackets ("[::1]")
    std::uint16_t port = 0;
    std::string target; // path and query as sent on the request line, starting with "/"

    bool tls() const { return scheme == "https"; }
    // True when the port is the scheme's own (80 for http, 443 for https).
    bool defaultPort() const;
    // The address rebuilt from its parts, with the target percent-encoded and the port left out when it is
    // the scheme's default.
    std::string url() const;
};

// Splits an http:// or https:// address. Returns nothing for other schemes, a missing or malformed host,
// or a port outside 1..65535. A fragment ("#...") is dropped; user information ("user@") is refused, since
// the program never sends credentials. The target is percent-encoded (see encodeRequestTarget).
std::optional<HttpAddress> parseHttpUrl(std::string_view url);

// Splits a "host" or "host:port" text as the queue takes it from an address ("the part before the first
// slash"). The port defaults to defaultPort. Returns nothing when the port is not a number in 1..65535 or the
// host is empty.
std::optional<std::pair<std::string, std::uint16_t>> splitHostPort(std::string_view hostAndPort,
                                                                   std::uint16_t defaultPort);

// Escapes the bytes that may not appear raw on a request line (controls, space, bytes above 0x7E and the
// few characters browsers escape too: '"', '#', '<', '>', '\\', '^', '`', '{', '|', '}') as %XX. Valid
// %XX sequences already present are kept, so an address that was escaped once is not escaped again; a '%'
// that does not start one is escaped as %25.
std::string encodeRequestTarget(std::string_view target);

} // namespace lanseek::platform
