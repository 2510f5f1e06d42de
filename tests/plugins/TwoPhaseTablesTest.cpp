// The engine's table cache (the tables themselves are checked by the engine's answers): a file that
// reads back as the same tables and is refused when missing, cut short, damaged or of another layout
// (so the engine builds anew).
#include "plugins/twophase/Tables.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

using namespace twophase;

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TwoPhaseTablesTest, WrittenTablesReadBackAndDamagedFilesAreRefused) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("tables-" + std::to_string(::getpid()));
    const std::string path = (dir / "sub" / "twophase.tables").string();
    const TTables built = BuildTables();
    ASSERT_TRUE(SaveTables(built, path)) << "the folder is made when missing";
    const std::optional<TTables> loaded = LoadTables(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->Bytes(), built.Bytes());
    const std::string good = FileText(path);
    const std::string again = (dir / "again.tables").string();
    ASSERT_TRUE(SaveTables(*loaded, again));
    EXPECT_TRUE(FileText(again) == good) << "what was read back is written out the same";
    const std::vector<std::pair<const char*, std::function<void(std::string&)>>> damages = {
        {"empty", [](std::string& f) { f.clear(); }},
        {"cut short", [](std::string& f) { f.resize(f.size() - 1); }},
        {"another layout", [](std::string& f) { f[7] = '9'; }},
        {"a move entry changed", [](std::string& f) { f[100] = static_cast<char>(f[100] ^ 0x40); }},
        {"the checksum changed", [](std::string& f) { f.back() = static_cast<char>(f.back() ^ 1); }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        std::string bytes = good;
        damage(bytes);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_FALSE(LoadTables(path).has_value());
    }
    EXPECT_FALSE(LoadTables((dir / "missing.tables").string()).has_value());
    std::filesystem::remove_all(dir);
}

TEST(TwoPhaseTablesTest, CacheLivesUnderTheUsersCacheFolder) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    ASSERT_NE(cache, nullptr) << "the tests keep caches in the build folder";
    EXPECT_EQ(TableCachePath(), (std::filesystem::path(cache) / "torvane" / "twophase.tables").string());
}

} // namespace
