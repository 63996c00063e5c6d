// How a music folder becomes the list of songs the service offers.

#include "service/library_index.h"

#include "service_test_support.h"

#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

using lanseek::test::TempDir;
using lanseek::test::TestLibrary;
using lanseek::test::writeFile;

const Song* byName(const LibraryIndex& index, std::string_view name)
{
    for (const Song& song : index.songs()) {
        if (song.name == name) {
            return &song;
        }
    }
    return nullptr;
}

TEST(LibraryIndex, ListsPlayableFilesOnlyAndNamesThem)
{
    const TestLibrary library;
    const LibraryIndex index = LibraryIndex::scan(library.root());
    // track01, Night Train, pattern.rm, Static Noise, Harbor, the playlist and the bulk songs.
    EXPECT_EQ(index.songs().size(), 6 + TestLibrary::kBulkSongs);

    const Song* tagged = byName(index, "晨风乐队 - 海边的清晨");
    ASSERT_NE(tagged, nullptr);
    EXPECT_EQ(tagged->relativePath, "sub/track01.mp3");
    EXPECT_EQ(tagged->singer, "晨风乐队");
    EXPECT_EQ(tagged->album, "潮汐笔记");
    EXPECT_EQ(tagged->type, MediaType::Mp3);
    EXPECT_EQ(tagged->size, fs::file_size(library.root() / "sub" / "track01.mp3"));

    const Song* untagged = byName(index, "Blue Lantern - Night Train");
    ASSERT_NE(untagged, nullptr);
    EXPECT_EQ(untagged->singer, "Blue Lantern");
    EXPECT_EQ(untagged->album, "");

    const Song* upper = byName(index, "Static Noise");
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->type, MediaType::Wma);

    const Song* playlist = byName(index, "pattern stream");
    ASSERT_NE(playlist, nullptr);
    EXPECT_EQ(playlist->type, MediaType::Ram);
    EXPECT_EQ(playlist->album, "radio"); // the folder stands in for a missing album tag

    for (const Song& song : index.songs()) {
        EXPECT_EQ(song.relativePath.find("secret"), std::string::npos);
        EXPECT_EQ(song.relativePath.find("notes"), std::string::npos);
        EXPECT_NE(song.relativePath, "escape.mp3") << "a link leading out of the library was listed";
    }
    EXPECT_EQ(index.findByPath("sub/track01.mp3"), tagged);
    EXPECT_EQ(index.findByPath("../sub/track01.mp3"), nullptr);
}

TEST(LibraryIndex, TagsAreReadWhereverTheyLive)
{
    TempDir dir;
    // ID3v1 only: 128 bytes at the very end.
    std::string id3v1(128, '\0');
    id3v1.replace(0, 3, "TAG");
    id3v1.replace(3, 12, "Tin Roof Sky");
    id3v1.replace(33, 10, "Copper Fox");
    writeFile(dir.path() / "v1.mp3", lanseek::test::patternBytes(5000) + id3v1);
    // ASF tags in a real WMA file from the demo catalogue, under a name that says nothing.
    fs::copy_file(fs::path(LANSEEK_TEST_CATALOGUE) / "林小雨" / "纸飞机" / "林小雨 - 橘子汽水.wma",
                  dir.path() / "x.wma");
    {
        TagLib::FileRef ref((dir.path() / "x.wma").c_str());
        ASSERT_FALSE(ref.isNull());
        ref.tag()->setTitle("Velvet Rain");
        ref.tag()->setArtist("Mira Solenne");
        ref.save();
    }
    // Something else named ".mp3" is named from the file.
    writeFile(dir.path() / "Not Audio.mp3", std::string(64 * 1024, '\0'));

    const LibraryIndex index = LibraryIndex::scan(dir.path());
    EXPECT_NE(byName(index, "Copper Fox - Tin Roof Sky"), nullptr);
    EXPECT_NE(byName(index, "Mira Solenne - Velvet Rain"), nullptr);
    EXPECT_NE(byName(index, "Not Audio"), nullptr);
}

TEST(LibraryIndex, NoNameIsFoundOnAnEarlierResultLine)
{
    TempDir dir;
    for (const char* file : {"Night Train Extended Mix.mp3", "Night Train.mp3", "Train.mp3", "a/Train.mp3",
                             "b/Train.wma", "雨.mp3", "夜雨.mp3"}) {
        writeFile(dir.path() / file, "x");
    }
    const LibraryIndex index = LibraryIndex::scan(dir.path());
    const auto& songs = index.songs();
    ASSERT_EQ(songs.size(), 7u);
    for (std::size_t later = 0; later < songs.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            EXPECT_EQ(songs[earlier].name.find(songs[later].name), std::string::npos)
                << songs[later].name << " would be found on the line of " << songs[earlier].name;
        }
    }
    // Equal names are told apart, in path order.
    EXPECT_NE(byName(index, "Train"), nullptr);
    EXPECT_NE(byName(index, "Train (2)"), nullptr);
    EXPECT_NE(byName(index, "Train (3)"), nullptr);
    EXPECT_EQ(byName(index, "Train")->relativePath, "Train.mp3");
}

TEST(LibraryIndex, MatchesByWordTypeAlbumAndSinger)
{
    const TestLibrary library;
    const LibraryIndex index = LibraryIndex::scan(library.root());
    auto names = [&](SongFilter filter) {
        std::vector<std::string> found;
        for (const Song* song : index.match(filter)) {
            found.push_back(song->name);
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names({{"night train"}, SongFilter::Field::Name, std::nullopt}),
              std::vector<std::string>{"Blue Lantern - Night Train"});
    EXPECT_EQ(names({{"song"}, SongFilter::Field::Name, MediaType::Mp3}).size(), TestLibrary::kBulkSongs);
    EXPECT_TRUE(names({{"song"}, SongFilter::Field::Name, MediaType::Wma}).empty());
    EXPECT_EQ(names({{"pattern"}, SongFilter::Field::Name, std::nullopt}),
              (std::vector<std::string>{"pattern", "pattern stream"}));
    EXPECT_EQ(names({{"pattern"}, SongFilter::Field::Name, MediaType::Rm}),
              std::vector<std::string>{"pattern"});
    EXPECT_EQ(names({{"潮汐笔记"}, SongFilter::Field::Album, std::nullopt}),
              std::vector<std::string>{"晨风乐队 - 海边的清晨"});
    EXPECT_TRUE(names({{"潮汐"}, SongFilter::Field::Album, std::nullopt}).empty());
    EXPECT_EQ(names({{"blue lantern"}, SongFilter::Field::Singer, std::nullopt}),
              std::vector<std::string>{"Blue Lantern - Night Train"});
    EXPECT_TRUE(names({{}, SongFilter::Field::Name, std::nullopt}).empty());
}

TEST(LibraryIndex, SingersAndTheirGenders)
{
    const TestLibrary library;
    const LibraryIndex index = LibraryIndex::scan(library.root());
    EXPECT_EQ(index.singers(), (std::vector<std::string>{"Blue Lantern", "晨风乐队"}));
    EXPECT_EQ(index.genderOf("晨风乐队"), Gender::Male);
    EXPECT_EQ(index.genderOf("Blue Lantern"), Gender::Unknown);
}

TEST(LibraryIndex, MissingFolderIsAnError)
{
    TempDir dir;
    EXPECT_THROW(LibraryIndex::scan(dir.path() / "nothing"), fs::filesystem_error);
    writeFile(dir.path() / "file.mp3", "x");
    EXPECT_THROW(LibraryIndex::scan(dir.path() / "file.mp3"), fs::filesystem_error);
}

} // namespace
} // namespace lanseek::service
