// The engine's table cache (the tables themselves are checked by the engine's answers): a file that
// reads back as the same tables and is refused when missing, cut short, damaged or of another layout
// (so the engine builds anew). And the table of moves that bring the first distance down, whose
// faults would only cost answers, never give a wrong one.
#include "plugins/twophase/Tables.h"
#include "support/RandomCubes.h"
#include "support/TempFolder.h"

#include <array>
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

// The moves a search tries alone where it has no room to spare: exactly those that bring the twist
// class by slice flip distance down, on cubes seen through each turn.
TEST(TwoPhaseTablesTest, DownMovesAreTheMovesThatBringTheFirstDistanceDown) {
    const TTables& t = Tables();
    const auto distance = [&](const TCubieCube& c) {
        return t.TwistSliceFlipDepth.Distance(
            Twist(c), SliceFlip(c), t.TwistMove, t.SliceFlipMove, MoveCount, [&](int tw, int sf) {
                return ClassEntry(t.TwistClassSym, t.SliceFlipConj, TurnSymmetryCount, tw, sf);
            });
    };
    randomcubes::TGenerator generator(41);
    std::array<int, TurnSymmetryCount> turns{};
    for (int i = 0; i < 300; ++i) {
        const TCubieCube cube = ReadFacelets(randomcubes::Facelets(generator.Next())).Cube;
        const int cs = t.TwistClassSym[static_cast<std::size_t>(Twist(cube))];
        const int turn = cs % TurnSymmetryCount;
        ++turns[static_cast<std::size_t>(turn)];
        const auto entry =
            ClassEntry(t.TwistClassSym, t.SliceFlipConj, TurnSymmetryCount, Twist(cube), SliceFlip(cube));
        const unsigned down = DownMoves(t, t.TwistSliceFlipDepth.Index(entry.first, entry.second), turn);
        const int before = distance(cube);
        for (int m = 0; m < MoveCount; ++m) {
            EXPECT_EQ((down >> m & 1) != 0, distance(Multiply(cube, MoveCube(m))) == before - 1)
                << WriteFacelets(cube) << " move " << m;
        }
    }
    for (int n : turns) {
        EXPECT_GT(n, 0) << "every turn seen";
    }
}

TEST(TwoPhaseTablesTest, CacheLivesUnderTheUsersCacheFolder) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    ASSERT_NE(cache, nullptr) << "the tests keep caches in the build folder";
    EXPECT_EQ(TableCachePath(), (std::filesystem::path(cache) / "torvane" / "twophase.tables").string());
}

} // namespace
