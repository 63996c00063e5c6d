// Finding many link texts in one page in a single pass gives what searching for each one would.

#include "search/first_occurrence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace lanseek::search;

namespace {

std::vector<std::size_t> oneByOne(std::string_view text, const std::vector<std::string_view>& needles)
{
    std::vector<std::size_t> found;
    for (std::string_view needle : needles)
        found.push_back(needle.empty() ? kNotFound : text.find(needle));
    return found;
}

} // namespace

TEST(FirstOccurrence, OverlappingNestedAndRepeatedNeedles)
{
    const std::string text = "she sells sea shells\nhe said\nshe";
    const std::vector<std::string_view> needles = {
        "he",   "she",  "hers", "", "s", "sea s", "he", "e\nh", "zz", "she sells sea shells\nhe said\nshe",
        "llsh", "lls\n"};
    EXPECT_EQ(firstOccurrences(text, needles), oneByOne(text, needles));
    EXPECT_EQ(firstOccurrences(text, {}), std::vector<std::size_t>{});
    EXPECT_EQ(firstOccurrences("", {"a", ""}), (std::vector<std::size_t>{kNotFound, kNotFound}));
}

TEST(FirstOccurrence, AgreesWithSearchingOneByOneOnRandomText)
{
    std::mt19937 random(20261209);
    // A small alphabet with high bytes, so that needles overlap, nest and share suffixes often.
    const std::string alphabet = "ab\n\xB0\xD9";
    auto randomText = [&](std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i)
            s += alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        const std::string text = randomText(random() % 300);
        std::vector<std::string> owned;
        for (int n = 0; n < 40; ++n) {
            if (!text.empty() && random() % 2) {
                const std::size_t at = random() % text.size();
                owned.push_back(text.substr(at, 1 + random() % 12));
            } else {
                owned.push_back(randomText(random() % 7));
            }
        }
        const std::vector<std::string_view> needles(owned.begin(), owned.end());
        ASSERT_EQ(firstOccurrences(text, needles), oneByOne(text, needles)) << "round " << round;
    }
}
