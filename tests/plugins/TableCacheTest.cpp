// The engine's table file: what is written reads back as the same tables, and a file that is
// missing, cut short, damaged or of another layout is refused, so the engine builds anew.
#include "plugins/twophase/Tables.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

using namespace twophase;

bool SameTables(const TTables& a, const TTables& b) {
    return a.TwistMove == b.TwistMove && a.FlipMove == b.FlipMove && a.SliceMove == b.SliceMove &&
           a.CornerMove == b.CornerMove && a.EdgeMove == b.EdgeMove && a.SliceOrderMove == b.SliceOrderMove &&
           a.CornerCombMove == b.CornerCombMove && a.TwistSliceDepth.Packed() == b.TwistSliceDepth.Packed() &&
           a.FlipSliceDepth.Packed() == b.FlipSliceDepth.Packed() &&
           a.TwistFlipDepth.Packed() == b.TwistFlipDepth.Packed() &&
           a.CornerOrderDepth.Packed() == b.CornerOrderDepth.Packed() &&
           a.EdgeOrderDepth.Packed() == b.EdgeOrderDepth.Packed() &&
           a.EdgeCombDepth.Packed() == b.EdgeCombDepth.Packed();
}

TEST(TableCacheTest, WrittenTablesReadBackAndDamagedFilesAreRefused) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("tables-" + std::to_string(::getpid()));
    const std::string path = (dir / "sub" / "twophase.tables").string();
    const TTables built = BuildTables();
    ASSERT_TRUE(SaveTables(built, path)) << "the folder is made when missing";
    const std::optional<TTables> loaded = LoadTables(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(SameTables(built, *loaded));
    EXPECT_EQ(loaded->Bytes(), built.Bytes());

    std::string good;
    {
        std::ifstream in(path, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::vector<std::pair<const char*, std::function<void(std::string&)>>> damages = {
        {"empty", [](std::string& f) { f.clear(); }},
        {"cut short", [](std::string& f) { f.resize(f.size() - 1); }},
        {"one byte longer", [](std::string& f) { f.push_back('\0'); }},
        {"another layout", [](std::string& f) { f[7] = '9'; }},
        {"a move entry changed", [](std::string& f) { f[100] = static_cast<char>(f[100] ^ 0x40); }},
        {"a distance changed",
         [](std::string& f) { f[f.size() - 1000] = static_cast<char>(f[f.size() - 1000] ^ 1); }},
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

TEST(TableCacheTest, CacheLivesUnderTheUsersCacheFolder) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    ASSERT_NE(cache, nullptr) << "the tests keep caches in the build folder";
    EXPECT_EQ(TableCachePath(), (std::filesystem::path(cache) / "torvane" / "twophase.tables").string());
}

} // namespace
