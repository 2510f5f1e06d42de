// The picture decoders on crafted good and bad files: exact pixels and orientation for what they
// take, the exact message for what they refuse, and which decoder a file name picks. Environment
// files: the keys and their defaults, and where the six pictures are looked for.
#include "view/ImageDecoders.h"

#include "tests/view/ImageTestFiles.h"
#include "view/EnvFile.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <utility>

using namespace imagetest;

namespace {

const std::string Name = "/pictures/face.x";
using TDecoder = TImageResult (*)(std::span<const std::uint8_t>, const std::string&);

struct TGood {
    const char* What;
    TDecoder Decode;
    Bytes File;
    TPicture Picture;
    TPixelFormat Format = TPixelFormat::RGB;
    int Tolerance = 0; // JPEG blocks of one colour come back within a step or two
};

Bytes Appended(Bytes b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return b;
}

// Rows of 5 RGB pixels need padding; 16384 is the largest side taken.
const TGood GoodFiles[] = {
    {"Bmp24", DecodeBMP, MakeBMP(FourColors()), FourColors()},
    {"Bmp24TopDownPadded", DecodeBMP, MakeBMP(Gradient(5, 3), {.TopDown = true}), Gradient(5, 3)},
    {"Bmp32", DecodeBMP, MakeBMP(Gradient(3, 2), {.Bits = 32}), Gradient(3, 2)},
    {"Bmp32MasksAfterHeader", DecodeBMP, MakeBMP(Gradient(3, 2), {.Bits = 32, .MasksAfterHeader = true}),
     Gradient(3, 2)},
    {"Bmp32MasksInV4Header", DecodeBMP, MakeBMP(Gradient(3, 2), {.Bits = 32, .InfoSize = 108}),
     Gradient(3, 2)},
    {"Bmp8", DecodeBMP, MakeBMP(Gradient(5, 3), {.Bits = 8}), Gradient(5, 3)},
    {"BmpOffsetZero", DecodeBMP, Patched(MakeBMP(Gradient(3, 2)), 10, 0), Gradient(3, 2)},
    {"BmpOffsetPastTheFile", DecodeBMP, Patched(MakeBMP(Gradient(3, 2)), 10, 100000), Gradient(3, 2)},
    {"Tga32", DecodeTGA, MakeTGA(Gradient(5, 3), {.Depth = 32}), Gradient(5, 3), TPixelFormat::RGBA},
    {"TgaRle24", DecodeTGA, MakeTGA(Gradient(9, 4), {.Type = 10}), Gradient(9, 4)},
    {"TgaRle32WithId", DecodeTGA, MakeTGA(FourBlocks(), {.Type = 10, .Depth = 32, .Id = "x"}), FourBlocks(),
     TPixelFormat::RGBA},
    {"TgaLongRuns", DecodeTGA, MakeTGA(TPicture{300, 2, std::vector<TRGBA>(600, Green)}, {.Type = 10}),
     TPicture{300, 2, std::vector<TRGBA>(600, Green)}},
    {"TgaRleLargest", DecodeTGA,
     MakeTGA(TPicture{1, MaxImageSide, std::vector<TRGBA>(MaxImageSide, Red)}, {.Type = 10}),
     TPicture{1, MaxImageSide, std::vector<TRGBA>(MaxImageSide, Red)}},
    {"TgaRleRawPacket", DecodeTGA, Appended(TgaHeader(2, 1, {.Type = 10}), {1, 0, 0, 255, 0, 255, 0}),
     TPicture{2, 1, {Red, Green}}},
    // Rows are taken as stored whatever the image descriptor says.
    {"TgaDescriptorIgnored", DecodeTGA, Patched(MakeTGA(Gradient(3, 2)), 17, 0x28, 1), Gradient(3, 2)},
    // Always opaque RGBA; grey keeps only the red channel.
    {"Jpeg", DecodeJPG, MakeJPEG(FourBlocks()), FourBlocks(), TPixelFormat::RGBA, 3},
    {"JpegProgressive", DecodeJPG, MakeJPEG(FourBlocks(), JCS_RGB, true), FourBlocks(), TPixelFormat::RGBA,
     3},
    {"JpegGrey", DecodeJPG, MakeJPEG(FourBlocks(), JCS_GRAYSCALE),
     Painted(16, 16,
             [](int x, int row) {
                 return (x < 8) == (row < 8) ? White : TRGBA{0, 0, 0, 255};
             }),
     TPixelFormat::RGBA, 3},
};

TEST(ImageDecoders, GoodFilesGiveTheirExactPixelsBottomRowFirst) {
    // Red, green on top; blue, white below, spelled out once by hand.
    EXPECT_EQ(DecodeBMP(MakeBMP(FourColors()), Name).Image->Pixels,
              (Bytes{0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0}));
    for (const TGood& c : GoodFiles) {
        SCOPED_TRACE(c.What);
        const TImageResult r = c.Decode(c.File, Name);
        ASSERT_TRUE(r.Image) << (r.Message ? r.Message->Text : "no message");
        EXPECT_FALSE(r.Message);
        EXPECT_EQ(r.Image->Width, c.Picture.Width);
        EXPECT_EQ(r.Image->Height, c.Picture.Height);
        EXPECT_EQ(r.Image->Format, c.Format);
        const Bytes expected = Expected(c.Picture, c.Format);
        ASSERT_EQ(r.Image->Pixels.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NEAR(r.Image->Pixels[i], expected[i], c.Tolerance) << "byte " << i;
        }
    }
}

Bytes Cut(Bytes b, std::size_t keep) {
    b.resize(keep);
    return b;
}
// The width field of the first frame header.
Bytes WithJpegWidth(Bytes file, std::uint16_t Width) {
    for (std::size_t i = 0; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            return Patched(file, i + 7, static_cast<std::uint32_t>(Width >> 8 | (Width & 0xFF) << 8), 2);
        }
    }
    return {};
}

struct TBad {
    const char* What;
    TDecoder Decode;
    Bytes File;
    const char* Text;
};

const Bytes Bmp24 = MakeBMP(Gradient(5, 3));
const Bytes Bmp8 = MakeBMP(Gradient(5, 3), {.Bits = 8});
const Bytes Tga24 = MakeTGA(Gradient(5, 3));
const Bytes Jpeg = MakeJPEG(FourBlocks());
const char* const BmpData = "Error reading bitmap data";
const char* const BmpOnly = "Couldn't load \""
                            "/pictures/face.x"
                            "\". Only uncompressed 8, 24 and 32 bit BMP files supported.";
const char* const Size = "Couldn't load \"/pictures/face.x\". Width and height must be 1 to 16384 pixels.";
const char* const TgaShort = "Couldn't read file \"/pictures/face.x\".";
const char* const TgaDepth = "Couldn't load \"/pictures/face.x\". Only 24 and 32 bit TGA files supported.";
const char* const JpegFailed = "Couldn't load JPG - \"/pictures/face.x\"";

const TBad BadFiles[] = {
    {"BmpEmpty", DecodeBMP, {}, BmpData},
    {"BmpInfoHeaderLongerThanFile", DecodeBMP, Patched(Bmp24, 14, 0xFFFFFFF0u), BmpData},
    {"BmpRowsCut", DecodeBMP, Cut(Bmp24, Bmp24.size() - 2), BmpData},
    {"BmpMasksCut", DecodeBMP, Cut(MakeBMP(Gradient(1, 1), {.Bits = 32, .MasksAfterHeader = true}), 60),
     BmpData},
    {"BmpLargestWithoutRows", DecodeBMP, Patched(Patched(Bmp24, 18, 16384), 22, 16384), BmpData},
    {"BmpPaletteCut", DecodeBMP, Cut(Bmp8, 60), "Error reading palette"},
    {"BmpHugeColourCount", DecodeBMP, Patched(Bmp24, 46, 0xFFFFFFFFu), "Error reading palette"},
    {"BmpNotBM", DecodeBMP, Patched(Bmp24, 0, 0x4142, 2), BmpOnly},
    {"BmpCoreHeader", DecodeBMP, Patched(Bmp24, 14, 12), BmpOnly},
    {"Bmp16Bit", DecodeBMP, Patched(Bmp24, 28, 16, 2), BmpOnly},
    {"BmpRle8", DecodeBMP, Patched(Bmp8, 30, 1), BmpOnly},
    {"BmpOtherRedMask", DecodeBMP,
     Patched(MakeBMP(Gradient(2, 2), {.Bits = 32, .MasksAfterHeader = true}), 54, 0xFF000000u), BmpOnly},
    {"BmpColourTableTooLong", DecodeBMP, Patched(Bmp8, 46, 257), BmpOnly},
    {"BmpWidthZero", DecodeBMP, Patched(Bmp24, 18, 0), Size},
    {"BmpTopDownTooLarge", DecodeBMP, Patched(Bmp24, 22, static_cast<std::uint32_t>(-16385)), Size},
    {"BmpHeightMostNegative", DecodeBMP, Patched(Bmp24, 22, 0x80000000u), Size},
    {"TgaEmpty", DecodeTGA, {}, TgaShort},
    {"TgaGrey", DecodeTGA, Patched(Tga24, 2, 3, 1),
     "Couldn't load \"/pictures/face.x\". Only 24 and 32bit TGA supported."},
    {"TgaColourMap", DecodeTGA, Patched(Tga24, 1, 1, 1),
     "Couldn't load \"/pictures/face.x\". Colormapped TGA files not supported."},
    {"TgaDepth16", DecodeTGA, Patched(Tga24, 16, 16, 1), TgaDepth},
    {"TgaWidthTooLarge", DecodeTGA, Patched(Tga24, 12, 16385, 2), Size},
    {"TgaPixelsCut", DecodeTGA, Cut(Tga24, Tga24.size() - 1), TgaShort},
    {"TgaIdentificationEatsPixels", DecodeTGA, Patched(Tga24, 0, 1, 1), TgaShort},
    {"TgaRleRunCut", DecodeTGA, Appended(TgaHeader(2, 2, {.Type = 10}), {130, 1, 2, 3, 131, 4}), TgaShort},
    {"TgaRleRawCut", DecodeTGA, Appended(TgaHeader(4, 1, {.Type = 10}), {3, 1, 2, 3, 4, 5, 6, 7}), TgaShort},
    // Ten bytes cannot fill 16384 x 16384 pixels: refused before a buffer of that size is made.
    {"TgaRleLargestFromTenBytes", DecodeTGA,
     Appended(TgaHeader(16384, 16384, {.Type = 10}), {255, 1, 2, 3, 255, 1, 2, 3, 255, 1}), TgaShort},
    {"JpegCut", DecodeJPG, Cut(Jpeg, Jpeg.size() / 2), JpegFailed},
    {"JpegCmyk", DecodeJPG, MakeJPEG(FourBlocks(), JCS_CMYK), JpegFailed},
    {"JpegWidthZero", DecodeJPG, WithJpegWidth(Jpeg, 0), JpegFailed},
    {"JpegWidthTooLarge", DecodeJPG, WithJpegWidth(Jpeg, 16385), Size},
};

TEST(ImageDecoders, BadFilesAreRefusedWithTheirMessage) {
    for (const TBad& c : BadFiles) {
        SCOPED_TRACE(c.What);
        const TImageResult r = c.Decode(c.File, Name);
        EXPECT_FALSE(r.Image);
        ASSERT_TRUE(r.Message);
        EXPECT_EQ(r.Message->Text, c.Text);
        EXPECT_EQ(r.Message->Caption, c.Decode == DecodeTGA ? "TGA File Error" : "BMP Unit");
    }
}

TEST(ImageDecoders, FileNamesPickTheDecoderAndMissingFilesAreSilent) {
    TTempFolder folder;
    const Bytes bmp = MakeBMP(FourColors());
    std::filesystem::create_directories(folder.Path / "folder.jpg");
    const std::string pipe = folder.Name("pipe.tga");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        std::string File;
        TImageResult (*Decode)(const std::string&);
        bool Loads;
        std::string Text; // "%" stands for the file; empty: no message
        const char* Caption = "BMP Unit";
    } cases[] = {
        {folder.Write("a.bmp", bmp), DecodeImageFile, true, ""},
        {folder.Write("a.tar.TgA", MakeTGA(FourColors())), DecodeImageFile, true, ""},
        {folder.Write("a.JPG", MakeJPEG(FourBlocks())), DecodeImageFile, true, ""},
        // The extension decides, not the contents.
        {folder.Write("bitmap.tga", bmp), DecodeImageFile, false,
         "Couldn't load \"%\". Only 24 and 32bit TGA supported.", "TGA File Error"},
        {folder.Write("a.jpeg", MakeJPEG(FourBlocks())), DecodeImageFile, false, ""},
        {folder.Write("bmp", bmp), DecodeImageFile, false, ""},
        {folder.Name("missing.bmp"), DecodeImageFile, false, ""},
        {folder.Name("folder.jpg"), DecodeImageFile, false, ""},
        {"", DecodeImageFile, false, ""},
        // A pipe is not opened at all: opening it would wait for a writer.
        {pipe, DecodeImageFile, false, "Couldn't read file \"%\".", "TGA File Error"},
        {pipe, DecodeBMPFile, false, "Error opening %"},
        {folder.Name("gone.bmp"), DecodeBMPFile, false, "Error opening %"},
        {folder.Name("gone.jpg"), DecodeJPGFile, false, "Couldn't load JPG - \"%\""},
        {folder.Name("gone.tga"), DecodeTGAFile, false, "File not found  - %", "TGA Texture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        const TImageResult r = c.Decode(c.File);
        EXPECT_EQ(r.Image.has_value(), c.Loads);
        std::string text = c.Text;
        if (const std::size_t at = text.find('%'); at != std::string::npos) {
            text.replace(at, 1, c.File);
        }
        EXPECT_EQ(r.Message, text.empty() ? std::nullopt : std::optional(TImageMessage{text, c.Caption}));
    }
}

TEST(EnvironmentFile, KeysAndTheirDefaults) {
    TTempFolder folder;
    EXPECT_EQ(ReadEnvironmentFile(folder.Name("missing.env")), (TEnvironmentDescription{"", "jpg"}));
    const std::pair<std::string, TEnvironmentDescription> cases[] = {
        {"[CUBE]\nPath=x/\n", {"", "jpg"}},
        {"[ENVIRON]\nPath=x/\n", {"x/", "jpg"}},
        {"[ENVIRON]\nExtension=BMP\n", {"", "BMP"}},
        // Made on another system.
        {"[ENVIRON]\r\nPath=Skies\\Blue\\\r\nExtension=bmp\r\n", {"Skies/Blue/", "bmp"}},
    };
    for (const auto& [text, description] : cases) {
        EXPECT_EQ(ReadEnvironmentFile(folder.Write("sky.env", text)), description) << text;
    }
}

TEST(EnvironmentFile, PicturesLieBesideTheFileUnderItsPath) {
    const struct {
        const char* File;
        TEnvironmentDescription Description;
        int Face;
        const char* Picture;
    } cases[] = {
        {"/F/sky.env", {"S/", "jpg"}, 0, "/F/S/Up.jpg"},
        {"/F/sky.env", {"", "TGA"}, 3, "/F/Back.TGA"},
        {"/F/sky.env", {"Sky_", "bmp"}, 1, "/F/Sky_Front.bmp"},
        {"sky.env", {"", "jpg"}, 5, "Down.jpg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EnvironmentPictureFiles(c.File, c.Description)[static_cast<std::size_t>(c.Face)],
                  c.Picture);
    }
}

} // namespace
