#pragma once

// Shared pieces of the service tests: a small music library built in a temporary folder, and a plain
// reading of a served page into the text lines and links the program works with.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lanseek::test {

// A temporary folder removed when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The content every test file of a given size holds, so that a range can be checked byte by byte.
std::string patternBytes(std::size_t size, unsigned seed = 0);
void writeFile(const std::filesystem::path& file, std::string_view bytes);

// A library with tagged and untagged songs of all five types:
//   sub/track01.mp3            tags: 晨风乐队 / 海边的清晨 / album 潮汐笔记  (name "晨风乐队 - 海边的清晨")
//   Blue Lantern - Night Train.mp3   no tags (name from the file; singer Blue Lantern)
//   pattern.rm                 100000 pattern bytes, untagged
//   Static Noise.WMA           upper-case extension
//   Harbor.asf                 untagged
//   radio/pattern stream.ram   names "../pattern.rm"
//   bulk/Song 01.mp3 ... Song 35.mp3   for paging
//   notes.txt, .hidden/secret.mp3   never listed
//   singers.txt                男 晨风乐队
class TestLibrary
{
public:
    TestLibrary();
    const std::filesystem::path& root() const { return m_dir.path(); }
    // A file outside the library, for links that try to lead out of it.
    const std::filesystem::path& outside() const { return m_outsideFile; }

    static constexpr std::size_t kBulkSongs = 35;
    static constexpr std::size_t kPatternSize = 100000;

private:
    TempDir m_dir;
    TempDir m_outsideDir;
    std::filesystem::path m_outsideFile;
};

struct PageLink
{
    std::string href; // entities decoded
    std::string text;
};

// A page read the way the program's browser presents it: body text broken into lines at block elements
// and <br>, white space collapsed, empty lines dropped; links in document order. Input is GBK.
struct PageReading
{
    std::vector<std::string> lines; // UTF-8
    std::vector<PageLink> links;

    // The first line containing text, as the program looks a result's line up; empty when none.
    std::string firstLineWith(std::string_view text) const;
    std::vector<PageLink> linksContaining(std::string_view part) const;
};
PageReading readPage(std::string_view gbkHtml);

// Sends one request exactly as written to 127.0.0.1:port and returns the raw response (status line,
// headers and body) once the server closes the connection. No client library touches either side.
std::string rawExchange(int port, const std::string& request);

// GBK bytes of UTF-8 text, percent-encoded, as the program puts a word into a query address.
std::string gbkQueryWord(std::string_view utf8);

} // namespace lanseek::test
