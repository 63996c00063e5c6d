#include "service/library_index.h"

#include "service/text_codec.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

// A music folder shared over a LAN may be large; beyond this many files the rest are left out rather
// than letting one scan run without end.
constexpr std::size_t kMaxSongs = 200000;

std::string tagText(const TagLib::String& text)
{
    return collapseWhitespace(text.to8Bit(true));
}

bool isInside(const fs::path& root, const fs::path& candidate)
{
    auto r = root.begin();
    auto c = candidate.begin();
    for (; r != root.end(); ++r, ++c) {
        if (c == candidate.end() || *r != *c) {
            return false;
        }
    }
    return true;
}

std::size_t gbkLength(const std::string& utf8)
{
    return utf8ToGbkHtml(utf8).size();
}

std::vector<std::pair<std::string, Gender>> readGenders(const fs::path& root)
{
    std::vector<std::pair<std::string, Gender>> genders;
    std::ifstream in(root / "singers.txt", std::ios::binary);
    std::string line;
    while (genders.size() < 10000 && std::getline(in, line)) {
        const std::string text = collapseWhitespace(line);
        Gender gender = Gender::Unknown;
        if (text.rfind("男 ", 0) == 0) {
            gender = Gender::Male;
        } else if (text.rfind("女 ", 0) == 0) {
            gender = Gender::Female;
        } else {
            continue;
        }
        const std::string name = text.substr(std::string_view("男 ").size());
        if (!name.empty()) {
            genders.emplace_back(foldCase(name), gender);
        }
    }
    return genders;
}

} // namespace

std::optional<MediaType> mediaTypeOfFile(const fs::path& file)
{
    const std::string extension = asciiLower(file.extension().string());
    if (extension == ".mp3") {
        return MediaType::Mp3;
    }
    if (extension == ".rm") {
        return MediaType::Rm;
    }
    if (extension == ".wma") {
        return MediaType::Wma;
    }
    if (extension == ".asf") {
        return MediaType::Asf;
    }
    if (extension == ".ram") {
        return MediaType::Ram;
    }
    return std::nullopt;
}

std::string_view mediaTypeText(MediaType type)
{
    switch (type) {
    case MediaType::Mp3:
        return "mp3";
    case MediaType::Rm:
        return "rm";
    case MediaType::Wma:
        return "wma";
    case MediaType::Asf:
        return "asf";
    case MediaType::Ram:
        return "ram";
    }
    return "mp3";
}

std::string_view mediaTypeMime(MediaType type)
{
    switch (type) {
    case MediaType::Mp3:
        return "audio/mpeg";
    case MediaType::Rm:
        return "application/vnd.rn-realmedia";
    case MediaType::Wma:
        return "audio/x-ms-wma";
    case MediaType::Asf:
        return "video/x-ms-asf";
    case MediaType::Ram:
        return "audio/x-pn-realaudio";
    }
    return "application/octet-stream";
}

SongNaming nameSong(const fs::path& file, bool inSubfolder)
{
    SongNaming naming;
    std::string title;
    {
        TagLib::FileRef ref(file.c_str(), false);
        if (!ref.isNull() && ref.tag() != nullptr) {
            title = tagText(ref.tag()->title());
            naming.singer = tagText(ref.tag()->artist());
            naming.album = tagText(ref.tag()->album());
        }
    }
    if (!title.empty()) {
        naming.name = naming.singer.empty() ? title : naming.singer + " - " + title;
    } else {
        naming.name = collapseWhitespace(file.stem().string());
        if (naming.name.empty()) {
            naming.name = collapseWhitespace(file.filename().string());
        }
        const auto dash = naming.name.find(" - ");
        if (naming.singer.empty() && dash != std::string::npos && dash > 0) {
            naming.singer = naming.name.substr(0, dash);
        }
    }
    if (naming.album.empty() && inSubfolder) {
        naming.album = collapseWhitespace(file.parent_path().filename().string());
    }
    return naming;
}

LibraryIndex LibraryIndex::scan(const fs::path& folder)
{
    LibraryIndex index;
    index.m_root = fs::canonical(folder);
    if (!fs::is_directory(index.m_root)) {
        throw fs::filesystem_error("not a folder", folder, std::make_error_code(std::errc::not_a_directory));
    }
    index.m_genders = readGenders(index.m_root);

    std::error_code ec;
    fs::recursive_directory_iterator it(index.m_root, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        throw fs::filesystem_error("cannot read the library folder", folder, ec);
    }
    std::vector<std::pair<Song, std::size_t>> found; // song, GBK length of its name
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            ec.clear();
            continue;
        }
        const fs::directory_entry& entry = *it;
        const std::string leaf = entry.path().filename().string();
        if (!leaf.empty() && leaf.front() == '.') {
            if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        const auto type = mediaTypeOfFile(entry.path());
        if (!type || !entry.is_regular_file(ec)) {
            continue;
        }
        // A link may point anywhere; only files that really live inside the library are shared.
        const fs::path real = fs::canonical(entry.path(), ec);
        if (ec || !isInside(index.m_root, real)) {
            ec.clear();
            continue;
        }
        Song song;
        song.relativePath = entry.path().lexically_relative(index.m_root).generic_string();
        song.type = *type;
        song.size = fs::file_size(real, ec);
        if (ec) {
            ec.clear();
            continue;
        }
        const SongNaming naming = nameSong(entry.path(), it.depth() > 0);
        song.name = naming.name;
        song.singer = naming.singer;
        song.album = naming.album;
        found.emplace_back(std::move(song), 0);
        if (found.size() >= kMaxSongs) {
            break;
        }
    }

    // Two files with the same name would share one result line, and the program takes a song's size and
    // type from the first line holding its name; later ones are told apart by a number.
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first.relativePath < b.first.relativePath; });
    std::set<std::string> used;
    for (auto& [song, length] : found) {
        std::string candidate = song.name;
        for (int n = 2; used.count(candidate) != 0; ++n) {
            candidate = song.name + " (" + std::to_string(n) + ")";
        }
        song.name = candidate;
        used.insert(candidate);
        song.foldedName = foldCase(song.name);
        song.foldedSinger = foldCase(song.singer);
        song.foldedAlbum = foldCase(song.album);
        length = gbkLength(song.name);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.second != b.second) {
            return a.second < b.second;
        }
        if (a.first.foldedName != b.first.foldedName) {
            return a.first.foldedName < b.first.foldedName;
        }
        return a.first.relativePath < b.first.relativePath;
    });
    index.m_songs.reserve(found.size());
    for (auto& entry : found) {
        index.m_byPath.emplace(entry.first.relativePath, index.m_songs.size());
        index.m_songs.push_back(std::move(entry.first));
    }
    return index;
}

const Song* LibraryIndex::findByPath(std::string_view relativePath) const
{
    const auto it = m_byPath.find(std::string(relativePath));
    return it == m_byPath.end() ? nullptr : &m_songs[it->second];
}

std::vector<const Song*> LibraryIndex::match(const SongFilter& filter) const
{
    std::vector<const Song*> matches;
    if (filter.words.empty()) {
        return matches;
    }
    for (const Song& song : m_songs) {
        if (filter.type && song.type != *filter.type) {
            continue;
        }
        const bool hit = std::any_of(filter.words.begin(), filter.words.end(), [&](const std::string& word) {
            switch (filter.field) {
            case SongFilter::Field::Name:
                return !word.empty() && song.foldedName.find(word) != std::string::npos;
            case SongFilter::Field::Album:
                return !song.foldedAlbum.empty() && song.foldedAlbum == word;
            case SongFilter::Field::Singer:
                return !song.foldedSinger.empty() && song.foldedSinger == word;
            }
            return false;
        });
        if (hit) {
            matches.push_back(&song);
        }
    }
    return matches;
}

std::vector<std::string> LibraryIndex::singers() const
{
    std::map<std::string, std::string> byFolded;
    for (const Song& song : m_songs) {
        if (!song.singer.empty()) {
            byFolded.emplace(song.foldedSinger, song.singer);
        }
    }
    std::vector<std::string> names;
    names.reserve(byFolded.size());
    for (auto& [folded, name] : byFolded) {
        names.push_back(name);
    }
    return names;
}

Gender LibraryIndex::genderOf(std::string_view singer) const
{
    const std::string folded = foldCase(singer);
    for (const auto& [name, gender] : m_genders) {
        if (name == folded) {
            return gender;
        }
    }
    return Gender::Unknown;
}

} // namespace lanseek::service
