#pragma once
// Crafted picture files for the decoder and skybox tests: writers for BMP, TGA and (with libjpeg)
// JPEG bytes.

#include "support/TempFolder.h"
#include "view/ImageDecoders.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace imagetest {

using testsupport::TTempFolder;

using Bytes = std::vector<std::uint8_t>;
using TRGBA = std::array<std::uint8_t, 4>;

// A picture as one looks at it: Pixels row by row, the top row first.
struct TPicture {
    int Width = 0, Height = 0;
    std::vector<TRGBA> Pixels;

    const TRGBA& At(int x, int row) const { return Pixels[static_cast<std::size_t>(row * Width + x)]; }
};

inline constexpr TRGBA Red{255, 0, 0, 255};
inline constexpr TRGBA Green{0, 255, 0, 255};
inline constexpr TRGBA Blue{0, 0, 255, 255};
inline constexpr TRGBA White{255, 255, 255, 255};
inline constexpr TRGBA Black{0, 0, 0, 255};

// A picture whose pixel at (x, row) is Colour(x, row).
template <typename TColour>
TPicture Painted(int Width, int Height, TColour Colour) {
    TPicture p{Width, Height, {}};
    for (int row = 0; row < Height; ++row) {
        for (int x = 0; x < Width; ++x) {
            p.Pixels.push_back(Colour(x, row));
        }
    }
    return p;
}

// Every pixel a different colour, alpha too.
inline TPicture Gradient(int Width, int Height) {
    return Painted(Width, Height, [](int x, int row) {
        return TRGBA{static_cast<std::uint8_t>(17 * x + 3), static_cast<std::uint8_t>(29 * row + 5),
                     static_cast<std::uint8_t>(7 * x + 11 * row + 1),
                     static_cast<std::uint8_t>(200 - x - row)};
    });
}

// A picture of four solid 8x8 blocks, one JPEG block each: red, green / blue, white.
inline TPicture FourBlocks() {
    return Painted(16, 16,
                   [](int x, int row) { return row < 8 ? (x < 8 ? Red : Green) : (x < 8 ? Blue : White); });
}

// What a decoder must give for the picture: bottom row first, 3 or 4 bytes per pixel.
inline Bytes Expected(const TPicture& p, TPixelFormat Format) {
    Bytes out;
    for (int row = p.Height - 1; row >= 0; --row) {
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, row);
            out.insert(out.end(), c.begin(), c.begin() + (Format == TPixelFormat::RGBA ? 4 : 3));
        }
    }
    return out;
}

// B with the Size bytes at At set to V, least significant first.
inline Bytes Patched(Bytes b, std::size_t At, std::uint32_t V, int Size = 4) {
    for (int i = 0; i < Size; ++i) {
        b[At + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(V >> (8 * i));
    }
    return b;
}

// Bits 8 (each pixel its own colour table entry), 24 or 32; a 108-byte header holds bit masks (red,
// green, blue in their usual places), which makes it a compression 3 file.
inline Bytes MakeBMP(const TPicture& p, int Bits = 24, bool TopDown = false, std::uint32_t InfoSize = 40) {
    Bytes b(14 + InfoSize, 0);
    b = Patched(b, 0, 'B' | 'M' << 8, 2);
    b = Patched(b, 14, InfoSize);
    b = Patched(b, 18, static_cast<std::uint32_t>(p.Width));
    b = Patched(b, 22, static_cast<std::uint32_t>(TopDown ? -p.Height : p.Height));
    b = Patched(b, 26, 1, 2);
    b = Patched(b, 28, static_cast<std::uint32_t>(Bits), 2);
    b = Patched(b, 30, InfoSize > 40 ? 3 : 0);
    b = Patched(b, 46, Bits == 8 ? static_cast<std::uint32_t>(p.Pixels.size()) : 0);
    for (std::uint32_t i = 0; InfoSize > 40 && i < 3; ++i) {
        b = Patched(b, 54 + 4 * i, 0xFF0000u >> (8 * i));
    }
    for (const TRGBA& c : Bits == 8 ? p.Pixels : std::vector<TRGBA>{}) {
        b.insert(b.end(), {c[2], c[1], c[0], 0});
    }
    b = Patched(b, 10, static_cast<std::uint32_t>(b.size()));
    for (int i = 0; i < p.Height; ++i) {
        const int row = TopDown ? i : p.Height - 1 - i;
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, row);
            if (Bits == 8) {
                b.push_back(static_cast<std::uint8_t>(row * p.Width + x));
            } else {
                b.insert(b.end(), {c[2], c[1], c[0]});
            }
            if (Bits == 32) {
                b.push_back(0x5A);
            }
        }
        b.resize(b.size() + (4 - static_cast<std::size_t>(p.Width * Bits / 8) % 4) % 4, 0xCC);
    }
    return b;
}

// The header, type 2 plain or 10 run-length encoded, Depth 24 or 32, and the pixel data after it.
inline Bytes TgaFile(int Width, int Height, std::uint8_t Type = 2, std::uint8_t Depth = 24,
                     const Bytes& Data = {}) {
    Bytes b(18, 0);
    b[2] = Type;
    b = Patched(b, 12, static_cast<std::uint32_t>(Width), 2);
    b = Patched(b, 14, static_cast<std::uint32_t>(Height), 2);
    b[16] = Depth;
    b.insert(b.end(), Data.begin(), Data.end());
    return b;
}

// Bottom row first; run-length encoded, a run packet for each run of a pixel and a raw packet for
// each lone one.
inline Bytes MakeTGA(const TPicture& p, std::uint8_t Type = 2, std::uint8_t Depth = 24) {
    Bytes b = TgaFile(p.Width, p.Height, Type, Depth);
    std::vector<Bytes> pixels;
    for (int row = p.Height - 1; row >= 0; --row) {
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, row);
            pixels.push_back(Depth == 32 ? Bytes{c[2], c[1], c[0], c[3]} : Bytes{c[2], c[1], c[0]});
        }
    }
    for (std::size_t i = 0, run = 1; i < pixels.size(); i += run) {
        for (run = 1; Type == 10 && i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i];) {
            ++run;
        }
        if (Type == 10) {
            b.push_back(static_cast<std::uint8_t>(run > 1 ? 127 + run : 0));
        }
        b.insert(b.end(), pixels[i].begin(), pixels[i].end());
    }
    return b;
}

// Quality 100 at full resolution (4:4:4), so that blocks of one colour come back within a step or two.
inline Bytes MakeJPEG(const TPicture& p, J_COLOR_SPACE Space = JCS_RGB) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(p.Width);
    info.image_height = static_cast<JDIMENSION>(p.Height);
    info.input_components = Space == JCS_GRAYSCALE ? 1 : 3;
    info.in_color_space = Space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < p.Height; ++y) {
        Bytes row;
        for (int x = 0; x < p.Width; ++x) {
            row.insert(row.end(), p.At(x, y).begin(), p.At(x, y).begin() + info.input_components);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes result(out, out + outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return result;
}

} // namespace imagetest
