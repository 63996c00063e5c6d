#include "service/library_index.h"

#include "service/service_log.h"
#include "service/text_codec.h"

#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <unordered_set>

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

TagLib::String legacyTagString(const TagLib::ByteVector& data)
{
    return TagLib::String(legacyTagText(std::string_view(data.data(), data.size())), TagLib::String::UTF8);
}

// ID3v1 and ID3v2 frames with text encoding 0 declare Latin-1, but Chinese collections write GBK into
// them; these readers take such text as GBK and leave real Latin-1 alone.
class LegacyId3v1Text : public TagLib::ID3v1::StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override { return legacyTagString(data); }
};

class LegacyId3v2Text : public TagLib::ID3v2::Latin1StringHandler
{
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override { return legacyTagString(data); }
};

// The tag library keeps one reader of each kind for the whole process; ours are installed once and
// never replaced, so they outlive every file being read.
void installLegacyTextReaders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        static const LegacyId3v1Text v1;
        static const LegacyId3v2Text v2;
        TagLib::ID3v1::Tag::setStringHandler(&v1);
        TagLib::ID3v2::Tag::setLatin1StringHandler(&v2);
    });
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

// Reading tags searches a file that does not look like audio from end to end, which takes seconds for a
// few megabytes of something else named ".mp3". Only files showing a tag where tags live are handed on:
// MP3 with ID3v2 in front, or ID3v1 or APE at the end; ASF with its header object in front.
bool mayCarryTags(const fs::path& file)
{
    const auto type = mediaTypeOfFile(file);
    if (type != MediaType::Mp3 && type != MediaType::Wma && type != MediaType::Asf) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    char head[16] = {};
    if (!in.read(head, sizeof head)) {
        return false;
    }
    if (type != MediaType::Mp3) {
        static constexpr unsigned char kAsfHeader[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                         0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
        return std::memcmp(head, kAsfHeader, sizeof kAsfHeader) == 0;
    }
    if (std::memcmp(head, "ID3", 3) == 0) {
        return true;
    }
    // ID3v1 is the last 128 bytes; an APE footer of 32 bytes ends the file or sits just before ID3v1.
    char tail[160] = {};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < static_cast<std::streamoff>(sizeof tail)) {
        return false;
    }
    in.seekg(size - static_cast<std::streamoff>(sizeof tail));
    if (!in.read(tail, sizeof tail)) {
        return false;
    }
    return std::memcmp(tail + 32, "TAG", 3) == 0 || std::memcmp(tail + 128, "APETAGEX", 8) == 0 ||
           std::memcmp(tail, "APETAGEX", 8) == 0;
}

} // namespace

bool isInsideFolder(const fs::path& folder, const fs::path& candidate)
{
    auto f = folder.begin();
    auto c = candidate.begin();
    for (; f != folder.end(); ++f, ++c) {
        if (c == candidate.end() || *f != *c) {
            return false;
        }
    }
    return true;
}

namespace {

// Each media type once: its file extension, the text that names it and the type it is served as.
struct MediaTypeInfo
{
    MediaType type;
    std::string_view extension;
    std::string_view text;
    std::string_view mime;
};

constexpr MediaTypeInfo kMediaTypes[] = {
    {MediaType::Mp3, ".mp3", "mp3", "audio/mpeg"},
    {MediaType::Rm, ".rm", "rm", "application/vnd.rn-realmedia"},
    {MediaType::Wma, ".wma", "wma", "audio/x-ms-wma"},
    {MediaType::Asf, ".asf", "asf", "video/x-ms-asf"},
    {MediaType::Ram, ".ram", "ram", "audio/x-pn-realaudio"},
};

const MediaTypeInfo* infoOf(MediaType type)
{
    for (const MediaTypeInfo& info : kMediaTypes) {
        if (info.type == type)
            return &info;
    }
    return nullptr;
}

} // namespace

std::optional<MediaType> mediaTypeOfFile(const fs::path& file)
{
    const std::string extension = asciiLower(file.extension().string());
    for (const MediaTypeInfo& info : kMediaTypes) {
        if (extension == info.extension)
            return info.type;
    }
    return std::nullopt;
}

std::string_view mediaTypeText(MediaType type)
{
    const MediaTypeInfo* info = infoOf(type);
    return info ? info->text : "mp3";
}

std::string_view mediaTypeMime(MediaType type)
{
    const MediaTypeInfo* info = infoOf(type);
    return info ? info->mime : "application/octet-stream";
}

SongNaming nameSong(const fs::path& file, bool inSubfolder)
{
    SongNaming naming;
    std::string title;
    if (mayCarryTags(file)) {
        installLegacyTextReaders();
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
        naming.name = collapseWhitespace(fileNameText(file.stem().string()));
        if (naming.name.empty()) {
            naming.name = collapseWhitespace(fileNameText(file.filename().string()));
        }
        const auto dash = naming.name.find(" - ");
        if (naming.singer.empty() && dash != std::string::npos && dash > 0) {
            naming.singer = naming.name.substr(0, dash);
        }
    }
    if (naming.album.empty() && inSubfolder) {
        naming.album = collapseWhitespace(fileNameText(file.parent_path().filename().string()));
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
    // One entry per real file: a link to a song inside the library names the same file again. The file
    // is listed under its own name when the scan meets it, else under the first link's.
    std::unordered_map<std::string, std::size_t> byRealPath;
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            qCDebug(serviceLog).noquote()
                << QStringLiteral("skipped an entry of the library that cannot be read: %1")
                       .arg(QString::fromStdString(ec.message()));
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
        if (ec || !isInsideFolder(index.m_root, real)) {
            qCDebug(serviceLog).noquote()
                << QStringLiteral("not shared, it does not resolve to a file inside the library: %1")
                       .arg(QString::fromStdString(entry.path().string()));
            ec.clear();
            continue;
        }
        const bool isLink = entry.is_symlink(ec);
        const auto seen = byRealPath.find(real.native());
        if (seen != byRealPath.end() && isLink) {
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
        if (seen != byRealPath.end()) {
            found[seen->second].first = std::move(song); // the file itself, met after a link to it
            continue;
        }
        byRealPath.emplace(real.native(), found.size());
        found.emplace_back(std::move(song), 0);
        if (found.size() >= kMaxSongs) {
            qCWarning(serviceLog).noquote()
                << QStringLiteral("the library holds more songs than the %1 it shares").arg(kMaxSongs);
            break;
        }
    }

    // Two files with the same name would share one result line, and the program takes a song's size and
    // type from the first line holding its name; later ones are told apart by a number.
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first.relativePath < b.first.relativePath; });
    // The next number to try for each name, so that a folder holding the same song many times over is
    // numbered in one pass rather than counting up from 2 for every copy.
    std::unordered_set<std::string> used;
    std::unordered_map<std::string, int> nextNumber;
    for (auto& [song, length] : found) {
        std::string candidate = song.name;
        if (used.count(candidate) != 0) {
            int& n = nextNumber.try_emplace(song.name, 2).first->second;
            do {
                candidate = song.name + " (" + std::to_string(n++) + ")";
            } while (used.count(candidate) != 0);
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
    const auto it = m_byPath.find(relativePath);
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
