// Texts a user types or pastes: move texts in either notation, and whole cubes as facelet texts.
#include "model/CubeText.h"

#include "model/Notation.h"

#include <gtest/gtest.h>

namespace {

TEST(MoveText, BothNotationsTurnTheCubeAsOurs) {
    // ours: the same turns written by hand in our notation
    const std::tuple<std::uint8_t, const char*, const char*> cases[] = {
        {1, "V0 M0i H02 R Fi U2", "V0 M0i H02 R Fi U2"}, // ours passes unchanged
        {1, "R U Ri U' R2' B2", "R U Ri Ui R2 B2"},
        {1, " \tM\n\nE2' \r\n S'  ", "V0i H02 M0i"},
        {1, "M' E S2", "V0 H0i M02"},
        {1, "Rw Lw' Uw2", "R V0 Li V0 U2 H02"},
        {1, "Dw Fw' Bw", "D H0i Fi M0i B M0i"},
        {0, "R U' F2' Li D2", "R Ui F2 Li D2"},
    };
    for (const auto& [size, text, ours] : cases) {
        SCOPED_TRACE(text);
        TRubikCube cube(size), reference(size);
        const TMoveTextReading reading = ReadMoveText(text, cube.SliceCount);
        ASSERT_EQ(reading.Error, "");
        ASSERT_TRUE(cube.PerformMoves(reading.Moves));
        ASSERT_TRUE(reference.PerformMoves(ours));
        EXPECT_EQ(cube.GetState(), reference.GetState());
        if (text == std::string_view(ours)) {
            EXPECT_EQ(reading.Moves, ours);
        }
    }
}

TEST(MoveText, BadTextsAreNamedWithTheirPlace) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {1, " \n\t", "No moves were entered."},
        {1, "R U r",
         "\"r\" at character 5 is not a move: lower-case letters are not read; write R for the "
         "right face or Rw for the right two layers."},
        {1, "R\nx",
         "\"x\" at character 3 is not a move: lower-case letters are not read, and turns of the "
         "whole cube are not moves."},
        {0, "M", "\"M\" at character 1 is not a move: the 2x2x2 cube has no middle layers."},
        {0, "R\tRw", "\"Rw\" at character 3 is not a move: the 2x2x2 cube has no middle layers."},
        {1, "V1", "\"V1\" at character 1 is not a move: the middle slices are V0, M0 and H0."},
        {1, "F2 R′", "\"R′\" at character 4 is not a move: R may be followed only by ', i, 2 or 2'."},
        {1, "Rwi", "\"Rwi\" at character 1 is not a move: Rw may be followed only by ', 2 or 2'."},
        {1, "M0'", "\"M0'\" at character 1 is not a move: M0 may be followed only by i or 2."},
        {1, "H", "\"H\" at character 1 is not a move: H needs the number of its slice, as in H0."},
        {0, "X", "\"X\" at character 1 is not a move: moves begin with U, F, R, B, L or D."},
        {1, "RRRRRRRRRRRRRR",
         "\"RRRRRRRRRRRR...\" at character 1 is not a move: R may be followed only by "
         "', i, 2 or 2'."},
    };
    for (const auto& [sliceCount, text, error] : cases) {
        const TMoveTextReading reading = ReadMoveText(text, sliceCount);
        EXPECT_EQ(reading.Error, error);
        EXPECT_EQ(reading.Moves, "") << text;
    }
}

TEST(FaceletText, CopyThenPasteKeepsEveryColour) {
    for (std::uint8_t size : {0, 1}) {
        TRubikCube cube(size);
        cube.Scramble();
        cube.GetState().Cubies[3][1].Color = NoColor;
        std::string text = FaceletText(cube);
        ASSERT_EQ(text.size(), size == 0 ? 24u : 54u);
        text.insert(9, "\n  \t"); // a text broken over lines still reads
        const TFaceletReading reading = ReadFaceletText(text, size);
        ASSERT_TRUE(reading.State) << reading.Error;
        CubeState0 expected = TRubikCube(size).Empty();
        for (int f = 0; f < FaceCount; ++f) {
            for (int i = 0; i < cube.FaceArea; ++i) {
                expected.Cubies[f][i].Color = cube.GetState().Cubies[f][i].Color;
            }
        }
        EXPECT_EQ(*reading.State, expected);
        cube.GetState().Cubies[3][1].Color = 0;
        EXPECT_EQ(FaceletText(cube), cube.CubeString());
    }
}

TEST(FaceletText, CommonOrderReadsAsWorkedOutByHand) {
    // Faces U R F D L B. After R: F's right column is on U, D's on F, B's (its left column, seen
    // from behind) on D, U's on B. U then carries each side face's top row to the face on its left
    // and turns the U face, so the column of F stickers becomes U's front row.
    const std::tuple<std::uint8_t, const char*, const char*> cases[] = {
        {1, "R", "UUFUUFUUF RRRRRRRRR FFDFFDFFD DDBDDBDDB LLLLLLLLL UBBUBBUBB"},
        {1, "R U", "UUUUUUFFF UBBRRRRRR RRRFFDFFD DDBDDBDDB FFDLLLLLL LLLUBBUBB"},
        {0, "R", "UFUF RRRR FDFD DBDB LLLL UBUB"},
    };
    for (const auto& [size, moves, text] : cases) {
        const TFaceletReading reading = ReadFaceletText(text, size);
        ASSERT_TRUE(reading.State) << reading.Error;
        TRubikCube read(size), turned(size);
        ASSERT_TRUE(read.SetState(*reading.State));
        turned.Clean();
        ASSERT_TRUE(turned.PerformMoves(moves));
        EXPECT_EQ(FaceletText(read), FaceletText(turned)) << moves;
    }
}

TEST(FaceletText, BadTextsAreRefusedWithAReason) {
    const std::tuple<std::uint8_t, std::string, const char*> cases[] = {
        {1, "\n ", "No stickers were entered."},
        {1, std::string(53, 'u'), "This cube has 54 stickers; the text gives 53."},
        {0, "uu\nx",
         "\"x\" at character 4 is not a sticker: write u, f, r, b, l, d or - for each, or U, R, F, "
         "D, L, B."},
        {0, "uü",
         "\"ü\" at character 2 is not a sticker: write u, f, r, b, l, d or - for each, or U, R, F, "
         "D, L, B."},
        {1, "u-U",
         "\"U\" at character 3 is upper case, but the text began in lower case; write every sticker "
         "in one case."},
        {1, " -U",
         "\"-\" at character 2 marks a sticker without colour, which only the lower-case text can "
         "hold."},
    };
    for (const auto& [size, text, error] : cases) {
        const TFaceletReading reading = ReadFaceletText(text, size);
        EXPECT_FALSE(reading.State);
        EXPECT_EQ(reading.Error, error);
    }
}

} // namespace
