#pragma once

// The small textual rules of requests and replies that the HTTP client and its callers share: the request
// range, the reply's status line, Content-Length and Content-Range. Kept free of I/O so they can be checked
// on their own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lanseek::platform {

// The byte range a request asks for, both bounds inclusive as HTTP reads them. {0, 0} asks for no range;
// an end of 0 with a start above 0 asks for everything from start on.
struct RequestRange
{
    std::int64_t start = 0;
    std::int64_t end = 0;

    bool empty() const { return start == 0 && end == 0; }
    // The range as it follows "bytes=": "start-end", or "start-" when end is 0; empty when no range is asked.
    std::string boundsText() const;
    // The whole header value, "bytes=" + boundsText(); empty when no range is asked.
    std::string headerValue() const { return empty() ? std::string() : "bytes=" + boundsText(); }
};

struct StatusLine
{
    std::string text; // the line as received, without its line break and surrounding blanks
    int code = 0;
};

// "HTTP/1.1 206 Partial Content" -> {text, 206}. Returns nothing when the line is not an HTTP status line
// with a three-digit code.
std::optional<StatusLine> parseStatusLine(std::string_view line);

// A Content-Length value: decimal digits only (surrounding blanks allowed), 64 bits wide. Returns nothing for
// anything else, including values that do not fit.
std::optional<std::int64_t> parseContentLength(std::string_view value);

// "bytes first-last/total" as a server sends it with a 206 reply. total is -1 when the server writes "*".
struct ContentRange
{
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t total = -1;

    std::int64_t length() const { return last - first + 1; }
};

// Returns nothing for malformed values, for last < first and for a total that does not exceed last.
std::optional<ContentRange> parseContentRange(std::string_view value);

// Splits "Name: value" and compares the name without regard to case. Returns the value with surrounding
// blanks removed, or nothing when the line carries another header.
std::optional<std::string_view> headerValueIf(std::string_view line, std::string_view name);

} // namespace lanseek::platform
