// Songs as real shared folders name them: GBK written into tag fields that declare Latin-1, file names
// that are not UTF-8 or hold a line break, and links that name a song a second time. Each must be found
// by a search and fetched by the address its result line gives.

#include "service/library_index.h"
#include "service/search_service.h"

#include "service_test_support.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

using lanseek::test::gbkQueryWord;
using lanseek::test::PageReading;
using lanseek::test::patternBytes;
using lanseek::test::readPage;
using lanseek::test::TempDir;
using lanseek::test::writeFile;

// GBK bytes of a few test strings, written out so that the test does not lean on the codec it checks.
// 雨巷诗社 / 纸灯笼的约定 / 晚风拥抱 / 石桥居士 / 彩虹桥
const std::string kSingerV1 = "\xD3\xEA\xCF\xEF\xCA\xAB\xC9\xE7";
const std::string kTitleV1 = "\xD6\xBD\xB5\xC6\xC1\xFD\xB5\xC4\xD4\xBC\xB6\xA8";
const std::string kTitleV23 = "\xCD\xED\xB7\xE7\xD3\xB5\xB1\xA7";
const std::string kSingerV23 = "\xCA\xAF\xC7\xC5\xBE\xD3\xCA\xBF";
const std::string kGbkFileName = "\xB2\xCA\xBA\xE7\xC7\xC5.mp3";

// MPEG audio without tags, cut from a demo song, so that the tag reader takes the files for MP3s.
std::string plainAudio()
{
    const fs::path source = fs::path(LANSEEK_TEST_CATALOGUE) / "周远航" / "北行" / "周远航 - 河岸的篝火.mp3";
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    if (bytes.rfind("ID3", 0) == 0 && bytes.size() > 10) {
        auto b = [&bytes](std::size_t i) {
            return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i]));
        };
        start = 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
    }
    bytes.erase(0, start);
    if (bytes.size() >= 128 && bytes.compare(bytes.size() - 128, 3, "TAG") == 0) {
        bytes.resize(bytes.size() - 128);
    }
    return bytes;
}

std::string padded(std::string text, std::size_t length)
{
    text.resize(length, '\0');
    return text;
}

std::string id3v1(const std::string& title, const std::string& artist)
{
    return "TAG" + padded(title, 30) + padded(artist, 30) + padded("", 30) + "2004" + padded("", 30) + "\xFF";
}

// An ID3v2.3 tag whose text frames all use text encoding 0, which declares Latin-1.
std::string id3v23(const std::vector<std::pair<std::string, std::string>>& frames)
{
    std::string body;
    for (const auto& [id, text] : frames) {
        const std::size_t size = text.size() + 1;
        body += id;
        body += static_cast<char>((size >> 24) & 0xFF);
        body += static_cast<char>((size >> 16) & 0xFF);
        body += static_cast<char>((size >> 8) & 0xFF);
        body += static_cast<char>(size & 0xFF);
        body += std::string("\0\0\0", 3); // flags, then the encoding byte
        body += text;
    }
    const std::size_t size = body.size();
    std::string head = std::string("ID3\x03\x00\x00", 6);
    head += static_cast<char>((size >> 21) & 0x7F);
    head += static_cast<char>((size >> 14) & 0x7F);
    head += static_cast<char>((size >> 7) & 0x7F);
    head += static_cast<char>(size & 0x7F);
    return head + body;
}

class SharedNames : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir();
        const fs::path root = s_dir->path();
        const std::string audio = plainAudio();
        writeFile(root / "v1.mp3", audio + id3v1(kTitleV1, kSingerV1));
        writeFile(root / "v23.mp3", id3v23({{"TIT2", kTitleV23}, {"TPE1", kSingerV23}}) + audio);
        writeFile(root / "western.mp3", id3v23({{"TIT2", "Caf\xE9 M\xFCller"},
                                                {"TPE1", "\xC5sa \xD6"
                                                         "berg"}}) +
                                            audio);
        writeFile(root / kGbkFileName, patternBytes(5000, 9));
        writeFile(root / "Ol\xE9 \xFF.mp3", patternBytes(300, 4));
        writeFile(root / "two\nlines.mp3", patternBytes(400, 5));
        fs::create_directories(root / "links");
        fs::create_symlink(root / "v1.mp3", root / "links" / "again.mp3");
        fs::create_symlink("../v23.mp3", root / "links" / "relative.mp3");

        s_service = new SearchService(ServiceOptions{root, "127.0.0.1", 0});
        std::string error;
        ASSERT_TRUE(s_service->start(&error)) << error;
    }
    static void TearDownTestSuite()
    {
        delete s_service;
        delete s_dir;
        s_service = nullptr;
        s_dir = nullptr;
    }

    static std::vector<lanseek::test::PageLink> results(const std::string& word)
    {
        httplib::Client cli("127.0.0.1", s_service->port());
        auto res = cli.Get(("/m?tn=baidump3&ct=134217728&rn=&word=" + word + "&lm=-1").c_str());
        EXPECT_TRUE(res);
        return res ? readPage(res->body).linksContaining("/r?url=") : std::vector<lanseek::test::PageLink>{};
    }
    // The body the address of a result link leads to.
    static std::optional<std::string> fetch(const lanseek::test::PageLink& link)
    {
        const std::string base = s_service->baseUrl();
        const std::string address = link.href.substr(link.href.find("/r?url=") + 7);
        if (address.rfind(base, 0) != 0) {
            return std::nullopt;
        }
        httplib::Client cli("127.0.0.1", s_service->port());
        cli.set_url_encode(false);
        auto res = cli.Get(address.substr(base.size()).c_str());
        if (!res || res->status != 200) {
            return std::nullopt;
        }
        return res->body;
    }

    static TempDir* s_dir;
    static SearchService* s_service;
};

TempDir* SharedNames::s_dir = nullptr;
SearchService* SharedNames::s_service = nullptr;

TEST_F(SharedNames, GbkInLatinTagFieldsIsFoundByAChineseSearch)
{
    auto v1 = results(gbkQueryWord("约定"));
    ASSERT_EQ(v1.size(), 1u);
    EXPECT_EQ(v1[0].text, "雨巷诗社 - 纸灯笼的约定");

    auto v23 = results(gbkQueryWord("拥抱"));
    ASSERT_EQ(v23.size(), 1u);
    EXPECT_EQ(v23[0].text, "石桥居士 - 晚风拥抱");
    // The browser's address bar sends UTF-8; the same song is found.
    EXPECT_EQ(results("%E6%8B%A5%E6%8A%B1").size(), 1u);
}

TEST_F(SharedNames, RealLatinTitlesStayLatin)
{
    auto western = results("m%C3%BCller");
    ASSERT_EQ(western.size(), 1u);
    EXPECT_EQ(western[0].text, "Åsa Öberg - Café Müller");
}

TEST_F(SharedNames, NameThatIsNotUtf8IsFoundAndServedByItsBytes)
{
    auto found = results(gbkQueryWord("彩虹"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].text, "彩虹桥");
    EXPECT_NE(found[0].href.find("/music/%B2%CA%BA%E7%C7%C5.mp3"), std::string::npos) << found[0].href;
    const auto body = fetch(found[0]);
    ASSERT_TRUE(body);
    EXPECT_TRUE(*body == patternBytes(5000, 9));

    // Bytes that are not GB18030 either read as Latin-1.
    auto latin = results("ol%C3%A9");
    ASSERT_EQ(latin.size(), 1u);
    EXPECT_EQ(latin[0].text, "Olé ÿ");
    const auto latinBody = fetch(latin[0]);
    ASSERT_TRUE(latinBody);
    EXPECT_TRUE(*latinBody == patternBytes(300, 4));
}

TEST_F(SharedNames, LineBreakInANameIsServedThroughItsEscape)
{
    auto found = results("two%20lines");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].href.find("/music/two%0Alines.mp3"), std::string::npos) << found[0].href;
    const auto body = fetch(found[0]);
    ASSERT_TRUE(body);
    EXPECT_TRUE(*body == patternBytes(400, 5));
}

TEST_F(SharedNames, LinksInsideTheLibraryDoNotDoubleASong)
{
    EXPECT_EQ(s_service->songCount(), 6u);
    const auto v1 = results(gbkQueryWord("约定"));
    ASSERT_EQ(v1.size(), 1u);
    EXPECT_NE(v1[0].href.find("/music/v1.mp3"), std::string::npos) << "listed under the file's own name";

    const LibraryIndex index = LibraryIndex::scan(s_dir->path());
    for (const Song& song : index.songs()) {
        EXPECT_EQ(song.relativePath.rfind("links/", 0), std::string::npos) << song.relativePath;
    }
}

TEST(SharedLinks, LinkAloneNamesTheSongWhenItsFileIsOutOfSight)
{
    // The file itself sits in a hidden folder, which the scan skips; the link is then the song's only
    // name and the song is still offered once.
    TempDir dir;
    writeFile(dir.path() / ".store" / "kept.mp3", "kept");
    fs::create_symlink(".store/kept.mp3", dir.path() / "Kept Song.mp3");
    fs::create_symlink(".store/kept.mp3", dir.path() / "Kept Again.mp3");
    const LibraryIndex index = LibraryIndex::scan(dir.path());
    ASSERT_EQ(index.songs().size(), 1u);
}

} // namespace
} // namespace lanseek::service
