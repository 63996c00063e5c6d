#include "service/service_config.h"

#include <cstdlib>
#include <fstream>

namespace lanseek::service {
namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

bool readServiceSettings(const std::filesystem::path& file, ServiceSettings& settings, std::string* error)
{
    std::ifstream in(file);
    if (!in) {
        if (error != nullptr) {
            *error = "cannot read " + file.string();
        }
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        const auto equals = text.find('=');
        const std::string key = equals == std::string::npos ? text : trimmed(text.substr(0, equals));
        const std::string value =
            equals == std::string::npos ? std::string() : trimmed(text.substr(equals + 1));
        if (equals != std::string::npos && !value.empty()) {
            if (key == "library") {
                // "~/" is the home folder, as the template writes it.
                const char* home = std::getenv("HOME");
                settings.library = value.starts_with("~/") && home != nullptr
                                       ? std::filesystem::path(home) / value.substr(2)
                                       : std::filesystem::path(value);
                continue;
            }
            if (key == "listen") {
                settings.listen = value;
                continue;
            }
            if (key == "name") {
                settings.name = value;
                continue;
            }
        }
        if (error != nullptr) {
            *error =
                file.string() + ":" + std::to_string(number) + ": expected library, listen or name = VALUE";
        }
        return false;
    }
    return true;
}

bool parseListenAddress(const std::string& text, std::string& host, int& port)
{
    std::string portText = text;
    const auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
        if (host.empty()) {
            host = "0.0.0.0";
        }
    }
    if (portText.empty() || portText.size() > 5 ||
        portText.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    port = std::stoi(portText);
    return port <= 65535;
}

} // namespace lanseek::service
