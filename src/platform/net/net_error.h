#pragma once

// Failures of the HTTP client. Their messages follow one of two forms that the program's error policy tells
// apart by their words: a transport failure says "Socket Error ..." (for example
// "Socket Error # 111 Connection refused."), a refused request carries the reply's status line (for example
// "HTTP/1.1 404 Not Found").

#include <stdexcept>
#include <string>

namespace lanseek::platform {

class NetError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The connection could not be made, broke, stalled, was closed by Disconnect, or carried no usable reply.
class SocketError : public NetError
{
public:
    // osError is the system's error number when one is known (ECONNREFUSED, ...), otherwise 0.
    SocketError(int osError, const std::string& description);

    int osError() const { return m_osError; }

    // "Socket Error # 111 Connection refused." when osError is known, "Socket Error: <description>."
    // otherwise.
    static std::string format(int osError, const std::string& description);

private:
    int m_osError;
};

// The server answered with a status outside 200-299; redirects (3xx) are not followed and end up here too.
// The message is the status line as received.
class HttpStatusError : public NetError
{
public:
    HttpStatusError(int statusCode, const std::string& statusLine);

    int statusCode() const { return m_statusCode; }

private:
    int m_statusCode;
};

// The address is not one the client can fetch (another scheme, no host, a bad port).
class BadAddressError : public NetError
{
public:
    explicit BadAddressError(const std::string& address);
};

} // namespace lanseek::platform
