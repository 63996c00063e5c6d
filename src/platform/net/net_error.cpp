#include "platform/net/net_error.h"

namespace lanseek::platform {

SocketError::SocketError(int osError, const std::string& description)
    : NetError(format(osError, description)), m_osError(osError)
{
}

std::string SocketError::format(int osError, const std::string& description)
{
    std::string text = description;
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\n')) {
        text.pop_back();
    }
    if (osError != 0) {
        return "Socket Error # " + std::to_string(osError) + " " + text + ".";
    }
    return "Socket Error: " + text + ".";
}

HttpStatusError::HttpStatusError(int statusCode, const std::string& statusLine)
    : NetError(statusLine), m_statusCode(statusCode)
{
}

BadAddressError::BadAddressError(const std::string& address) : NetError("Unsupported address: " + address) {}

} // namespace lanseek::platform
