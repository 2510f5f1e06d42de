#pragma once
// Random reachable 3x3x3 states for the engine's tests and benchmark, drawn piece by piece (not by
// random turns, which would favour states near the solved one), and their facelet text. Independent
// of the engine's own code so that the two can check each other.

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <utility>

namespace randomcubes {

// Sticker ids (face * 9 + grid index, faces U F R B L D) of every place, in the order the game's grid
// layout gives them: corners clockwise from their U or D sticker, edges from their reference sticker.
// Places are URF UFL ULB UBR DFR DLF DBL DRB and UR UF UL UB DR DF DL DB FR FL BL BR.
inline constexpr int Corners[8][3] = {{8, 18, 11},  {6, 9, 38},   {0, 36, 29},  {2, 27, 20},
                                      {47, 17, 24}, {45, 44, 15}, {51, 35, 42}, {53, 26, 33}};
inline constexpr int Edges[12][2] = {{5, 19},  {7, 10},  {3, 37},  {1, 28},  {50, 25}, {46, 16},
                                     {48, 43}, {52, 34}, {14, 21}, {12, 41}, {32, 39}, {30, 23}};

struct TState {
    std::array<int, 8> CornerAt, Twist;
    std::array<int, 12> EdgeAt, Flip;
};

template <std::size_t N>
bool Odd(const std::array<int, N>& p) {
    bool odd = false;
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = i + 1; j < N; ++j) {
            odd ^= p[i] > p[j];
        }
    }
    return odd;
}

class TGenerator {
public:
    explicit TGenerator(std::uint64_t seed) : Engine(seed) {}

    TState Next() {
        TState s{};
        std::iota(s.CornerAt.begin(), s.CornerAt.end(), 0);
        std::iota(s.EdgeAt.begin(), s.EdgeAt.end(), 0);
        std::shuffle(s.CornerAt.begin(), s.CornerAt.end(), Engine);
        std::shuffle(s.EdgeAt.begin(), s.EdgeAt.end(), Engine);
        if (Odd(s.CornerAt) != Odd(s.EdgeAt)) {
            std::swap(s.EdgeAt[0], s.EdgeAt[1]);
        }
        int twists = 0, flips = 0;
        for (int i = 0; i < 7; ++i) {
            twists += s.Twist[i] = static_cast<int>(Engine() % 3);
        }
        s.Twist[7] = (3 - twists % 3) % 3;
        for (int i = 0; i < 11; ++i) {
            flips += s.Flip[i] = static_cast<int>(Engine() % 2);
        }
        s.Flip[11] = flips % 2;
        return s;
    }

private:
    std::mt19937_64 Engine;
};

// The facelet text, faces u f r b l d, each sticker the letter of its colour.
inline std::string Facelets(const TState& s) {
    static constexpr char Letters[] = "ufrbld";
    std::string text(54, '?');
    for (int f = 0; f < 6; ++f) {
        text[f * 9 + 4] = Letters[f];
    }
    for (int i = 0; i < 8; ++i) {
        for (int n = 0; n < 3; ++n) {
            text[Corners[i][(n + s.Twist[i]) % 3]] = Letters[Corners[s.CornerAt[i]][n] / 9];
        }
    }
    for (int i = 0; i < 12; ++i) {
        for (int n = 0; n < 2; ++n) {
            text[Edges[i][(n + s.Flip[i]) % 2]] = Letters[Edges[s.EdgeAt[i]][n] / 9];
        }
    }
    return text;
}

} // namespace randomcubes
