// The engine's tables: symmetries that agree with the moves, distances that agree with a direct
// breadth-first count, and a cache file that reads back as the same tables and is refused when
// missing, cut short, damaged or of another layout (so the engine builds anew).
#include "plugins/twophase/Tables.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>

namespace {

using namespace twophase;

const TTables& Shared() {
    static const TTables tables = BuildTables();
    return tables;
}

TEST(TwoPhaseTablesTest, SymmetriesCarryMovesOver) {
    for (int s = 0; s < SymmetryCount; ++s) {
        for (int m = 0; m < MoveCount; ++m) {
            SCOPED_TRACE("symmetry " + std::to_string(s) + ", move " + MoveName(m));
            const TCubieCube seen = ConjugatedArrangement(MoveCube(m), s);
            const TCubieCube moved = MoveCube(ConjugatedMove(m, s));
            EXPECT_EQ(seen.Cp, moved.Cp);
            EXPECT_EQ(seen.Ep, moved.Ep);
            EXPECT_EQ(ConjugatedMove(m, s) / 3 == 0 || ConjugatedMove(m, s) / 3 == 5,
                      m / 3 == 0 || m / 3 == 5)
                << "U and D stay on the U-D axis";
            const TCubieCube two = Multiply(MoveCube(m), MoveCube(4)); // then F2
            const TCubieCube seenTwo = ConjugatedArrangement(two, s);
            EXPECT_EQ(seenTwo.Cp, Multiply(seen, ConjugatedArrangement(MoveCube(4), s)).Cp);
            const TCubieCube back = ConjugatedArrangement(seen, InverseSymmetry(s));
            EXPECT_EQ(back.Cp, MoveCube(m).Cp);
            EXPECT_EQ(back.Ep, MoveCube(m).Ep);
        }
    }
    // A mirror turns U into Ui; a quarter turn of the whole cube takes F to L's place or R's.
    EXPECT_EQ(ConjugatedMove(0, 4), 2);
    EXPECT_NE(ConjugatedMove(3, 1) / 3, 1);
}

// Every phase 2 cube within four moves, with its distance counted directly, against the distances
// the symmetry-reduced table and the plain pair tables give.
TEST(TwoPhaseTablesTest, DistancesAgreeWithACountOfPhaseTwoMoves) {
    const TTables& t = Shared();
    std::map<std::pair<int, int>, int> classByUEdges, cornerByOrder;
    std::vector<std::pair<TCubieCube, int>> layer{{TCubieCube{}, 0}};
    classByUEdges[{0, 0}] = 0;
    cornerByOrder[{0, 0}] = 0;
    for (int d = 1; d <= 4; ++d) {
        std::vector<std::pair<TCubieCube, int>> next;
        for (const auto& [cube, _] : layer) {
            for (int m : Phase2Moves) {
                const TCubieCube c = Multiply(cube, MoveCube(m));
                const bool newPair = classByUEdges.emplace(std::pair{CornerPerm(c), UEdges(c)}, d).second;
                cornerByOrder.emplace(std::pair{CornerPerm(c), SliceOrder(c)}, d);
                if (newPair) {
                    next.emplace_back(c, d);
                }
            }
        }
        layer = std::move(next);
    }
    ASSERT_GT(classByUEdges.size(), 1000u);
    const auto classEntry = [&](std::pair<int, int> s) {
        const int classSym = t.CornerClassSym[static_cast<std::size_t>(s.first)];
        return std::pair<int, int>(
            classSym / SymmetryCount,
            t.UEdgesConj[static_cast<std::size_t>(s.second) * SymmetryCount + classSym % SymmetryCount]);
    };
    const auto step = [&](std::pair<int, int> s, int k) {
        return std::pair<int, int>(t.CornerMove[static_cast<std::size_t>(s.first) * Phase2MoveCount + k],
                                   t.UEdgesMove[static_cast<std::size_t>(s.second) * Phase2MoveCount + k]);
    };
    for (const auto& [pair, d] : classByUEdges) {
        ASSERT_EQ(t.CornerUEdgesDepth.Distance(pair, Phase2MoveCount, classEntry, step), d)
            << "corners " << pair.first << ", U edges " << pair.second;
    }
    for (const auto& [pair, d] : cornerByOrder) {
        ASSERT_EQ(t.CornerOrderDepth.Distance(pair.first, pair.second, t.CornerMove, t.SliceOrderMove,
                                              Phase2MoveCount),
                  d);
    }
    EXPECT_EQ(TPairDepth::After(4, 2), 5);
    EXPECT_EQ(TPairDepth::After(4, 0), 3);
    EXPECT_EQ(TPairDepth::After(4, 1), 4);
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TwoPhaseTablesTest, WrittenTablesReadBackAndDamagedFilesAreRefused) {
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("tables-" + std::to_string(::getpid()));
    const std::string path = (dir / "sub" / "twophase.tables").string();
    const TTables& built = Shared();
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

TEST(TwoPhaseTablesTest, CacheLivesUnderTheUsersCacheFolder) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    ASSERT_NE(cache, nullptr) << "the tests keep caches in the build folder";
    EXPECT_EQ(TableCachePath(), (std::filesystem::path(cache) / "torvane" / "twophase.tables").string());
}

} // namespace
