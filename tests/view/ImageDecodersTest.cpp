// The picture decoders on crafted good and bad files: exact pixels and orientation for what they
// take, the exact message for what they refuse, and which decoder a file name picks. Environment
// files: the defaults and paths made on another system.
#include "view/ImageDecoders.h"

#include "tests/view/ImageTestFiles.h"
#include "view/EnvFile.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <tuple>

using namespace imagetest;

namespace {

const std::string Name = "/pictures/face.x";
using TDecoder = TImageResult (*)(std::span<const std::uint8_t>, const std::string&);

const TPicture Tall{1, MaxImageSide, std::vector<TRGBA>(MaxImageSide, Red)};
// FourBlocks as a grey JPEG gives it: only the red channel counts.
const TPicture Grey = Painted(16, 16, [](int x, int row) { return (x < 8) == (row < 8) ? White : Black; });

// Rows of 5 RGB pixels need padding; 16384 is the largest side taken.
// What the file is, the decoder, the file, the picture it holds, the format it gives, and how far a
// byte may be off (JPEG blocks of one colour come back within a step or two).
using enum TPixelFormat;
const std::tuple<const char*, TDecoder, Bytes, TPicture, TPixelFormat, int> GoodFiles[] = {
    {"Bmp24TopDownPadded", DecodeBMP, MakeBMP(Gradient(5, 3), 24, true), Gradient(5, 3), RGB, 0},
    {"Bmp32", DecodeBMP, MakeBMP(Gradient(3, 2), 32), Gradient(3, 2), RGB, 0},
    {"Bmp32Masks", DecodeBMP, MakeBMP(Gradient(3, 2), 32, false, 108), Gradient(3, 2), RGB, 0},
    {"Bmp8", DecodeBMP, MakeBMP(Gradient(5, 3), 8), Gradient(5, 3), RGB, 0},
    {"Tga32", DecodeTGA, MakeTGA(Gradient(5, 3), 2, 32), Gradient(5, 3), RGBA, 0},
    {"TgaRle32", DecodeTGA, MakeTGA(FourBlocks(), 10, 32), FourBlocks(), RGBA, 0},
    {"TgaRleLargest", DecodeTGA, MakeTGA(Tall, 10), Tall, RGB, 0},
    {"TgaRleRawPacket", DecodeTGA, TgaFile(2, 1, 10, 24, {1, 0, 0, 255, 0, 255, 0}),
     TPicture{2, 1, {Red, Green}}, RGB, 0},
    // Always opaque RGBA.
    {"Jpeg", DecodeJPG, MakeJPEG(FourBlocks()), FourBlocks(), RGBA, 3},
    {"JpegGrey", DecodeJPG, MakeJPEG(FourBlocks(), JCS_GRAYSCALE), Grey, RGBA, 3},
};

TEST(ImageDecoders, GoodFilesGiveTheirExactPixelsBottomRowFirst) {
    // Red, green on top; blue, white below, spelled out once by hand.
    EXPECT_EQ(DecodeBMP(MakeBMP(TPicture{2, 2, {Red, Green, Blue, White}}), Name).Image->Pixels,
              (Bytes{0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0}));
    for (const auto& [what, decode, file, picture, format, tolerance] : GoodFiles) {
        SCOPED_TRACE(what);
        const TImageResult r = decode(file, Name);
        ASSERT_TRUE(r.Image) << (r.Message ? r.Message->Text : "no message");
        EXPECT_FALSE(r.Message);
        EXPECT_EQ(std::tuple(r.Image->Width, r.Image->Height, r.Image->Format),
                  std::tuple(picture.Width, picture.Height, format));
        const Bytes expected = Expected(picture, format);
        ASSERT_EQ(r.Image->Pixels.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NEAR(r.Image->Pixels[i], expected[i], tolerance) << "byte " << i;
        }
    }
}

// The width field of the first frame header set to 16385.
Bytes TooWideJpeg(Bytes file) {
    const Bytes frame{0xFF, 0xC0};
    const auto at = std::search(file.begin(), file.end(), frame.begin(), frame.end());
    return Patched(file, static_cast<std::size_t>(at - file.begin()) + 7, 0x0140, 2);
}

const Bytes Bmp24 = MakeBMP(Gradient(5, 3));
const Bytes Tga24 = MakeTGA(Gradient(5, 3));
const Bytes Jpeg = MakeJPEG(FourBlocks());
const char* const BmpData = "Error reading bitmap data";
const char* const BmpOnly =
    "Couldn't load \"/pictures/face.x\". Only uncompressed 8, 24 and 32 bit BMP files supported.";
const char* const Size = "Couldn't load \"/pictures/face.x\". Width and height must be 1 to 16384 pixels.";
const char* const TgaShort = "Couldn't read file \"/pictures/face.x\".";
const char* const JpegFailed = "Couldn't load JPG - \"/pictures/face.x\"";

// What the file is, the decoder, the file, and the message.
const std::tuple<const char*, TDecoder, Bytes, const char*> BadFiles[] = {
    {"BmpEmpty", DecodeBMP, {}, BmpData},
    {"BmpRowsCut", DecodeBMP, Bytes(Bmp24.begin(), Bmp24.end() - 2), BmpData},
    {"BmpHugeColourCount", DecodeBMP, Patched(Bmp24, 46, 0xFFFFFFFFu), "Error reading palette"},
    {"BmpNotBM", DecodeBMP, Patched(Bmp24, 0, 0x4142, 2), BmpOnly},
    {"BmpRle8", DecodeBMP, Patched(MakeBMP(Gradient(5, 3), 8), 30, 1), BmpOnly},
    {"BmpOtherRedMask", DecodeBMP, Patched(MakeBMP(Gradient(2, 2), 32, false, 108), 54, 0xFF000000u),
     BmpOnly},
    {"BmpWidthZero", DecodeBMP, Patched(Bmp24, 18, 0), Size},
    {"BmpHeightMostNegative", DecodeBMP, Patched(Bmp24, 22, 0x80000000u), Size},
    {"TgaEmpty", DecodeTGA, {}, TgaShort},
    {"TgaGrey", DecodeTGA, Patched(Tga24, 2, 3, 1),
     "Couldn't load \"/pictures/face.x\". Only 24 and 32bit TGA supported."},
    {"TgaColourMap", DecodeTGA, Patched(Tga24, 1, 1, 1),
     "Couldn't load \"/pictures/face.x\". Colormapped TGA files not supported."},
    {"TgaDepth16", DecodeTGA, Patched(Tga24, 16, 16, 1),
     "Couldn't load \"/pictures/face.x\". Only 24 and 32 bit TGA files supported."},
    {"TgaRleRunCut", DecodeTGA, TgaFile(2, 2, 10, 24, {130, 1, 2, 3, 131, 4}), TgaShort},
    // Ten bytes cannot fill 16384 x 16384 pixels: refused before a buffer of that size is made.
    {"TgaRleLargestFromTenBytes", DecodeTGA,
     TgaFile(16384, 16384, 10, 24, {255, 1, 2, 3, 255, 1, 2, 3, 255, 1}), TgaShort},
    {"JpegCut", DecodeJPG, Bytes(Jpeg.begin(), Jpeg.begin() + Jpeg.size() / 2), JpegFailed},
    // The library makes up the rows after the end; the picture is refused all the same.
    {"JpegScanCut", DecodeJPG, Bytes(Jpeg.begin(), Jpeg.end() - 6), JpegFailed},
    {"JpegWidthTooLarge", DecodeJPG, TooWideJpeg(Jpeg), Size},
};

TEST(ImageDecoders, BadFilesAreRefusedWithTheirMessage) {
    for (const auto& [what, decode, file, text] : BadFiles) {
        SCOPED_TRACE(what);
        const TImageResult r = decode(file, Name);
        EXPECT_FALSE(r.Image);
        ASSERT_TRUE(r.Message);
        EXPECT_EQ(r.Message->Text, text);
        EXPECT_EQ(r.Message->Caption, decode == DecodeTGA ? "TGA File Error" : "BMP Unit");
    }
}

// Loading by file name the skybox and sticker tests show; here the odd names.
TEST(ImageDecoders, TheExtensionPicksTheDecoderAndUnreadableFilesAreSilentOrRefused) {
    TTempFolder folder;
    std::filesystem::create_directories(folder.Name("folder.jpg"));
    const std::string pipe = folder.Name("pipe.tga");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string bitmap = folder.Write("bitmap.tga", MakeBMP(Gradient(2, 2)));
    // text: empty: no message
    const std::tuple<std::string, bool, std::string> cases[] = {
        {folder.Write("a.tar.TgA", MakeTGA(Gradient(2, 2))), true, ""},
        {bitmap, false, "Couldn't load \"" + bitmap + "\". Only 24 and 32bit TGA supported."},
        {folder.Name("folder.jpg"), false, ""},
        // A pipe is not opened at all: opening it would wait for a writer.
        {pipe, false, "Couldn't read file \"" + pipe + "\"."},
    };
    for (const auto& [file, loads, text] : cases) {
        SCOPED_TRACE(file);
        const TImageResult r = DecodeImageFile(file);
        EXPECT_EQ(r.Image.has_value(), loads);
        EXPECT_EQ(r.Message,
                  text.empty() ? std::nullopt : std::optional(TImageMessage{text, "TGA File Error"}));
    }
}

// Sections, keys and placing beside the file are the skybox tests'; here the rest.
TEST(EnvironmentFile, DefaultsAndPathsMadeOnAnotherSystem) {
    TTempFolder folder;
    EXPECT_EQ(ReadEnvironmentFile(folder.Name("missing.env")), (TEnvironmentDescription{"", "jpg"}));
    const std::string file = folder.Write("sky.env", std::string("[ENVIRON]\r\nPath=Skies\\Blue\\\r\n"));
    EXPECT_EQ(EnvironmentPictureFiles(file, ReadEnvironmentFile(file))[5],
              folder.Name("Skies/Blue/Down.jpg"));
    EXPECT_EQ(EnvironmentPictureFiles("sky.env", {"", "jpg"})[0], "Up.jpg");
}

} // namespace
