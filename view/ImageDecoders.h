#pragma once
// Picture decoding for textures: Windows bitmaps (.bmp), JPEG (.jpg) and Truevision TGA (.tga) into a
// pixel buffer that glTexImage2D / gluBuild2DMipmaps take as it is. No GL, no toolkit: the texture
// loaders turn a decoded picture into a texture and show the message a failure carries in a plain
// owner-less box. Safe to call from any thread; nothing is shared.
//
// Every decoder reads only inside the bytes it was given and writes only inside the buffer it made,
// whatever the file holds. What is accepted:
//
//   BMP  uncompressed 24-bit; also 32-bit (plain or with the usual bit masks, the fourth byte dropped)
//        and 8-bit with a colour table; bottom-up or top-down; rows padded to 4 bytes as the format
//        says; any information header from the 40-byte one on. Pixel data starts at the header's data
//        offset when that is plausible, else directly after the headers and the colour table.
//        Always RGB.
//   JPEG what libjpeg decodes to red, green and blue at full size (colour or grey). Always RGBA with
//        alpha 255.
//   TGA  true colour (image type 2) and run-length encoded true colour (type 10), 24 bits (RGB) or 32
//        bits (RGBA, alpha as stored). The identification field is skipped. Rows are taken as stored:
//        the first row is the bottom row, whatever the image descriptor says.
//
// Everything else is refused with a message, as is a picture whose file ends early. Width and height
// must both lie in 1..MaxImageSide.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Larger sides are refused: no texture of ours needs more, and it bounds what a forged header can make
// us allocate.
inline constexpr int MaxImageSide = 16384;

enum class TPixelFormat : std::uint8_t { RGB, RGBA };

// A decoded picture. Pixels are tightly packed, bottom row first (texture t = 0), each pixel red,
// green, blue and, for RGBA, alpha. Rows of RGB pictures are Width * 3 bytes long, which need not be a
// multiple of 4: whoever uploads them sets GL_UNPACK_ALIGNMENT to 1.
struct TImage {
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    TPixelFormat Format = TPixelFormat::RGB;
    std::vector<std::uint8_t> Pixels; // Width * Height * BytesPerPixel() bytes

    int BytesPerPixel() const { return Format == TPixelFormat::RGBA ? 4 : 3; }
};

// What the user is told about a failure: the text and the caption of a plain message box.
struct TImageMessage {
    std::string Text;
    std::string Caption;

    bool operator==(const TImageMessage&) const = default;
};

// A picture, or why there is none. Image and Message are never both set; neither set is a failure
// that is not reported (a missing file, an extension no decoder takes).
struct TImageResult {
    std::optional<TImage> Image;
    std::optional<TImageMessage> Message;
};

enum class TImageKind : std::uint8_t { None, BMP, JPG, TGA };

// The decoder a file name asks for: its extension (from the last dot of the last path element,
// upper-cased) ".BMP", ".JPG" or ".TGA"; anything else, ".JPEG" too, is None.
TImageKind ImageKindOf(std::string_view FileName);

// The texture loader's choice: a name that is missing or a folder, or whose extension names no
// decoder, gives neither image nor message; otherwise the result of that format's file decoder.
TImageResult DecodeImageFile(const std::string& FileName);

// One format each, whatever the file's extension. A file that cannot be opened or read is reported:
//   BMP "Error opening <name>", JPEG "Couldn't load JPG - "<name>"", TGA "Couldn't read file "<name>"."
// except that the TGA decoder reports a missing file as "File not found  - <name>".
TImageResult DecodeBMPFile(const std::string& FileName);
TImageResult DecodeJPGFile(const std::string& FileName);
TImageResult DecodeTGAFile(const std::string& FileName);

// The same decoders on a file's bytes; FileName is used in messages only.
TImageResult DecodeBMP(std::span<const std::uint8_t> Data, const std::string& FileName);
TImageResult DecodeJPG(std::span<const std::uint8_t> Data, const std::string& FileName);
TImageResult DecodeTGA(std::span<const std::uint8_t> Data, const std::string& FileName);
