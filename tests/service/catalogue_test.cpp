// The demo catalogue shipped with the program: found at run time, and enough songs of every type.

#include "service/library_index.h"
#include "service/search_service.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

TEST(Catalogue, IsFoundAndOffersEveryType)
{
    const fs::path dir = bundledCatalogueDir();
    ASSERT_FALSE(dir.empty());
    const LibraryIndex index = LibraryIndex::scan(dir);
    EXPECT_GE(index.songs().size(), 45u);

    std::set<MediaType> types;
    std::size_t chinese = 0;
    std::size_t latin = 0;
    std::uintmax_t bytes = 0;
    for (const Song& song : index.songs()) {
        types.insert(song.type);
        bytes += song.size;
        if (static_cast<unsigned char>(song.name[0]) >= 0x80) {
            ++chinese;
        } else {
            ++latin;
        }
    }
    EXPECT_EQ(types.size(), 5u);
    EXPECT_GE(chinese, 10u);
    EXPECT_GE(latin, 10u);
    EXPECT_LT(bytes, 3u * 1024 * 1024);

    // A common word fills more than one result page of MP3s.
    SongFilter filter{{"的"}, SongFilter::Field::Name, MediaType::Mp3};
    EXPECT_GT(index.match(filter).size(), 30u);

    EXPECT_NE(index.genderOf("周远航"), Gender::Unknown);
}

TEST(Catalogue, PlaylistsNameSongsThatExist)
{
    const fs::path dir = bundledCatalogueDir();
    ASSERT_FALSE(dir.empty());
    const LibraryIndex index = LibraryIndex::scan(dir);
    int playlists = 0;
    for (const Song& song : index.songs()) {
        if (song.type != MediaType::Ram) {
            continue;
        }
        ++playlists;
        std::ifstream in(dir / song.relativePath);
        std::string line;
        ASSERT_TRUE(std::getline(in, line));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const fs::path target = (fs::path(song.relativePath).parent_path() / line).lexically_normal();
        const Song* named = index.findByPath(target.generic_string());
        ASSERT_NE(named, nullptr) << song.relativePath << " names " << line;
        EXPECT_EQ(named->type, MediaType::Rm);
    }
    EXPECT_GE(playlists, 1);
}

} // namespace
} // namespace lanseek::service
