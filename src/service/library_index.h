#pragma once

// The music library as the service sees it: every playable file under one folder, with the name, singer
// and album each is listed under, kept in the order result pages list them.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lanseek::service {

// The five kinds of song the search offers, numbered as the query value "lm" numbers them.
enum class MediaType { Mp3 = 0, Rm = 1, Wma = 2, Asf = 3, Ram = 4 };

// The media type of a file name by its extension, case-insensitively; nothing for other files.
std::optional<MediaType> mediaTypeOfFile(const std::filesystem::path& file);
// "mp3", "rm", "wma", "asf" or "ram".
std::string_view mediaTypeText(MediaType type);
std::string_view mediaTypeMime(MediaType type);

// Whether `candidate` is `folder` or lies below it. Both must be canonical paths (no links, no ".."),
// so that comparing them part by part decides where the file really is.
bool isInsideFolder(const std::filesystem::path& folder, const std::filesystem::path& candidate);

enum class Gender { Unknown, Male, Female };

struct Song
{
    std::string relativePath; // '/'-separated path below the library folder, in the file system's bytes
    std::string name;         // the name result pages show; unique within one index
    std::string singer;       // may be empty
    std::string album;        // may be empty
    MediaType type = MediaType::Mp3;
    std::uintmax_t size = 0;
    std::string foldedName; // case-folded name, for matching
    std::string foldedSinger;
    std::string foldedAlbum;
};

// What one query asks for: songs whose folded name contains any of the words (alternative readings of
// the same typed text), or, for album and singer lookups, whose album or singer equals one of them.
struct SongFilter
{
    enum class Field { Name, Album, Singer };
    std::vector<std::string> words; // case-folded, whitespace-collapsed, non-empty
    Field field = Field::Name;
    std::optional<MediaType> type; // nothing: every type
};

class LibraryIndex
{
public:
    // Reads names from tags where files carry them. Throws std::filesystem::filesystem_error when the
    // folder itself cannot be read; unreadable files and folders inside it are left out.
    static LibraryIndex scan(const std::filesystem::path& folder);

    const std::filesystem::path& root() const { return m_root; }
    // Songs in listing order: shorter names (in GBK bytes) first, then by folded name, then by path.
    // Because a name can only contain names no longer than itself, no result line on a page contains the
    // name of a song listed after it, and each song's name is first found on its own line.
    const std::vector<Song>& songs() const { return m_songs; }
    const Song* findByPath(std::string_view relativePath) const;
    std::vector<const Song*> match(const SongFilter& filter) const;

    // Distinct singer names, sorted by folded name.
    std::vector<std::string> singers() const;
    // From the optional "singers.txt" in the library folder (lines "男 NAME" or "女 NAME").
    Gender genderOf(std::string_view singer) const;

private:
    std::filesystem::path m_root;
    std::vector<Song> m_songs;
    // Looked up by a view of the request's path, without copying it.
    struct PathHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view path) const { return std::hash<std::string_view>{}(path); }
    };
    std::unordered_map<std::string, std::size_t, PathHash, std::equal_to<>> m_byPath;
    std::vector<std::pair<std::string, Gender>> m_genders; // folded singer name, gender
};

// The display name, singer and album of a file, from its tags where it has them. The name is
// "singer - title" when both tags are set, the title alone without a singer, and the file name without
// its extension when the file has no title; a file name of the form "singer - title" also gives the
// singer. The album is the album tag, else the name of the folder holding the file (none at the top).
struct SongNaming
{
    std::string name;
    std::string singer;
    std::string album;
};
SongNaming nameSong(const std::filesystem::path& file, bool inSubfolder);

} // namespace lanseek::service
