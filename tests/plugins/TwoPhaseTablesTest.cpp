// The engine's table cache (the tables themselves are checked by the engine's answers): a file that
// reads back as the same tables and is refused when missing, cut short, damaged or of another layout
// (so the engine builds anew). The table of moves that bring the first distance down is the work
// test's: a fault there only slows the search.
#include "plugins/twophase/Tables.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace twophase;

TEST(TwoPhaseTablesTest, WrittenTablesReadBackAndDamagedFilesAreRefused) {
    const testsupport::TTempFolder dir;
    const std::string path = dir.Name("sub/twophase.tables");
    const TTables built = BuildTables();
    ASSERT_TRUE(SaveTables(built, path)) << "the folder is made when missing";
    const std::optional<TTables> loaded = LoadTables(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->Bytes(), built.Bytes());
    const std::string good = testsupport::ReadFile(path);
    const std::string again = dir.Name("again.tables");
    ASSERT_TRUE(SaveTables(*loaded, again));
    EXPECT_TRUE(testsupport::ReadFile(again) == good) << "what was read back is written out the same";
    const std::vector<std::pair<const char*, std::function<void(std::string&)>>> damages = {
        {"empty", [](std::string& f) { f.clear(); }},
        {"cut short", [](std::string& f) { f.resize(f.size() - 1); }},
        {"an older layout", [](std::string& f) { f[7] = static_cast<char>(f[7] - 1); }},
        {"a move entry changed", [](std::string& f) { f[100] = static_cast<char>(f[100] ^ 0x40); }},
        {"the checksum changed", [](std::string& f) { f.back() = static_cast<char>(f.back() ^ 1); }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        std::string bytes = good;
        damage(bytes);
        dir.Write("sub/twophase.tables", bytes);
        EXPECT_FALSE(LoadTables(path).has_value());
    }
    EXPECT_FALSE(LoadTables(dir.Name("missing.tables")).has_value());
}

TEST(TwoPhaseTablesTest, CacheLivesUnderTheUsersCacheFolder) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    ASSERT_NE(cache, nullptr) << "the tests keep caches in the build folder";
    EXPECT_EQ(TableCachePath(), (std::filesystem::path(cache) / "torvane" / "twophase.tables").string());
}

} // namespace
