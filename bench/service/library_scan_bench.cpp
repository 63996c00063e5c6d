// How long indexing a shared folder takes: real tagged MP3s against files of the same size that only
// carry the extension. Tag readers search such files from end to end; the index must not.

#include "service/library_index.h"
#include "service/search_service.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

double medianSeconds(const fs::path& folder, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const auto index = lanseek::service::LibraryIndex::scan(folder);
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (index.songs().empty()) {
            std::printf("no songs indexed in %s\n", folder.c_str());
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    const fs::path catalogue = lanseek::service::bundledCatalogueDir();
    if (catalogue.empty()) {
        std::printf("no demo catalogue found\n");
        return 1;
    }
    std::mt19937 random(7);
    const fs::path root = fs::temp_directory_path() / ("lanseek-scan-bench-" + std::to_string(random()));
    const fs::path real = root / "real";
    const fs::path fake = root / "fake";
    fs::create_directories(real);
    fs::create_directories(fake);
    constexpr int kFiles = 200;
    constexpr std::size_t kFakeSize = 1024 * 1024;
    std::vector<fs::path> sources;
    for (const auto& entry : fs::recursive_directory_iterator(catalogue)) {
        if (entry.path().extension() == ".mp3") {
            sources.push_back(entry.path());
        }
    }
    std::string noise(kFakeSize, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() & 0xFF);
    }
    for (int i = 0; i < kFiles; ++i) {
        fs::copy_file(sources[static_cast<std::size_t>(i) % sources.size()],
                      real / (std::to_string(i) + ".mp3"));
        std::ofstream(fake / (std::to_string(i) + ".mp3"), std::ios::binary)
            .write(noise.data(), noise.size());
    }

    const double realTime = medianSeconds(real, 5);
    const double fakeTime = medianSeconds(fake, 5);
    std::printf("scan of %d tagged demo MP3s:          %.1f ms (%.3f ms a file)\n", kFiles, realTime * 1e3,
                realTime * 1e3 / kFiles);
    std::printf("scan of %d 1 MiB non-audio \".mp3\"s:  %.1f ms (%.3f ms a file)\n", kFiles, fakeTime * 1e3,
                fakeTime * 1e3 / kFiles);
    std::printf("non-audio / tagged: %.2f\n", fakeTime / realTime);
    fs::remove_all(root);
    return 0;
}
