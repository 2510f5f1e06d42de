#include "view/ImageDecoders.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>

// libjpeg's headers want FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr const char* BMPCaption = "BMP Unit";
constexpr const char* TGACaption = "TGA File Error";
constexpr const char* TGANotFoundCaption = "TGA Texture";

// No picture within the size limit needs a longer file; a longer one is read only this far, so that a
// huge file cannot exhaust memory.
constexpr std::uint64_t MaxFileBytes =
    std::uint64_t{4} * MaxImageSide * MaxImageSide + (std::uint64_t{1} << 20);

std::string Quoted(const std::string& FileName) {
    return "\"" + FileName + "\"";
}

TImageResult Failure(std::string Text, const char* Caption) {
    TImageResult result;
    result.Message = TImageMessage{std::move(Text), Caption};
    return result;
}

TImageResult SizeFailure(const std::string& FileName, const char* Caption) {
    return Failure("Couldn't load " + Quoted(FileName) + ". Width and height must be 1 to " +
                       std::to_string(MaxImageSide) + " pixels.",
                   Caption);
}

bool SideInRange(std::int64_t Side) {
    return Side >= 1 && Side <= MaxImageSide;
}

TImage NewImage(int Width, int Height, TPixelFormat Format) {
    TImage image;
    image.Width = static_cast<std::uint16_t>(Width);
    image.Height = static_cast<std::uint16_t>(Height);
    image.Format = Format;
    image.Pixels.resize(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height) *
                        static_cast<std::size_t>(image.BytesPerPixel()));
    return image;
}

TImageResult Success(TImage Image) {
    TImageResult result;
    result.Image = std::move(Image);
    return result;
}

// Little-endian fields; the caller has checked that they lie inside the data.
std::uint16_t U16(std::span<const std::uint8_t> Data, std::size_t At) {
    return static_cast<std::uint16_t>(Data[At] | (Data[At + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> Data, std::size_t At) {
    return static_cast<std::uint32_t>(Data[At]) | (static_cast<std::uint32_t>(Data[At + 1]) << 8) |
           (static_cast<std::uint32_t>(Data[At + 2]) << 16) |
           (static_cast<std::uint32_t>(Data[At + 3]) << 24);
}

std::int32_t I32(std::span<const std::uint8_t> Data, std::size_t At) {
    return static_cast<std::int32_t>(U32(Data, At));
}

enum class TReadStatus { Ok, Missing, Failed };

struct TFileBytes {
    TReadStatus Status = TReadStatus::Failed;
    std::vector<std::uint8_t> Bytes;
};

// Only regular files are read: a folder, a pipe or a device is a file that cannot be read (opening a
// pipe would block).
TFileBytes ReadFileBytes(const std::string& FileName) {
    namespace fs = std::filesystem;
    TFileBytes file;
    std::error_code error;
    const fs::file_status status = fs::status(FileName, error);
    if (status.type() == fs::file_type::not_found) {
        file.Status = TReadStatus::Missing;
        return file;
    }
    if (error || status.type() != fs::file_type::regular) {
        return file;
    }
    const std::uintmax_t size = fs::file_size(FileName, error);
    if (error) {
        return file;
    }
    std::ifstream in(FileName, std::ios::binary);
    if (!in) {
        return file;
    }
    try {
        file.Bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, MaxFileBytes)));
    } catch (const std::bad_alloc&) {
        return file;
    }
    in.read(reinterpret_cast<char*>(file.Bytes.data()), static_cast<std::streamsize>(file.Bytes.size()));
    if (in.bad()) {
        file.Bytes.clear();
        return file;
    }
    // A file that shrank while we read it is taken as far as it went.
    file.Bytes.resize(static_cast<std::size_t>(in.gcount()));
    file.Status = TReadStatus::Ok;
    return file;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// ---- BMP ----

constexpr std::size_t BMPFileHeaderSize = 14;
constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_BITFIELDS = 3;

TImageResult DecodeBMPData(std::span<const std::uint8_t> Data, const std::string& FileName) {
    const auto unsupported = [&] {
        return Failure("Couldn't load " + Quoted(FileName) +
                           ". Only uncompressed 8, 24 and 32 bit BMP files supported.",
                       BMPCaption);
    };
    const auto dataMissing = [] { return Failure("Error reading bitmap data", BMPCaption); };

    const std::uint64_t size = Data.size();
    if (size < BMPFileHeaderSize + 4) {
        return dataMissing();
    }
    if (Data[0] != 'B' || Data[1] != 'M') {
        return unsupported();
    }
    const std::uint64_t infoSize = U32(Data, 14);
    // The OS/2 header (12 bytes) lays out its fields differently.
    if (infoSize < 40) {
        return unsupported();
    }
    const std::uint64_t infoEnd = BMPFileHeaderSize + infoSize;
    if (infoEnd > size) {
        return dataMissing();
    }
    const std::int64_t width = I32(Data, 18);
    const std::int64_t storedHeight = I32(Data, 22);
    const unsigned bitCount = U16(Data, 28);
    const std::uint32_t compression = U32(Data, 30);
    const std::uint64_t colorsUsed = U32(Data, 46);

    // A negative height marks rows stored top row first.
    const bool topDown = storedHeight < 0;
    const std::int64_t height = topDown ? -storedHeight : storedHeight;
    if (!SideInRange(width) || !SideInRange(height)) {
        return SizeFailure(FileName, BMPCaption);
    }

    std::uint64_t tableStart = infoEnd;
    if (compression == BI_RGB) {
        if (bitCount != 8 && bitCount != 24 && bitCount != 32) {
            return unsupported();
        }
    } else if (compression == BI_BITFIELDS && bitCount == 32) {
        // The 40-byte header is followed by the three masks; later headers hold them.
        const std::uint64_t masksAt = 54;
        if (infoSize < 52) {
            tableStart = infoEnd + 12;
            if (tableStart > size) {
                return dataMissing();
            }
        }
        if (U32(Data, masksAt) != 0x00FF0000u || U32(Data, masksAt + 4) != 0x0000FF00u ||
            U32(Data, masksAt + 8) != 0x000000FFu) {
            return unsupported();
        }
    } else {
        return unsupported();
    }

    const std::uint64_t tableEntries = bitCount == 8 ? (colorsUsed ? colorsUsed : 256) : colorsUsed;
    if (bitCount == 8 && tableEntries > 256) {
        return unsupported();
    }
    const std::uint64_t tableEnd = tableStart + 4 * tableEntries;
    if (tableEnd > size) {
        return Failure("Error reading palette", BMPCaption);
    }

    // Writers agree on the data offset; when it points into the headers or past the file it is
    // forged, and the rows are taken from right after the colour table.
    const std::uint64_t dataOffset = U32(Data, 10);
    const std::uint64_t rowsStart = (dataOffset >= tableEnd && dataOffset <= size) ? dataOffset : tableEnd;

    const std::uint64_t bytesPerPixel = bitCount / 8;
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * bytesPerPixel;
    const std::uint64_t stride = (rowBytes + 3) & ~std::uint64_t{3};
    // The last row's padding may be missing.
    const std::uint64_t needed = static_cast<std::uint64_t>(height - 1) * stride + rowBytes;
    if (rowsStart + needed > size) {
        return dataMissing();
    }

    TImage image = NewImage(static_cast<int>(width), static_cast<int>(height), TPixelFormat::RGB);
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* in = Data.data() + rowsStart + static_cast<std::uint64_t>(row) * stride;
        const std::int64_t outRow = topDown ? height - 1 - row : row;
        std::uint8_t* out = image.Pixels.data() + static_cast<std::uint64_t>(outRow) * width * 3;
        for (std::int64_t x = 0; x < width; ++x, out += 3) {
            if (bitCount == 8) {
                const std::uint64_t index = in[x];
                if (index < tableEntries) {
                    const std::uint8_t* entry = Data.data() + tableStart + 4 * index;
                    out[0] = entry[2];
                    out[1] = entry[1];
                    out[2] = entry[0];
                } else {
                    // An index past the table shows black.
                    out[0] = out[1] = out[2] = 0;
                }
            } else {
                // Blue, green, red (and an unused byte) in the file.
                const std::uint8_t* pixel = in + x * static_cast<std::int64_t>(bytesPerPixel);
                out[0] = pixel[2];
                out[1] = pixel[1];
                out[2] = pixel[0];
            }
        }
    }
    return Success(std::move(image));
}

// ---- JPEG ----

struct TJpegErrors {
    jpeg_error_mgr Manager; // first, so that the library's pointer leads back to the whole record
    std::jmp_buf Jump;
    bool DataEnded;
};

// libjpeg must not return from a fatal error, and its default ends the process.
void JpegErrorExit(j_common_ptr Info) {
    std::longjmp(reinterpret_cast<TJpegErrors*>(Info->err)->Jump, 1);
}

// Warnings about damaged data go nowhere but into our record; the decoder itself carries on.
void JpegEmitMessage(j_common_ptr Info, int Level) {
    if (Level < 0) {
        Info->err->num_warnings++;
        if (Info->err->msg_code == JWRN_JPEG_EOF) {
            reinterpret_cast<TJpegErrors*>(Info->err)->DataEnded = true;
        }
    }
}

void JpegOutputMessage(j_common_ptr) {}

enum class TJpegOutcome { Ok, Failed, TooLarge };

// The library's error exit jumps back into this function, so every object here is a plain C record
// or lives outside (Image); nothing with a destructor is created after setjmp.
TJpegOutcome DecodeJpegInto(const std::uint8_t* Data, std::size_t Size, TImage& Image) {
    jpeg_decompress_struct info{};
    TJpegErrors errors{};
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = JpegErrorExit;
    errors.Manager.emit_message = JpegEmitMessage;
    errors.Manager.output_message = JpegOutputMessage;

    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&info);
        return TJpegOutcome::Failed;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, Data, static_cast<unsigned long>(Size));
    jpeg_read_header(&info, TRUE);
    if (!SideInRange(info.image_width) || !SideInRange(info.image_height)) {
        jpeg_destroy_decompress(&info);
        return TJpegOutcome::TooLarge;
    }
    info.out_color_space = JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = 1;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width != info.image_width ||
        info.output_height != info.image_height) {
        jpeg_destroy_decompress(&info);
        return TJpegOutcome::Failed;
    }
    const std::size_t width = info.output_width;
    const std::size_t height = info.output_height;
    try {
        Image = NewImage(static_cast<int>(width), static_cast<int>(height), TPixelFormat::RGBA);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&info);
        return TJpegOutcome::Failed;
    }
    while (info.output_scanline < info.output_height && !errors.DataEnded) {
        // The bottom picture row comes first in the buffer. The scanline is read into the start of its
        // own output row and spread out to four bytes per pixel from the right, so no row buffer is
        // needed.
        std::uint8_t* row = Image.Pixels.data() + (height - 1 - info.output_scanline) * width * 4;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) {
            break;
        }
        for (std::size_t x = width; x-- > 0;) {
            row[4 * x + 3] = 255;
            row[4 * x + 2] = row[3 * x + 2];
            row[4 * x + 1] = row[3 * x + 1];
            row[4 * x + 0] = row[3 * x + 0];
        }
    }
    // A file that ends early would leave rows the library made up.
    const bool complete = info.output_scanline == info.output_height && !errors.DataEnded;
    if (complete) {
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return complete ? TJpegOutcome::Ok : TJpegOutcome::Failed;
}

TImageResult DecodeJPGData(std::span<const std::uint8_t> Data, const std::string& FileName) {
    const auto failed = [&] { return Failure("Couldn't load JPG - " + Quoted(FileName), BMPCaption); };
    if (Data.empty()) {
        return failed();
    }
    TImage image;
    switch (DecodeJpegInto(Data.data(), Data.size(), image)) {
    case TJpegOutcome::Ok:
        return Success(std::move(image));
    case TJpegOutcome::TooLarge:
        return SizeFailure(FileName, BMPCaption);
    case TJpegOutcome::Failed:
        break;
    }
    return failed();
}

// ---- TGA ----

constexpr std::size_t TGAHeaderSize = 18;

TImageResult DecodeTGAData(std::span<const std::uint8_t> Data, const std::string& FileName) {
    const auto refused = [&](const char* Why) {
        return Failure("Couldn't load " + Quoted(FileName) + Why, TGACaption);
    };
    const auto dataMissing = [&] {
        return Failure("Couldn't read file " + Quoted(FileName) + ".", TGACaption);
    };

    if (Data.size() < TGAHeaderSize) {
        return dataMissing();
    }
    const std::size_t idLength = Data[0];
    const unsigned colorMapType = Data[1];
    const unsigned imageType = Data[2];
    const unsigned width = U16(Data, 12);
    const unsigned height = U16(Data, 14);
    const unsigned depth = Data[16];

    if (imageType != 2 && imageType != 10) {
        return refused(". Only 24 and 32bit TGA supported.");
    }
    if (colorMapType != 0) {
        return refused(". Colormapped TGA files not supported.");
    }
    if (depth != 24 && depth != 32) {
        return refused(". Only 24 and 32 bit TGA files supported.");
    }
    if (!SideInRange(width) || !SideInRange(height)) {
        return SizeFailure(FileName, TGACaption);
    }
    // The identification field (a free text) sits between the header and the pixels.
    const std::size_t start = TGAHeaderSize + idLength;
    if (start > Data.size()) {
        return dataMissing();
    }
    const std::span<const std::uint8_t> in = Data.subspan(start);
    const std::size_t b = depth / 8;
    const std::size_t pixelCount = static_cast<std::size_t>(width) * height;
    const TPixelFormat format = b == 3 ? TPixelFormat::RGB : TPixelFormat::RGBA;

    // Copies one stored pixel (blue, green, red, alpha) as red, green, blue, alpha.
    const auto put = [b](const std::uint8_t* from, std::uint8_t* to) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        if (b == 4) {
            to[3] = from[3];
        }
    };

    if (imageType == 2) {
        if (in.size() / b < pixelCount) {
            return dataMissing();
        }
        TImage image = NewImage(static_cast<int>(width), static_cast<int>(height), format);
        for (std::size_t i = 0; i < pixelCount; ++i) {
            put(in.data() + i * b, image.Pixels.data() + i * b);
        }
        return Success(std::move(image));
    }

    // Every packet takes at least 1 + b bytes and gives at most 128 pixels: data too short to fill the
    // picture is refused before a buffer of the picture's size is made.
    const std::size_t mostPixels = (in.size() + b) / (1 + b) * 128;
    if (mostPixels < pixelCount) {
        return dataMissing();
    }
    TImage image = NewImage(static_cast<int>(width), static_cast<int>(height), format);
    std::size_t at = 0;
    std::size_t produced = 0;
    while (produced < pixelCount) {
        if (at >= in.size()) {
            return dataMissing();
        }
        const unsigned packet = in[at++];
        // A packet that runs past the picture is cut at its end.
        const std::size_t count = std::min<std::size_t>((packet & 0x7F) + 1, pixelCount - produced);
        std::uint8_t* out = image.Pixels.data() + produced * b;
        if (packet < 128) {
            if ((in.size() - at) / b < count) {
                return dataMissing();
            }
            for (std::size_t i = 0; i < count; ++i) {
                put(in.data() + at + i * b, out + i * b);
            }
            at += count * b;
        } else {
            if (in.size() - at < b) {
                return dataMissing();
            }
            for (std::size_t i = 0; i < count; ++i) {
                put(in.data() + at, out + i * b);
            }
            at += b;
        }
        produced += count;
    }
    return Success(std::move(image));
}

} // namespace

TImageKind ImageKindOf(std::string_view FileName) {
    const std::size_t slash = FileName.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? FileName : FileName.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos) {
        return TImageKind::None;
    }
    std::string extension(base.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(), UpperAscii);
    if (extension == ".BMP") {
        return TImageKind::BMP;
    }
    if (extension == ".JPG") {
        return TImageKind::JPG;
    }
    if (extension == ".TGA") {
        return TImageKind::TGA;
    }
    return TImageKind::None;
}

TImageResult DecodeImageFile(const std::string& FileName) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(FileName, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
        return {};
    }
    switch (ImageKindOf(FileName)) {
    case TImageKind::BMP:
        return DecodeBMPFile(FileName);
    case TImageKind::JPG:
        return DecodeJPGFile(FileName);
    case TImageKind::TGA:
        return DecodeTGAFile(FileName);
    case TImageKind::None:
        break;
    }
    return {};
}

TImageResult DecodeBMPFile(const std::string& FileName) {
    const TFileBytes file = ReadFileBytes(FileName);
    if (file.Status != TReadStatus::Ok) {
        return Failure("Error opening " + FileName, BMPCaption);
    }
    return DecodeBMPData(file.Bytes, FileName);
}

TImageResult DecodeJPGFile(const std::string& FileName) {
    const TFileBytes file = ReadFileBytes(FileName);
    if (file.Status != TReadStatus::Ok) {
        return Failure("Couldn't load JPG - " + Quoted(FileName), BMPCaption);
    }
    return DecodeJPGData(file.Bytes, FileName);
}

TImageResult DecodeTGAFile(const std::string& FileName) {
    const TFileBytes file = ReadFileBytes(FileName);
    if (file.Status == TReadStatus::Missing) {
        return Failure("File not found  - " + FileName, TGANotFoundCaption);
    }
    if (file.Status != TReadStatus::Ok) {
        return Failure("Couldn't read file " + Quoted(FileName) + ".", TGACaption);
    }
    return DecodeTGAData(file.Bytes, FileName);
}

TImageResult DecodeBMP(std::span<const std::uint8_t> Data, const std::string& FileName) {
    return DecodeBMPData(Data, FileName);
}

TImageResult DecodeJPG(std::span<const std::uint8_t> Data, const std::string& FileName) {
    return DecodeJPGData(Data, FileName);
}

TImageResult DecodeTGA(std::span<const std::uint8_t> Data, const std::string& FileName) {
    return DecodeTGAData(Data, FileName);
}
