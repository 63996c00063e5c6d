#include "app/display_check.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lanseek::app {

namespace {

bool envSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool connectUnix(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

bool connectTcp(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0)
            continue;
        ok = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return ok;
}

// DISPLAY is [host]:number[.screen]; an empty host or "unix" means the local socket.
bool x11Reachable(std::string_view display)
{
    const auto colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string host(display.substr(0, colon));
    std::string number(display.substr(colon + 1));
    if (const auto dot = number.find('.'); dot != std::string::npos)
        number.resize(dot);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    if (host.empty() || host == "unix")
        return connectUnix("/tmp/.X11-unix/X" + number) || connectTcp("127.0.0.1", 6000 + std::stoi(number));
    return connectTcp(host, 6000 + std::stoi(number));
}

} // namespace

bool displayAvailable(std::string& reason)
{
    // An explicit platform plugin (offscreen, vnc, ...) brings its own output.
    if (envSet("QT_QPA_PLATFORM")) {
        const std::string_view platform = std::getenv("QT_QPA_PLATFORM");
        if (platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0)
            return true;
    }
    if (envSet("WAYLAND_DISPLAY"))
        return true;
    if (!envSet("DISPLAY")) {
        reason = "lanseek needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set";
        return false;
    }
    const std::string display = std::getenv("DISPLAY");
    if (!x11Reachable(display)) {
        reason = "lanseek needs a graphical display: cannot reach the X display \"" + display + "\"";
        return false;
    }
    return true;
}

} // namespace lanseek::app
