// Scrambles a 3x3x3 cube with a seed, prints it as an unfolded net and as its facelet text, then
// cleans it and prints the text again. Usage: torvane-demo [seed] [move text]
#include "model/Cubi.h"
#include "model/Random.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Grid row r of face f as three letters.
std::string Row(const TRubikCube& cube, int f, int r) {
    std::string s;
    for (int c = 0; c < cube.Size; ++c) {
        const TCubie& cubie = cube.GetState().Cubies[f][r * cube.Size + c];
        s += cubie.Color < NoColor ? FaceLetters[cubie.Color] : '.';
        s += ' ';
    }
    return s;
}

//        U
//    L   F   R   B
//        D
void PrintNet(const TRubikCube& cube) {
    const std::string pad(2 * cube.Size, ' ');
    enum { U, F, R, B, L, D };
    for (int r = 0; r < cube.Size; ++r) {
        std::printf("%s%s\n", pad.c_str(), Row(cube, U, r).c_str());
    }
    for (int r = 0; r < cube.Size; ++r) {
        std::printf("%s%s%s%s\n", Row(cube, L, r).c_str(), Row(cube, F, r).c_str(), Row(cube, R, r).c_str(),
                    Row(cube, B, r).c_str());
    }
    for (int r = 0; r < cube.Size; ++r) {
        std::printf("%s%s\n", pad.c_str(), Row(cube, D, r).c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    const unsigned long long seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2026;
    RandomSeed(seed);
    TRubikCube cube(1);
    if (argc > 2) {
        cube.Clean();
        if (!cube.PerformMoves(argv[2])) {
            std::fprintf(stderr, "'%s' contains invalid move(s).\n", argv[2]);
            return 1;
        }
        std::printf("Clean cube after \"%s\":\n", argv[2]);
    } else {
        cube.Scramble();
        std::printf("Scrambled with seed %llu:\n", seed);
    }
    PrintNet(cube);
    std::printf("Facelet text: %s\n", cube.CubeString().value_or("(none)").c_str());

    std::string moves;
    cube.RandomMoves(10, moves);
    std::printf("Ten random moves: %s\n", moves.c_str());

    cube.Clean();
    std::printf("After Clean:  %s\n", cube.CubeString().value_or("(none)").c_str());
    return 0;
}
