#include "service/ram_playlist.h"

#include "service/text_codec.h"

#include <filesystem>

namespace lanseek::service {
namespace {

bool hasScheme(std::string_view line)
{
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = line[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string rewriteRamPlaylist(std::string_view content, std::string_view songBase,
                               std::string_view playlistPath)
{
    const std::filesystem::path folder = std::filesystem::path(std::string(playlistPath)).parent_path();
    std::string out;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        end = end == std::string_view::npos ? content.size() : end + 1;
        std::string_view line = content.substr(pos, end - pos);
        pos = end;

        std::size_t textEnd = line.size();
        while (textEnd > 0 && (line[textEnd - 1] == '\n' || line[textEnd - 1] == '\r')) {
            --textEnd;
        }
        const std::string_view lineEnd = line.substr(textEnd);
        std::string_view text = line.substr(0, textEnd);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        }
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        }
        if (text.empty() || text.front() == '#' || hasScheme(text) || text.front() == '/') {
            out += line;
            continue;
        }
        const std::string target = (folder / std::string(text)).lexically_normal().generic_string();
        if (target.empty() || target.rfind("..", 0) == 0) {
            out += line;
            continue;
        }
        out += std::string(songBase) + "/" + percentEncode(target, "/");
        out += lineEnd;
    }
    return out;
}

} // namespace lanseek::service
