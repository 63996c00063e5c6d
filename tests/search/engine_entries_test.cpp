#include "search/engine_entries.h"

#include <gtest/gtest.h>

namespace lanseek::search {
namespace {

TEST(EngineEntries, TheLanAppearsOnlyOnceItHasServices)
{
    const std::vector<EngineEntry> alone = engineEntries("http://127.0.0.1:1", "http://127.0.0.1:2", {});
    EXPECT_EQ(alone, (std::vector<EngineEntry>{{kDefaultEngine, "http://127.0.0.1:1"}}));

    const std::vector<EngineEntry> lan =
        engineEntries("http://127.0.0.1:1", "http://127.0.0.1:2",
                      {{"乙@b", "http://10.0.0.2:8080"}, {"amy@a", "http://10.0.0.1:8080"}});
    EXPECT_EQ(lan, (std::vector<EngineEntry>{{kDefaultEngine, "http://127.0.0.1:1"},
                                             {kAllLanEngines, "http://127.0.0.1:2"},
                                             {"局域网：amy@a", "http://10.0.0.1:8080"},
                                             {"局域网：乙@b", "http://10.0.0.2:8080"}}));

    // Without an aggregator the services are still offered one by one.
    const std::vector<EngineEntry> noAll =
        engineEntries("http://127.0.0.1:1", {}, {{"a", "http://10.0.0.1:1"}});
    ASSERT_EQ(noAll.size(), 2u);
    EXPECT_EQ(noAll[1].caption, lanEngineCaption("a"));
}

} // namespace
} // namespace lanseek::search
