#pragma once

// The parts of a request that the service's pages are made from, and the two kinds of answer they give,
// shared by the service over its own library and the aggregator over the services of the LAN.

#include "service/http_server.h"

#include <string>
#include <string_view>

namespace lanseek::service {

// The query string of the request target, without the '?'; empty when there is none.
std::string rawQuery(const HttpRequest& req);
// The path of the request target with its escapes decoded; any byte may be written as %XX, so a name
// holding a newline or bytes that are not UTF-8 is reached like any other.
std::string requestPath(const HttpRequest& req);
// "http://" and the Host header the client used to reach us, so a LAN client gets addresses it can reach;
// the fallback when the header is missing or holds anything but a host and port.
std::string requestBase(const HttpRequest& req, const std::string& fallback);
// The client's numeric address as links may carry it; empty when it holds anything else.
std::string clientIp(const HttpRequest& req);

// The answer to "/r?url=ADDRESS": 302 to ADDRESS when it is an http(s) address with a host, else 400.
HttpResponse redirectResponse(const HttpRequest& req);

// A GBK page.
HttpResponse pageResponse(std::string gbkHtml);
// A short plain-text error.
HttpResponse errorResponse(int status, std::string_view message);

} // namespace lanseek::service
