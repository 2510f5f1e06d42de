// The engine's tables: distances that agree with a direct breadth-first count, and a cache file that reads
// back as the same tables and is refused when missing, cut short, damaged or of another layout (so the engine
// builds anew).
#include "plugins/twophase/Tables.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <string>
#include <unistd.h>

namespace {

using namespace twophase;

const TTables& Shared() {
    static const TTables tables = BuildTables();
    return tables;
}

// The distance of every pair within maxDepth moves, counted breadth-first over the pairs themselves
// (one cube stands for each pair, as a pair's moves depend on the pair alone).
template <typename TPairOf>
std::map<std::pair<int, int>, int> Counted(const std::vector<int>& moves, int maxDepth, TPairOf pairOf) {
    std::map<std::pair<int, int>, int> depth{{pairOf(TCubieCube{}), 0}};
    std::vector<TCubieCube> layer{TCubieCube{}};
    for (int d = 1; d <= maxDepth; ++d) {
        std::vector<TCubieCube> next;
        for (const TCubieCube& cube : layer) {
            for (int m : moves) {
                const TCubieCube c = Multiply(cube, MoveCube(m));
                if (depth.emplace(pairOf(c), d).second) {
                    next.push_back(c);
                }
            }
        }
        layer = std::move(next);
    }
    return depth;
}

// Pairs within four moves, counted directly, against the distances the tables give, each over
// classes of its first coordinate.
TEST(TwoPhaseTablesTest, DistancesAgreeWithADirectCount) {
    const TTables& t = Shared();
    const std::vector<int> phase2(Phase2Moves.begin(), Phase2Moves.end());
    std::vector<int> all(MoveCount);
    std::iota(all.begin(), all.end(), 0);
    using TPair = std::pair<int, int>;
    const auto stepWith = [](const auto& moveA, const auto& moveB, int width) {
        return [&moveA, &moveB, width](TPair s, int k) {
            return TPair(moveA[static_cast<std::size_t>(s.first) * width + k],
                         moveB[static_cast<std::size_t>(s.second) * width + k]);
        };
    };
    // A two-bit table's distance, walked down from the pair.
    const auto walked = [](const TPairDepth& table, int width, std::function<TPair(TPair)> entry,
                           std::function<TPair(TPair, int)> step) {
        return [&table, width, entry, step](TPair p) { return table.Distance(p, width, entry, step); };
    };
    // Where a pair is in a table over classes of its first coordinate.
    const auto classEntry = [](const auto& classSym, const auto& conj, int symmetries) {
        return [&classSym, &conj, symmetries](TPair p) {
            return ClassEntry(classSym, conj, symmetries, p.first, p.second);
        };
    };
    // A four-bit table, looked up.
    const auto looked = [](const TNibbleDepth& table, auto entry) {
        return [&table, entry](TPair p) { return table.Get(entry(p)); };
    };
    struct TCase {
        const char* Name;
        const std::vector<int>& Moves;
        std::function<TPair(const TCubieCube&)> PairOf;
        std::function<int(TPair)> Depth;
    };
    const std::vector<TCase> cases = {
        // Corners as class and symmetry, followed with the class move tables.
        {"corner class by U edges", phase2,
         [&](const TCubieCube& c) { return TPair(t.CornerClassSym[CornerPerm(c)], UEdges(c)); },
         walked(
             t.CornerUEdgesDepth, Phase2MoveCount,
             [&](TPair s) {
                 return TPair(s.first / SymmetryCount,
                              t.UEdgesConj[s.second * SymmetryCount + s.first % SymmetryCount]);
             },
             [&](TPair s, int k) {
                 return TPair(ClassAfter(t, t.CornerClassMove, s.first, k),
                              t.UEdgesMove[s.second * Phase2MoveCount + k]);
             })},
        {"corner class by middle-layer order", phase2,
         [](const TCubieCube& c) { return TPair(CornerPerm(c), SliceOrder(c)); },
         looked(t.CornerOrderDepth, classEntry(t.CornerClassSym, t.SliceOrderConj, SymmetryCount))},
        {"edge class by middle-layer order", phase2,
         [](const TCubieCube& c) { return TPair(EdgePerm(c), SliceOrder(c)); },
         looked(t.EdgeOrderDepth, classEntry(t.EdgeClassSym, t.SliceOrderConj, SymmetryCount))},
        {"edge class by D layer corner places", phase2,
         [](const TCubieCube& c) { return TPair(EdgePerm(c), CornerComb(c)); },
         looked(t.EdgeCombDepth, classEntry(t.EdgeClassSym, t.CornerCombConj, SymmetryCount))},
        {"twist class by middle-layer places and flips", all,
         [](const TCubieCube& c) { return TPair(Twist(c), SliceFlip(c)); },
         walked(t.TwistSliceFlipDepth, MoveCount,
                classEntry(t.TwistClassSym, t.SliceFlipConj, TurnSymmetryCount),
                stepWith(t.TwistMove, t.SliceFlipMove, MoveCount))},
        {"twist class by flip", all, [](const TCubieCube& c) { return TPair(Twist(c), Flip(c)); },
         walked(t.TwistFlipDepth, MoveCount, classEntry(t.TwistHalfClassSym, t.FlipHalfConj, HalfTurnCount),
                stepWith(t.TwistMove, t.FlipMove, MoveCount))},
        {"flip class by slice", all, [](const TCubieCube& c) { return TPair(Flip(c), Slice(c)); },
         walked(t.FlipSliceDepth, MoveCount, classEntry(t.FlipClassSym, t.SliceHalfConj, HalfTurnCount),
                stepWith(t.FlipMove, t.SliceMove, MoveCount))},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto counted = Counted(c.Moves, 4, c.PairOf);
        ASSERT_GT(counted.size(), 1000u);
        for (const auto& [pair, d] : counted) {
            ASSERT_EQ(c.Depth(pair), d) << pair.first << ", " << pair.second;
        }
    }
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
