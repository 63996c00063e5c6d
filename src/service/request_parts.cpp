#include "service/request_parts.h"

#include "service/text_codec.h"

#include <algorithm>

namespace lanseek::service {
namespace {

constexpr std::size_t kMaxRedirectTarget = 4096;

bool isHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == ':' || c == '[' || c == ']' || c == '_';
}

bool isIpChar(char c)
{
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == '.' || c == ':';
}

} // namespace

std::string rawQuery(const HttpRequest& req)
{
    const auto mark = req.target.find('?');
    return mark == std::string::npos ? std::string() : req.target.substr(mark + 1);
}

std::string requestPath(const HttpRequest& req)
{
    const std::string_view target = req.target;
    return percentDecode(target.substr(0, target.find('?')));
}

std::string requestBase(const HttpRequest& req, const std::string& fallback)
{
    const std::string host = req.header("Host");
    if (!host.empty() && host.size() <= 255 && std::all_of(host.begin(), host.end(), isHostChar)) {
        return "http://" + host;
    }
    return fallback;
}

std::string clientIp(const HttpRequest& req)
{
    const std::string& ip = req.clientIp;
    if (ip.size() > 64 || !std::all_of(ip.begin(), ip.end(), isIpChar)) {
        return {};
    }
    return ip;
}

HttpResponse pageResponse(std::string gbkHtml)
{
    HttpResponse res;
    res.setHeader("Content-Type", "text/html; charset=gbk");
    res.body = std::move(gbkHtml);
    return res;
}

HttpResponse errorResponse(int status, std::string_view message)
{
    HttpResponse res;
    res.status = status;
    res.setHeader("Content-Type", "text/plain; charset=utf-8");
    res.body = std::string(message) + "\n";
    return res;
}

HttpResponse redirectResponse(const HttpRequest& req)
{
    const std::string raw = rawQuery(req);
    if (raw.rfind("url=", 0) != 0) {
        return errorResponse(400, "missing url");
    }
    std::string target = raw.substr(4);
    auto isWeb = [](const std::string& address) {
        const std::string lower = asciiLower(address.substr(0, 8));
        return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
    };
    if (!isWeb(target)) {
        target = percentDecode(target);
    }
    const bool clean = std::none_of(target.begin(), target.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
    });
    // Only web addresses: anything else (file:, javascript:, bare paths) is refused rather than bounced.
    const auto hostStart = target.find("://") + 3;
    const bool hasHost = isWeb(target) && hostStart < target.size() && target[hostStart] != '/';
    if (!hasHost || !clean || target.size() > kMaxRedirectTarget) {
        return errorResponse(400, "bad url");
    }
    HttpResponse res;
    res.status = 302;
    res.setHeader("Location", target);
    return res;
}

} // namespace lanseek::service
