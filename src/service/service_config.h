#pragma once

// The settings file of lanseek-service (~/.config/lanseek/service.conf for the user unit): one
// "key = value" a line, "#" starts a comment line.
//
//   library = ~/Music            the folder to share ("~/" is $HOME)
//   listen  = 0.0.0.0:8080       where to listen (ADDR:PORT, [V6ADDR]:PORT or PORT)
//   name    = 客厅的音乐          the name the LAN sees (default "<user>@<host>")

#include <filesystem>
#include <optional>
#include <string>

namespace lanseek::service {

struct ServiceSettings
{
    std::optional<std::filesystem::path> library;
    std::optional<std::string> listen;
    std::optional<std::string> name;
};

// False with the line and the reason in *error when the file cannot be read or a line is not understood;
// values given replace those in settings.
bool readServiceSettings(const std::filesystem::path& file, ServiceSettings& settings, std::string* error);

// "ADDR:PORT", "[V6ADDR]:PORT", ":PORT" (every interface) or just "PORT" (the host stays as it was).
bool parseListenAddress(const std::string& text, std::string& host, int& port);

} // namespace lanseek::service
