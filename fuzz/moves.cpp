// The move-text parser on any text, for a 2x2x2 and a 3x3x3 cube. Whatever it accepts is written back
// token by token and must parse to the same moves; every accepted token has an inverse, and the
// moves followed by their inverses in reverse order leave the model's stickers where they started.
// The same text goes to the readers of typed and pasted texts: a move text they accept, the parser
// accepts (and one in our notation comes back unchanged); a facelet text they accept is written back
// by FaceletText with the same colours.
// Input: a first byte whose low bit picks the cube, then the text.
#include "model/CubeText.h"
#include "model/Cubi.h"
#include "model/Notation.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto sizeIndex = static_cast<std::uint8_t>(data[0] % 2);
    TRubikCube cube(sizeIndex);
    cube.Clean();
    const TMoveTextReading reading = ReadMoveText(text, cube.SliceCount);
    if (reading.Error.empty() == reading.Moves.empty() ||
        (reading.Error.empty() && !ParseMoves(reading.Moves, cube.SliceCount, false))) {
        __builtin_trap();
    }
    const TFaceletReading facelets = ReadFaceletText(text, sizeIndex);
    if (facelets.State) {
        TRubikCube pasted(sizeIndex);
        if (!pasted.SetState(*facelets.State) ||
            ReadFaceletText(FaceletText(pasted), sizeIndex).State != facelets.State) {
            __builtin_trap();
        }
    } else if (facelets.Error.empty()) {
        __builtin_trap();
    }
    const auto moves = ParseMoves(text, cube.SliceCount, false);
    std::vector<std::string> tokens;
    SplitMoves(text, tokens);
    if (!moves) {
        // A refused text turns nothing.
        const CubeState0 before = cube.GetState();
        if (cube.PerformMoves(text) || cube.GetState() != before) {
            __builtin_trap();
        }
        return 0;
    }
    if (moves->size() != tokens.size()) {
        __builtin_trap();
    }
    std::string written, undo;
    for (std::size_t i = 0; i < moves->size(); ++i) {
        const TMove& move = (*moves)[i];
        const std::string inverse = InverseMove(move.Name);
        if (move.Name != tokens[i] || move.Turns < 1 || move.Turns > 3 || InverseMove(inverse) != move.Name) {
            __builtin_trap();
        }
        written += (i == 0 ? "" : " ") + move.Name;
        undo.insert(0, inverse + (i == 0 ? "" : " "));
    }
    if (ParseMoves(written, cube.SliceCount, false) != moves ||
        (!written.empty() && written == TrimBlanks(text) && reading.Moves != written)) {
        __builtin_trap();
    }
    const CubiesState clean = cube.GetState().Cubies;
    if (!cube.PerformMoves(text) || !cube.PerformMoves(undo) || cube.GetState().Cubies != clean) {
        __builtin_trap();
    }
    return 0;
}
