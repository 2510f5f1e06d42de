// The picture decoders on crafted good and bad files: exact pixels and orientation for what they
// take, the exact message for what they refuse.
#include "view/ImageDecoders.h"

#include "tests/view/ImageTestFiles.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace imagetest;

namespace {

const std::string Name = "/pictures/face.x";

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

TImageMessage BmpMessage(const std::string& Text) {
    return {Text, "BMP Unit"};
}
TImageMessage TgaMessage(const std::string& Text) {
    return {Text, "TGA File Error"};
}

const std::string BmpUnsupported =
    "Couldn't load " + Quoted(Name) + ". Only uncompressed 8, 24 and 32 bit BMP files supported.";
const std::string SizeRefused =
    "Couldn't load " + Quoted(Name) + ". Width and height must be 1 to 16384 pixels.";
const std::string TgaShort = "Couldn't read file " + Quoted(Name) + ".";

void ExpectImage(const TImageResult& r, int Width, int Height, TPixelFormat Format, const Bytes& Pixels) {
    ExpectWellFormed(r);
    ASSERT_TRUE(r.Image) << (r.Message ? r.Message->Text : "no message");
    EXPECT_EQ(r.Image->Width, Width);
    EXPECT_EQ(r.Image->Height, Height);
    EXPECT_EQ(r.Image->Format, Format);
    EXPECT_EQ(r.Image->Pixels, Pixels);
}

void ExpectMessage(const TImageResult& r, const TImageMessage& Message) {
    ExpectWellFormed(r);
    EXPECT_FALSE(r.Image);
    ASSERT_TRUE(r.Message);
    EXPECT_EQ(*r.Message, Message);
}

// ---- choosing by extension ----

TEST(ImageKind, ByExtensionInAnyLetterCase) {
    EXPECT_EQ(ImageKindOf("sky.jpg"), TImageKind::JPG);
    EXPECT_EQ(ImageKindOf("SKY.JPG"), TImageKind::JPG);
    EXPECT_EQ(ImageKindOf("/a/b/sky.Jpg"), TImageKind::JPG);
    EXPECT_EQ(ImageKindOf("Back.bmp"), TImageKind::BMP);
    EXPECT_EQ(ImageKindOf("Back.TgA"), TImageKind::TGA);
    EXPECT_EQ(ImageKindOf("archive.tar.bmp"), TImageKind::BMP);
    EXPECT_EQ(ImageKindOf("sky.jpeg"), TImageKind::None);
    EXPECT_EQ(ImageKindOf("sky.png"), TImageKind::None);
    EXPECT_EQ(ImageKindOf("sky"), TImageKind::None);
    EXPECT_EQ(ImageKindOf("folder.bmp/sky"), TImageKind::None);
    EXPECT_EQ(ImageKindOf("sky.bmp."), TImageKind::None);
    EXPECT_EQ(ImageKindOf(""), TImageKind::None);
}

TEST(DecodeImageFile, ChoosesTheDecoderByExtension) {
    TTempFolder folder;
    const Bytes jpeg = MakeJPEG(FourBlocks());
    for (const char* name : {"sky.jpg", "SKY.JPG", "sky.Jpg"}) {
        const TImageResult r = DecodeImageFile(folder.Write(name, jpeg));
        ASSERT_TRUE(r.Image) << name;
        EXPECT_EQ(r.Image->Format, TPixelFormat::RGBA);
    }
    const TImageResult bmp = DecodeImageFile(folder.Write("a.BMP", MakeBMP(FourColors())));
    ASSERT_TRUE(bmp.Image);
    EXPECT_EQ(bmp.Image->Format, TPixelFormat::RGB);
    EXPECT_TRUE(DecodeImageFile(folder.Write("a.tga", MakeTGA(FourColors()))).Image);
    // The extension decides, not the contents: a bitmap named .tga goes to the TGA decoder.
    const std::string misnamed = folder.Write("bitmap.tga", MakeBMP(FourColors()));
    const TImageResult r = DecodeImageFile(misnamed);
    EXPECT_FALSE(r.Image);
    ASSERT_TRUE(r.Message);
    EXPECT_EQ(r.Message->Caption, "TGA File Error");
}

TEST(DecodeImageFile, SilentForMissingFilesFoldersAndOtherExtensions) {
    TTempFolder folder;
    const Bytes jpeg = MakeJPEG(FourBlocks());
    std::filesystem::create_directories(folder.Path / "folder.jpg");
    for (const std::string& name :
         {folder.Name("missing.jpg"), folder.Name("missing.tga"), folder.Name("folder.jpg"),
          folder.Write("sky.jpeg", jpeg), folder.Write("sky.png", jpeg), folder.Write("sky", jpeg),
          std::string()}) {
        const TImageResult r = DecodeImageFile(name);
        EXPECT_FALSE(r.Image) << name;
        EXPECT_FALSE(r.Message) << name;
    }
}

// ---- BMP ----

struct TBmpGood {
    const char* What;
    TPicture Picture;
    TBmpOptions Options;
};

class BmpGood : public ::testing::TestWithParam<TBmpGood> {};

TEST_P(BmpGood, DecodesToTheExactPixels) {
    const TBmpGood& c = GetParam();
    const TImageResult r = DecodeBMP(MakeBMP(c.Picture, c.Options), Name);
    ExpectImage(r, c.Picture.Width, c.Picture.Height, TPixelFormat::RGB,
                Expected(c.Picture, TPixelFormat::RGB));
}

TBmpOptions Bits(int bits) {
    TBmpOptions o;
    o.Bits = bits;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpGood,
    ::testing::Values(
        TBmpGood{"FourColors24", FourColors(), {}}, TBmpGood{"TopDown", FourColors(), {.TopDown = true}},
        TBmpGood{"PaddedRows3x2", Gradient(3, 2), {}}, TBmpGood{"PaddedRows5x3", Gradient(5, 3), {}},
        TBmpGood{"NoPadding4x2", Gradient(4, 2), {}}, TBmpGood{"OneByOne", Gradient(1, 1), {}},
        TBmpGood{"LastRowPaddingMissing", Gradient(5, 3), {.PadLastRow = false}},
        TBmpGood{"ImageSizeWrong", Gradient(5, 3), {.ImageSize = 7}},
        TBmpGood{"Plain32", Gradient(3, 3), Bits(32)},
        TBmpGood{"TopDown32", Gradient(3, 2), {.Bits = 32, .TopDown = true}},
        TBmpGood{
            "Masks32AfterHeader", Gradient(3, 2), {.Bits = 32, .Compression = 3, .MasksAfterHeader = true}},
        TBmpGood{"Masks32V4Header", Gradient(3, 2), {.Bits = 32, .Compression = 3, .InfoSize = 108}},
        TBmpGood{"V5Header24", Gradient(3, 2), {.InfoSize = 124}},
        TBmpGood{"Palette8", Gradient(5, 3), Bits(8)},
        TBmpGood{"Palette8TopDown", Gradient(3, 3), {.Bits = 8, .TopDown = true}},
        TBmpGood{"Palette8AllEntries", FourColors(), {.Bits = 8, .ColorsUsed = 0, .TableEntries = 256}},
        TBmpGood{"GapBeforeRows", Gradient(3, 2), {.Gap = 10}},
        TBmpGood{"OffsetZeroMeansRightAfterHeaders", Gradient(3, 2), {.DataOffset = 0}},
        TBmpGood{"OffsetPastFileIgnored", Gradient(3, 2), {.DataOffset = 100000}},
        TBmpGood{"ColourTableIn24Bit", Gradient(2, 2), {.ColorsUsed = 2, .Gap = 8}}),
    [](const ::testing::TestParamInfo<TBmpGood>& param) { return std::string(param.param.What); });

TEST(Bmp, FourColorsBottomRowFirst) {
    // Red, green on top; blue, white below: the buffer starts with the bottom row.
    for (bool topDown : {false, true}) {
        const TImageResult r = DecodeBMP(MakeBMP(FourColors(), {.TopDown = topDown}), Name);
        ExpectImage(r, 2, 2, TPixelFormat::RGB, {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0});
    }
}

TEST(Bmp, ImageSizeZeroReadsTheRowsAfterTheHeaders) {
    // 64 x 64 x 3 = 12288 bytes straight after the 54 header bytes.
    const TPicture p = Gradient(64, 64);
    const Bytes file = MakeBMP(p, {.DataOffset = 54, .ImageSize = 0});
    ASSERT_EQ(file.size(), 54u + 12288u);
    ExpectImage(DecodeBMP(file, Name), 64, 64, TPixelFormat::RGB, Expected(p, TPixelFormat::RGB));
}

TEST(Bmp, LargestSideIsTaken) {
    const TPicture p = Gradient(MaxImageSide, 1);
    const TImageResult r = DecodeBMP(MakeBMP(p), Name);
    ExpectImage(r, MaxImageSide, 1, TPixelFormat::RGB, Expected(p, TPixelFormat::RGB));
}

TEST(Bmp, IndexPastTheColourTableIsBlack) {
    Bytes file = MakeBMP(FourColors(), {.Bits = 8});
    file[file.size() - 4] = 200; // first pixel of the top row (stored last)
    const TImageResult r = DecodeBMP(file, Name);
    ASSERT_TRUE(r.Image);
    const std::vector<std::uint8_t> top(r.Image->Pixels.begin() + 6, r.Image->Pixels.begin() + 9);
    EXPECT_EQ(top, (std::vector<std::uint8_t>{0, 0, 0}));
}

struct TBmpBad {
    const char* What;
    Bytes File;
    TImageMessage Message;
};

class BmpBad : public ::testing::TestWithParam<TBmpBad> {};

TEST_P(BmpBad, IsRefusedWithItsMessage) {
    ExpectMessage(DecodeBMP(GetParam().File, Name), GetParam().Message);
}

Bytes Patched32(Bytes b, std::size_t at, std::uint32_t v) {
    Put32(b, at, v);
    return b;
}
Bytes Patched16(Bytes b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v);
    return b;
}
Bytes Cut(Bytes b, std::size_t keep) {
    b.resize(keep);
    return b;
}

const Bytes Bmp24 = MakeBMP(Gradient(5, 3));
const Bytes Bmp8 = MakeBMP(Gradient(5, 3), {.Bits = 8});

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpBad,
    ::testing::Values(
        TBmpBad{"Empty", {}, BmpMessage("Error reading bitmap data")},
        TBmpBad{"HeaderCut", Cut(Bmp24, 30), BmpMessage("Error reading bitmap data")},
        TBmpBad{"InfoHeaderLongerThanFile", Patched32(Bmp24, 14, 0xFFFFFFF0u),
                BmpMessage("Error reading bitmap data")},
        TBmpBad{"RowsCut", Cut(Bmp24, Bmp24.size() - 2), BmpMessage("Error reading bitmap data")},
        TBmpBad{"NoRows", Cut(Bmp24, 54), BmpMessage("Error reading bitmap data")},
        TBmpBad{"MasksCut",
                Cut(MakeBMP(Gradient(1, 1), {.Bits = 32, .Compression = 3, .MasksAfterHeader = true}), 60),
                BmpMessage("Error reading bitmap data")},
        TBmpBad{"PaletteCut", Cut(Bmp8, 60), BmpMessage("Error reading palette")},
        TBmpBad{"HugeColourCount", Patched32(Bmp24, 46, 0xFFFFFFFFu), BmpMessage("Error reading palette")},
        TBmpBad{"NotBM", Patched16(Bmp24, 0, 0x4142), BmpMessage(BmpUnsupported)},
        TBmpBad{"CoreHeader", Patched32(Bmp24, 14, 12), BmpMessage(BmpUnsupported)},
        TBmpBad{"Bits16", Patched16(Bmp24, 28, 16), BmpMessage(BmpUnsupported)},
        TBmpBad{"Bits4", Patched16(Bmp24, 28, 4), BmpMessage(BmpUnsupported)},
        TBmpBad{"Bits1", Patched16(Bmp24, 28, 1), BmpMessage(BmpUnsupported)},
        TBmpBad{"Bits0", Patched16(Bmp24, 28, 0), BmpMessage(BmpUnsupported)},
        TBmpBad{"Rle8", Patched32(Bmp8, 30, 1), BmpMessage(BmpUnsupported)},
        TBmpBad{"Rle4", Patched32(Bmp24, 30, 2), BmpMessage(BmpUnsupported)},
        TBmpBad{"JpegInside", Patched32(Bmp24, 30, 4), BmpMessage(BmpUnsupported)},
        TBmpBad{"MasksOn24Bit", Patched32(Bmp24, 30, 3), BmpMessage(BmpUnsupported)},
        TBmpBad{"OtherMasks",
                MakeBMP(Gradient(2, 2), {.Bits = 32,
                                         .Compression = 3,
                                         .MasksAfterHeader = true,
                                         .Masks = {0xFF000000u, 0x00FF0000u, 0x0000FF00u}}),
                BmpMessage(BmpUnsupported)},
        TBmpBad{"ColourTableTooLong", Patched32(Bmp8, 46, 257), BmpMessage(BmpUnsupported)},
        TBmpBad{"WidthZero", Patched32(Bmp24, 18, 0), BmpMessage(SizeRefused)},
        TBmpBad{"WidthNegative", Patched32(Bmp24, 18, static_cast<std::uint32_t>(-5)),
                BmpMessage(SizeRefused)},
        TBmpBad{"HeightZero", Patched32(Bmp24, 22, 0), BmpMessage(SizeRefused)},
        TBmpBad{"WidthTooLarge", Patched32(Bmp24, 18, 16385), BmpMessage(SizeRefused)},
        TBmpBad{"HeightTooLarge", Patched32(Bmp24, 22, 16385), BmpMessage(SizeRefused)},
        TBmpBad{"TopDownTooLarge", Patched32(Bmp24, 22, static_cast<std::uint32_t>(-16385)),
                BmpMessage(SizeRefused)},
        TBmpBad{"HeightMostNegative", Patched32(Bmp24, 22, 0x80000000u), BmpMessage(SizeRefused)},
        TBmpBad{"WidthMostNegative", Patched32(Bmp24, 18, 0x80000000u), BmpMessage(SizeRefused)},
        TBmpBad{"LargestWithoutRows", Patched32(Patched32(Bmp24, 18, 16384), 22, 16384),
                BmpMessage("Error reading bitmap data")},
        TBmpBad{"Largest32WithoutRows",
                Patched32(Patched32(Patched16(Bmp24, 28, 32), 18, 16384), 22, 0xFFFFC000u),
                BmpMessage("Error reading bitmap data")}),
    [](const ::testing::TestParamInfo<TBmpBad>& param) { return std::string(param.param.What); });

TEST(BmpFile, CannotBeOpened) {
    TTempFolder folder;
    const std::string missing = folder.Name("missing.bmp");
    ExpectMessage(DecodeBMPFile(missing), BmpMessage("Error opening " + missing));
    std::filesystem::create_directories(folder.Path / "folder.bmp");
    ExpectMessage(DecodeBMPFile(folder.Name("folder.bmp")),
                  BmpMessage("Error opening " + folder.Name("folder.bmp")));
}

TEST(BmpFile, WithoutReadPermission) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser reads every file";
    }
    TTempFolder folder;
    const std::string name = folder.Write("locked.bmp", MakeBMP(FourColors()));
    std::filesystem::permissions(name, std::filesystem::perms::none);
    ExpectMessage(DecodeBMPFile(name), BmpMessage("Error opening " + name));
    EXPECT_FALSE(DecodeImageFile(name).Image);
}

TEST(BmpFile, DecodesFromDisk) {
    TTempFolder folder;
    const TPicture p = Gradient(7, 5);
    ExpectImage(DecodeBMPFile(folder.Write("g.bmp", MakeBMP(p))), 7, 5, TPixelFormat::RGB,
                Expected(p, TPixelFormat::RGB));
    ExpectImage(DecodeImageFile(folder.Write("g.Bmp", MakeBMP(p, {.TopDown = true}))), 7, 5,
                TPixelFormat::RGB, Expected(p, TPixelFormat::RGB));
}

// ---- TGA ----

TEST(Tga, Plain24BottomRowFirst) {
    ExpectImage(DecodeTGA(MakeTGA(FourColors()), Name), 2, 2, TPixelFormat::RGB,
                {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0});
}

struct TTgaGood {
    const char* What;
    TPicture Picture;
    TTgaOptions Options;
};

class TgaGood : public ::testing::TestWithParam<TTgaGood> {};

TEST_P(TgaGood, DecodesToTheExactPixels) {
    const TTgaGood& c = GetParam();
    const TPixelFormat format = c.Options.Depth == 32 ? TPixelFormat::RGBA : TPixelFormat::RGB;
    ExpectImage(DecodeTGA(MakeTGA(c.Picture, c.Options), Name), c.Picture.Width, c.Picture.Height, format,
                Expected(c.Picture, format));
}

TPicture Stripes(int Width, int Height) {
    // Runs and single pixels alike, so that both packet kinds appear.
    TPicture p{Width, Height, {}};
    for (int i = 0; i < Width * Height; ++i) {
        p.Pixels.push_back(
            (i / 5) % 2 ? Blue : TRGBA{static_cast<std::uint8_t>(i), 9, 200, static_cast<std::uint8_t>(i)});
    }
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Tga, TgaGood,
    ::testing::Values(TTgaGood{"Plain24", Gradient(5, 3), {}},
                      TTgaGood{"Plain32", Gradient(5, 3), {.Depth = 32}},
                      TTgaGood{"OneByOne", Gradient(1, 1), {}},
                      TTgaGood{"IdentificationSkipped", Gradient(3, 2), {.Id = "made by hand"}},
                      TTgaGood{"Rle24", Stripes(7, 5), {.Type = 10}},
                      TTgaGood{"Rle32", Stripes(7, 5), {.Type = 10, .Depth = 32}},
                      TTgaGood{"Rle32WithId", Stripes(6, 6), {.Type = 10, .Depth = 32, .Id = "x"}},
                      TTgaGood{"RleLongRuns", TPicture{300, 2, std::vector<TRGBA>(600, Green)}, {.Type = 10}},
                      TTgaGood{"RleRawOnly", Gradient(9, 4), {.Type = 10}},
                      // Rows are taken as stored whatever the image descriptor says.
                      TTgaGood{"DescriptorIgnored", Gradient(3, 2), {.Descriptor = 0x28}}),
    [](const ::testing::TestParamInfo<TTgaGood>& param) { return std::string(param.param.What); });

TEST(Tga, RunPacket131GivesFourPixelsThenGoesOn) {
    // 32-bit, 3 x 2: a run of four, then a raw packet of two.
    Bytes file = TgaHeader(3, 2, {.Type = 10, .Depth = 32});
    file.insert(file.end(), {131, 10, 20, 30, 40, 1, 1, 2, 3, 4, 5, 6, 7, 8});
    const Bytes run{30, 20, 10, 40};
    Bytes expected;
    for (int i = 0; i < 4; ++i) {
        expected.insert(expected.end(), run.begin(), run.end());
    }
    expected.insert(expected.end(), {3, 2, 1, 4, 7, 6, 5, 8});
    ExpectImage(DecodeTGA(file, Name), 3, 2, TPixelFormat::RGBA, expected);
}

TEST(Tga, PacketsRunningPastThePictureAreCut) {
    // A run of 128 and a raw packet of 128 for a picture of 2 x 2: the first fills it, the rest is
    // never looked at.
    Bytes run = TgaHeader(2, 2, {.Type = 10});
    run.insert(run.end(), {255, 1, 2, 3});
    ExpectImage(DecodeTGA(run, Name), 2, 2, TPixelFormat::RGB, {3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1});
    Bytes raw = TgaHeader(2, 1, {.Type = 10});
    raw.insert(raw.end(), {127, 1, 2, 3, 4, 5, 6}); // says 128 pixels, holds two
    ExpectImage(DecodeTGA(raw, Name), 2, 1, TPixelFormat::RGB, {3, 2, 1, 6, 5, 4});
}

TEST(Tga, LargestSideIsTaken) {
    const TPicture p{1, MaxImageSide, std::vector<TRGBA>(MaxImageSide, Red)};
    const TImageResult r = DecodeTGA(MakeTGA(p, {.Type = 10}), Name);
    ExpectImage(r, 1, MaxImageSide, TPixelFormat::RGB, Expected(p, TPixelFormat::RGB));
}

struct TTgaBad {
    const char* What;
    Bytes File;
    TImageMessage Message;
};

class TgaBad : public ::testing::TestWithParam<TTgaBad> {};

TEST_P(TgaBad, IsRefusedWithItsMessage) {
    ExpectMessage(DecodeTGA(GetParam().File, Name), GetParam().Message);
}

Bytes Patched8(Bytes b, std::size_t at, std::uint8_t v) {
    b[at] = v;
    return b;
}

Bytes Appended(Bytes b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return b;
}

const Bytes Tga24 = MakeTGA(Gradient(5, 3));
const Bytes Rle24 = MakeTGA(Stripes(7, 5), {.Type = 10});

const std::string OnlyTrueColour = "Couldn't load " + Quoted(Name) + ". Only 24 and 32bit TGA supported.";
const std::string OnlyDepths = "Couldn't load " + Quoted(Name) + ". Only 24 and 32 bit TGA files supported.";
const std::string ColourMapped = "Couldn't load " + Quoted(Name) + ". Colormapped TGA files not supported.";

INSTANTIATE_TEST_SUITE_P(
    Tga, TgaBad,
    ::testing::Values(
        TTgaBad{"Empty", {}, TgaMessage(TgaShort)},
        TTgaBad{"HeaderCut", Cut(Tga24, 17), TgaMessage(TgaShort)},
        TTgaBad{"Grey", Patched8(Tga24, 2, 3), TgaMessage(OnlyTrueColour)},
        TTgaBad{"GreyRle", Patched8(Tga24, 2, 11), TgaMessage(OnlyTrueColour)},
        TTgaBad{"NoImage", Patched8(Tga24, 2, 0), TgaMessage(OnlyTrueColour)},
        // A colour-mapped picture is caught by its image type first.
        TTgaBad{"ColourMappedType", Patched8(Patched8(Tga24, 2, 1), 1, 1), TgaMessage(OnlyTrueColour)},
        TTgaBad{"ColourMapWithTrueColour", Patched8(Tga24, 1, 1), TgaMessage(ColourMapped)},
        TTgaBad{"Depth16", Patched8(Tga24, 16, 16), TgaMessage(OnlyDepths)},
        TTgaBad{"Depth15", Patched8(Tga24, 16, 15), TgaMessage(OnlyDepths)},
        TTgaBad{"Depth8", Patched8(Tga24, 16, 8), TgaMessage(OnlyDepths)},
        TTgaBad{"Depth0", Patched8(Tga24, 16, 0), TgaMessage(OnlyDepths)},
        TTgaBad{"Depth31", Patched8(Tga24, 16, 31), TgaMessage(OnlyDepths)},
        TTgaBad{"Depth40", Patched8(Tga24, 16, 40), TgaMessage(OnlyDepths)},
        TTgaBad{"Depth255", Patched8(Rle24, 16, 255), TgaMessage(OnlyDepths)},
        TTgaBad{"WidthZero", Patched16(Tga24, 12, 0), TgaMessage(SizeRefused)},
        TTgaBad{"HeightZero", Patched16(Tga24, 14, 0), TgaMessage(SizeRefused)},
        TTgaBad{"WidthTooLarge", Patched16(Tga24, 12, 16385), TgaMessage(SizeRefused)},
        TTgaBad{"HeightLargest16Bit", Patched16(Rle24, 14, 65535), TgaMessage(SizeRefused)},
        TTgaBad{"PixelsCut", Cut(Tga24, Tga24.size() - 1), TgaMessage(TgaShort)},
        TTgaBad{"NoPixels", Cut(Tga24, 18), TgaMessage(TgaShort)},
        TTgaBad{"IdentificationPastEnd", Patched8(Cut(Tga24, 18 + 10), 0, 200), TgaMessage(TgaShort)},
        TTgaBad{"IdentificationEatsPixels", Patched8(Tga24, 0, 1), TgaMessage(TgaShort)},
        TTgaBad{"LargestWithoutPixels", Patched16(Patched16(Tga24, 12, 16384), 14, 16384),
                TgaMessage(TgaShort)},
        TTgaBad{"RleCut", Cut(Rle24, Rle24.size() - 1), TgaMessage(TgaShort)},
        TTgaBad{"RleNoData", Cut(Rle24, 18), TgaMessage(TgaShort)},
        TTgaBad{"RleRunCut", Appended(TgaHeader(2, 2, {.Type = 10}), {130, 1, 2, 3, 131, 4}),
                TgaMessage(TgaShort)},
        TTgaBad{"RleRawCut", Appended(TgaHeader(4, 1, {.Type = 10}), {3, 1, 2, 3, 4, 5, 6, 7}),
                TgaMessage(TgaShort)},
        TTgaBad{"RleEndsBeforeThePictureIsFull", Appended(TgaHeader(4, 4, {.Type = 10}), {130, 1, 2, 3}),
                TgaMessage(TgaShort)},
        // Ten bytes cannot fill 16384 x 16384 pixels: refused before a buffer of that size is made.
        TTgaBad{"RleLargestFromTenBytes",
                Appended(TgaHeader(16384, 16384, {.Type = 10}), {255, 1, 2, 3, 255, 1, 2, 3, 255, 1}),
                TgaMessage(TgaShort)}),
    [](const ::testing::TestParamInfo<TTgaBad>& param) { return std::string(param.param.What); });

TEST(TgaFile, MissingAndUnreadable) {
    TTempFolder folder;
    const std::string missing = folder.Name("missing.tga");
    ExpectMessage(DecodeTGAFile(missing), TImageMessage{"File not found  - " + missing, "TGA Texture"});
    std::filesystem::create_directories(folder.Path / "folder.tga");
    const std::string dir = folder.Name("folder.tga");
    ExpectMessage(DecodeTGAFile(dir), TgaMessage("Couldn't read file " + Quoted(dir) + "."));
    // A pipe is not opened at all: opening it would wait for a writer.
    const std::string pipe = folder.Name("pipe.tga");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ExpectMessage(DecodeImageFile(pipe), TgaMessage("Couldn't read file " + Quoted(pipe) + "."));
    ExpectMessage(DecodeBMPFile(pipe), BmpMessage("Error opening " + pipe));
}

TEST(TgaFile, DecodesFromDisk) {
    TTempFolder folder;
    const TPicture p = Stripes(8, 3);
    ExpectImage(DecodeImageFile(folder.Write("s.TGA", MakeTGA(p, {.Type = 10, .Depth = 32}))), 8, 3,
                TPixelFormat::RGBA, Expected(p, TPixelFormat::RGBA));
}

// ---- JPEG ----

// JPEG is lossy: a colour is right when every channel is within a few steps.
void ExpectNear(const std::uint8_t* Pixel, const TRGBA& Color, const char* Where) {
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(Pixel[c], Color[static_cast<std::size_t>(c)], 3) << Where << " channel " << c;
    }
    EXPECT_EQ(Pixel[3], 255) << Where;
}

TEST(Jpeg, FourBlocksBottomRowFirstOpaque) {
    for (bool progressive : {false, true}) {
        const TImageResult r = DecodeJPG(MakeJPEG(FourBlocks(), {.Progressive = progressive}), Name);
        ExpectWellFormed(r);
        ASSERT_TRUE(r.Image);
        EXPECT_EQ(r.Image->Width, 16);
        EXPECT_EQ(r.Image->Height, 16);
        EXPECT_EQ(r.Image->Format, TPixelFormat::RGBA);
        const auto at = [&](int x, int bufferRow) {
            return r.Image->Pixels.data() + (bufferRow * 16 + x) * 4;
        };
        // Buffer row 0 is the picture's bottom row: blue, white.
        ExpectNear(at(3, 3), Blue, "bottom left");
        ExpectNear(at(12, 3), White, "bottom right");
        ExpectNear(at(3, 12), Red, "top left");
        ExpectNear(at(12, 12), Green, "top right");
        for (std::size_t i = 3; i < r.Image->Pixels.size(); i += 4) {
            ASSERT_EQ(r.Image->Pixels[i], 255);
        }
    }
}

TEST(Jpeg, GreyBecomesRGB) {
    const TImageResult r = DecodeJPG(MakeJPEG(Gradient(13, 7), {.Gray = true}), Name);
    ASSERT_TRUE(r.Image);
    EXPECT_EQ(r.Image->Width, 13);
    EXPECT_EQ(r.Image->Height, 7);
    for (std::size_t i = 0; i < r.Image->Pixels.size(); i += 4) {
        EXPECT_EQ(r.Image->Pixels[i], r.Image->Pixels[i + 1]);
        EXPECT_EQ(r.Image->Pixels[i], r.Image->Pixels[i + 2]);
        EXPECT_EQ(r.Image->Pixels[i + 3], 255);
    }
}

TEST(Jpeg, OddSizes) {
    for (auto [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {13, 7}, {9, 17}}) {
        const TImageResult r = DecodeJPG(MakeJPEG(Gradient(w, h), {.Quality = 90}), Name);
        ExpectWellFormed(r);
        ASSERT_TRUE(r.Image);
        EXPECT_EQ(r.Image->Width, w);
        EXPECT_EQ(r.Image->Height, h);
    }
}

// The width field of the first frame header.
Bytes WithJpegWidth(Bytes file, std::uint16_t Width) {
    for (std::size_t i = 0; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 7] = static_cast<std::uint8_t>(Width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(Width);
            return file;
        }
    }
    ADD_FAILURE() << "no frame header";
    return file;
}

TEST(Jpeg, Refused) {
    const TImageMessage failed{"Couldn't load JPG - " + Quoted(Name), "BMP Unit"};
    const Bytes good = MakeJPEG(FourBlocks());
    ExpectMessage(DecodeJPG({}, Name), failed);
    ExpectMessage(DecodeJPG(MakeBMP(FourColors()), Name), failed);
    ExpectMessage(DecodeJPG(Cut(good, 2), Name), failed);
    ExpectMessage(DecodeJPG(Cut(good, good.size() / 2), Name), failed);
    const Bytes progressive = MakeJPEG(FourBlocks(), {.Progressive = true});
    ExpectMessage(DecodeJPG(Cut(progressive, progressive.size() / 2), Name), failed);
    // libjpeg turns no CMYK picture into red, green and blue.
    ExpectMessage(DecodeJPG(MakeJPEG(FourBlocks(), {.Cmyk = true}), Name), failed);
    ExpectMessage(DecodeJPG(WithJpegWidth(good, 16385), Name), BmpMessage(SizeRefused));
    ExpectMessage(DecodeJPG(WithJpegWidth(good, 65500), Name), BmpMessage(SizeRefused));
    ExpectMessage(DecodeJPG(WithJpegWidth(good, 0), Name), failed);
}

TEST(JpegFile, MissingAndFromDisk) {
    TTempFolder folder;
    const std::string missing = folder.Name("missing.jpg");
    ExpectMessage(DecodeJPGFile(missing),
                  TImageMessage{"Couldn't load JPG - " + Quoted(missing), "BMP Unit"});
    const TImageResult r = DecodeJPGFile(folder.Write("b.jpg", MakeJPEG(FourBlocks())));
    ASSERT_TRUE(r.Image);
    EXPECT_EQ(r.Image->Width, 16);
}

} // namespace
