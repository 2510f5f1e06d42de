#pragma once
// Crafted picture files for the decoder, texture and skybox tests: writers for BMP, TGA and (with
// libjpeg) JPEG bytes, and a temporary folder to put them in.

#include "view/ImageDecoders.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace imagetest {

using Bytes = std::vector<std::uint8_t>;
using TRGBA = std::array<std::uint8_t, 4>;

// A picture as one looks at it: Pixels row by row, the top row first.
struct TPicture {
    int Width = 0;
    int Height = 0;
    std::vector<TRGBA> Pixels;

    const TRGBA& At(int x, int row) const { return Pixels[static_cast<std::size_t>(row * Width + x)]; }
};

inline constexpr TRGBA Red{255, 0, 0, 255};
inline constexpr TRGBA Green{0, 255, 0, 255};
inline constexpr TRGBA Blue{0, 0, 255, 255};
inline constexpr TRGBA White{255, 255, 255, 255};

// Red and green on top, blue and white below: any flip or mirror shows.
inline TPicture FourColors() {
    return {2, 2, {Red, Green, Blue, White}};
}

// Every pixel a different colour, alpha too.
inline TPicture Gradient(int Width, int Height) {
    TPicture p{Width, Height, {}};
    for (int row = 0; row < Height; ++row) {
        for (int x = 0; x < Width; ++x) {
            p.Pixels.push_back(
                {static_cast<std::uint8_t>(17 * x + 3), static_cast<std::uint8_t>(29 * row + 5),
                 static_cast<std::uint8_t>(7 * x + 11 * row + 1), static_cast<std::uint8_t>(200 - x - row)});
        }
    }
    return p;
}

// A picture of four solid 8x8 blocks, one JPEG block each: red, green / blue, white.
inline TPicture FourBlocks() {
    TPicture p{16, 16, {}};
    for (int row = 0; row < 16; ++row) {
        for (int x = 0; x < 16; ++x) {
            p.Pixels.push_back(row < 8 ? (x < 8 ? Red : Green) : (x < 8 ? Blue : White));
        }
    }
    return p;
}

// What a decoder must give for the picture: bottom row first, 3 or 4 bytes per pixel.
inline Bytes Expected(const TPicture& p, TPixelFormat Format) {
    Bytes out;
    for (int row = p.Height - 1; row >= 0; --row) {
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, row);
            out.insert(out.end(), {c[0], c[1], c[2]});
            if (Format == TPixelFormat::RGBA) {
                out.push_back(c[3]);
            }
        }
    }
    return out;
}

inline void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

struct TBmpOptions {
    int Bits = 24;                 // 8 (colour table of the picture's colours), 24 or 32
    bool TopDown = false;          // negative height, top row stored first
    std::uint32_t Compression = 0; // 0 plain, 3 bit masks
    std::uint32_t InfoSize = 40;   // 40, or a later header (108, 124) that holds the masks
    bool MasksAfterHeader = false; // the 12 mask bytes after a 40-byte header
    std::array<std::uint32_t, 3> Masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    std::optional<std::uint32_t> ColorsUsed{}; // default: the table's size (8-bit) or 0
    std::optional<std::uint32_t> DataOffset{}; // written instead of the true offset
};

inline Bytes MakeBMP(const TPicture& p, const TBmpOptions& o = {}) {
    Bytes b(14 + o.InfoSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 14, o.InfoSize);
    Put32(b, 18, static_cast<std::uint32_t>(p.Width));
    Put32(b, 22, static_cast<std::uint32_t>(o.TopDown ? -p.Height : p.Height));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<std::uint32_t>(o.Bits));
    Put32(b, 30, o.Compression);
    for (std::size_t i = 0; i < 3; ++i) {
        if (o.InfoSize >= 52) {
            Put32(b, 54 + 4 * i, o.Masks[i]);
        } else if (o.MasksAfterHeader) {
            b.resize(b.size() + 4);
            Put32(b, b.size() - 4, o.Masks[i]);
        }
    }
    std::map<TRGBA, std::uint8_t> index;
    if (o.Bits == 8) {
        for (const TRGBA& c : p.Pixels) {
            index.emplace(c, static_cast<std::uint8_t>(index.size()));
        }
        std::vector<TRGBA> table(index.size());
        for (const auto& [c, i] : index) {
            table[i] = c;
        }
        for (const TRGBA& c : table) {
            b.insert(b.end(), {c[2], c[1], c[0], 0});
        }
        Put32(b, 46, o.ColorsUsed.value_or(static_cast<std::uint32_t>(table.size())));
    } else {
        Put32(b, 46, o.ColorsUsed.value_or(0));
    }
    Put32(b, 10, o.DataOffset.value_or(static_cast<std::uint32_t>(b.size())));
    const std::size_t rowBytes = static_cast<std::size_t>(p.Width * o.Bits / 8);
    for (int i = 0; i < p.Height; ++i) {
        const int row = o.TopDown ? i : p.Height - 1 - i;
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, row);
            if (o.Bits == 8) {
                b.push_back(index[c]);
            } else {
                b.insert(b.end(), {c[2], c[1], c[0]});
                if (o.Bits == 32) {
                    b.push_back(0x5A);
                }
            }
        }
        b.resize(b.size() + (4 - rowBytes % 4) % 4, 0xCC);
    }
    return b;
}

struct TTgaOptions {
    std::uint8_t Type = 2; // 2 plain, 10 run-length encoded
    std::uint8_t Depth = 24;
    std::string Id{};
    std::uint8_t Descriptor = 0;
};

inline Bytes TgaHeader(int Width, int Height, const TTgaOptions& o) {
    Bytes b(18 + o.Id.size(), 0);
    b[0] = static_cast<std::uint8_t>(o.Id.size());
    b[2] = o.Type;
    Put16(b, 12, static_cast<std::uint32_t>(Width));
    Put16(b, 14, static_cast<std::uint32_t>(Height));
    b[16] = o.Depth;
    b[17] = o.Descriptor;
    std::copy(o.Id.begin(), o.Id.end(), b.begin() + 18);
    return b;
}

// Bottom row first; run-length encoded, a run packet for each run of a pixel and a raw packet for
// each lone one.
inline Bytes MakeTGA(const TPicture& p, const TTgaOptions& o = {}) {
    Bytes b = TgaHeader(p.Width, p.Height, o);
    std::vector<Bytes> pixels;
    for (int row = p.Height - 1; row >= 0; --row) {
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, row);
            pixels.push_back(o.Depth == 32 ? Bytes{c[2], c[1], c[0], c[3]} : Bytes{c[2], c[1], c[0]});
        }
    }
    for (std::size_t i = 0, run = 1; i < pixels.size(); i += run) {
        for (run = 1; o.Type == 10 && i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i];) {
            ++run;
        }
        if (o.Type == 10) {
            b.push_back(static_cast<std::uint8_t>(run > 1 ? 127 + run : 0));
        }
        b.insert(b.end(), pixels[i].begin(), pixels[i].end());
    }
    return b;
}

struct TJpegOptions {
    bool Gray = false;
    bool Cmyk = false;
    bool Progressive = false;
};

// Quality 100 at full resolution (4:4:4), so that blocks of one colour come back within a step or two.
inline Bytes MakeJPEG(const TPicture& p, const TJpegOptions& o = {}) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(p.Width);
    info.image_height = static_cast<JDIMENSION>(p.Height);
    info.input_components = o.Gray ? 1 : o.Cmyk ? 4 : 3;
    info.in_color_space = o.Gray ? JCS_GRAYSCALE : o.Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    if (o.Progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    Bytes row;
    for (int y = 0; y < p.Height; ++y) {
        row.clear();
        for (int x = 0; x < p.Width; ++x) {
            const TRGBA& c = p.At(x, y);
            row.insert(row.end(), c.begin(), c.begin() + info.input_components);
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

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "torvane-images-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            ADD_FAILURE() << "no temporary folder";
        }
        Path = pattern;
    }
    ~TTempFolder() {
        std::error_code error;
        std::filesystem::remove_all(Path, error);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string Write(const std::string& Name, const Bytes& Data) const {
        const std::filesystem::path file = Path / Name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
        return file.string();
    }
    std::string Write(const std::string& Name, const std::string& Text) const {
        return Write(Name, Bytes(Text.begin(), Text.end()));
    }
    std::string Name(const std::string& Name) const { return (Path / Name).string(); }

    std::filesystem::path Path;
};

} // namespace imagetest
