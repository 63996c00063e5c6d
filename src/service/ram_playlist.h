#pragma once

// RealMedia playlists (".ram") name the files to play, one address a line. Playlists in a shared folder
// name their files relative to themselves, since the folder does not know the address it will be served
// under; the service turns such lines into full addresses on the way out.

#include <string>
#include <string_view>

namespace lanseek::service {

// Rewrites every line of `content` that is neither empty, a comment ('#') nor an address with a scheme
// into "songBase/<folder of the playlist>/<line>", percent-encoded. songBase is "http://host/music".
// Lines that would lead outside the library folder stay as they are. Line ends are kept.
std::string rewriteRamPlaylist(std::string_view content, std::string_view songBase,
                               std::string_view playlistPath);

} // namespace lanseek::service
