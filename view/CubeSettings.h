#pragma once
// The appearance record every view and every game holds a copy of.
//
// A colour is 32 bits: red in the low byte, green in the second, blue in the third, top byte 0.
// A top byte of 0xFF names a system colour instead, its index in the low byte (see SystemColors.h).

#include <array>
#include <cstdint>
#include <string>

using TColor = std::uint32_t;

inline constexpr TColor SystemColorFlag = 0xFF000000u;

struct tCubeSettings {
    bool AnimateFaceRotations = true;
    std::int32_t CubeFaceRotationSpeed = 1; // 0 slow, 1 medium, 2 fast
    std::uint8_t StickerType = 0;           // 0 plain, 1 textured, anything else: no stickers
    std::int32_t SurfaceDetail = 1;         // kept and edited; nothing is drawn differently for it
    bool Lighting = true;
    TColor BackgroundColor = 0;
    std::string EnvironFile;
    std::uint8_t EnvironmentType = 0; // 0 plain background, 1 skybox
    // Indexed by colour code: U F R B L D, then the colour of a sticker without colour.
    std::array<TColor, 7> FaceColors = {0xFF0000, 0x0000FF, 0x00FFFF, 0x0080FF, 0xFFFFFF, 0x008000, 0x808080};
    bool SoundsON = false;
    std::string StickerTextureFile;

    bool operator==(const tCubeSettings&) const = default;
};

// The built-in values, the start of every other record.
inline const tCubeSettings BuiltInSettings{};
