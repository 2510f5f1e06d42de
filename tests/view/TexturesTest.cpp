// The texture loaders on a real GL context: pictures the tests write come back texel for texel from
// the texture, the loader is chosen by extension, and every failure shows its message and leaves the
// texture variable alone.
#include "view/Textures.h"

#include "view/ImageTestFiles.h"
#include "view/Messages.h"
#include "view/OpenGL.h"

#include <GL/gl.h>
#include <functional>
#include <sys/stat.h>

namespace {

using namespace imagetest;

// Stands in for "some texture the caller had": it must survive every failure.
constexpr unsigned Untouched = 4242;

class TexturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGLLibraries());
        DC = GetDC(0, 16, 16);
        RC = CreateGLContext(DC, opDoubleBuffered, 32, 0, 0, 0, 0, nullptr);
        ActivateGLContext(DC, RC);
        Previous = SetMessageHandler([this](const std::string& Caption, const std::string& Text) {
            Messages.push_back({Text, Caption});
        });
    }
    void TearDown() override {
        SetMessageHandler(Previous);
        DeactivateGLContext();
        DestroyGLContext(RC);
        ReleaseDC(DC);
    }

    // Level 0 of a texture as RGBA, bottom row first.
    Bytes TexturePixels(unsigned texture, int& width, int& height) const {
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    int AlphaBits(unsigned texture) const {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint bits = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &bits);
        return bits;
    }

    HDC DC = nullptr;
    HGLRC RC = nullptr;
    TMessageHandler Previous;
    std::vector<TImageMessage> Messages;
    TTempFolder Folder;
};

TPicture WithAlpha(TPicture p, bool keep) {
    if (!keep) {
        for (TRGBA& c : p.Pixels) {
            c[3] = 255;
        }
    }
    return p;
}

struct TRoundTrip {
    const char* Name;
    std::function<Bytes(const TPicture&)> Write;
    TPicture Picture;
    bool Alpha;    // an RGBA texture with the file's alpha (JPEG: RGBA, alpha 255)
    int Tolerance; // per channel; JPEG is lossy
};

// Rows of 2 RGB pixels are 6 bytes long: wrong row alignment shows in every row after the first.
const TRoundTrip RoundTrips[] = {
    {"plain.bmp", [](const TPicture& p) { return MakeBMP(p); }, Gradient(2, 4), false, 0},
    {"wide.bmp", [](const TPicture& p) { return MakeBMP(p); }, Gradient(8, 2), false, 0},
    {"plain.tga", [](const TPicture& p) { return MakeTGA(p); }, Gradient(2, 4), false, 0},
    {"alpha.tga", [](const TPicture& p) { return MakeTGA(p, {.Depth = 32}); }, Gradient(4, 4), true, 0},
    {"runs.tga", [](const TPicture& p) { return MakeTGA(p, {.Type = 10}); },
     TPicture{2, 4, {Red, Red, Red, Red, Blue, Green, White, White}}, false, 0},
    // Raw packets around a run packet, as a writer lays them out.
    {"runs32.tga", [](const TPicture& p) { return MakeTGA(p, {.Type = 10, .Depth = 32}); },
     TPicture{4, 2, {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}, {9, 8, 7, 6}, Red, Green, Green, Blue}}, true,
     0},
    {"blocks.jpg", [](const TPicture& p) { return MakeJPEG(p); }, FourBlocks(), true, 8},
};

TEST_F(TexturesTest, EachFormatComesBackFromTheTexture) {
    // Unpack modes someone else left behind must not change what is read from the buffer.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
    for (const TRoundTrip& c : RoundTrips) {
        SCOPED_TRACE(c.Name);
        unsigned texture = Untouched;
        ASSERT_TRUE(LoadTexture(Folder.Write(c.Name, c.Write(c.Picture)), texture));
        EXPECT_NE(texture, Untouched);
        EXPECT_TRUE(glIsTexture(texture));
        int w = 0, h = 0;
        const Bytes texels = TexturePixels(texture, w, h);
        EXPECT_EQ(w, c.Picture.Width);
        EXPECT_EQ(h, c.Picture.Height);
        const bool jpeg = c.Tolerance > 0;
        const Bytes expected = Expected(WithAlpha(c.Picture, c.Alpha && !jpeg), TPixelFormat::RGBA);
        ASSERT_EQ(texels.size(), expected.size());
        for (std::size_t i = 0; i < texels.size(); ++i) {
            EXPECT_NEAR(texels[i], expected[i], c.Tolerance) << "byte " << i;
        }
        EXPECT_EQ(AlphaBits(texture), c.Alpha ? 8 : 0) << "RGB pictures give RGB textures";
        glDeleteTextures(1, &texture);
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8) << "the loader restores the unpack modes";
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TexturesTest, SidesThatAreNoPowerOfTwoAreScaledNotMisread) {
    // 5 RGB pixels make 15-byte rows. A uniform picture stays uniform whatever the scaling does; rows
    // read at the wrong places would mix the channels.
    const TPicture p{5, 3, std::vector<TRGBA>(15, TRGBA{10, 200, 90, 255})};
    unsigned texture = 0;
    ASSERT_TRUE(LoadTexture(Folder.Write("odd.bmp", MakeBMP(p)), texture));
    int w = 0, h = 0;
    const Bytes texels = TexturePixels(texture, w, h);
    ASSERT_GT(w * h, 0);
    for (std::size_t i = 0; i < texels.size(); i += 4) {
        ASSERT_EQ((Bytes{texels[i], texels[i + 1], texels[i + 2], texels[i + 3]}), (Bytes{10, 200, 90, 255}))
            << "texel " << i / 4;
    }
}

TEST_F(TexturesTest, LoaderIsChosenByTheExtensionInAnyLetterCase) {
    const Bytes jpeg = MakeJPEG(FourBlocks());
    const struct {
        const char* Name;
        bool Loads;
    } cases[] = {
        {"sky.jpg", true},  {"SKY.JPG", true}, {"sky.Jpg", true},      {"sky.jpeg", false},
        {"sky.png", false}, {"sky", false},    {"sky.jpg.txt", false}, {"dotted.dir/sky", false},
        {"sky.BMP", false}, // a JPEG given to the BMP loader is refused, with a message
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Messages.clear();
        unsigned texture = Untouched;
        EXPECT_EQ(LoadTexture(Folder.Write(c.Name, jpeg), texture), c.Loads);
        if (c.Loads) {
            int w = 0, h = 0;
            const Bytes texels = TexturePixels(texture, w, h);
            EXPECT_EQ(w, 16);
            EXPECT_NEAR(texels[0], 0, 8) << "bottom left is blue";
            EXPECT_NEAR(texels[2], 255, 8);
            EXPECT_TRUE(Messages.empty());
        } else {
            EXPECT_EQ(texture, Untouched);
            EXPECT_EQ(Messages.size(), std::string(c.Name) == "sky.BMP" ? 1u : 0u);
        }
    }
}

TEST_F(TexturesTest, MissingFilesAndFoldersAreSilent) {
    std::filesystem::create_directories(Folder.Path / "folder.bmp");
    for (const std::string& name : {Folder.Name("gone.jpg"), Folder.Name("folder.bmp"),
                                    Folder.Name("no/such/folder/sky.tga"), std::string()}) {
        unsigned texture = Untouched;
        EXPECT_FALSE(LoadTexture(name, texture)) << name;
        EXPECT_EQ(texture, Untouched);
    }
    EXPECT_TRUE(Messages.empty());
}

using TLoader = bool (*)(const std::string&, unsigned&);

struct TBadFile {
    const char* Name;
    Bytes Data; // empty: the file is not written
    TLoader Loader;
    std::string Text; // "%" stands for the file's full name
    const char* Caption;
};

Bytes Truncated(Bytes b, std::size_t drop) {
    b.resize(b.size() - drop);
    return b;
}

Bytes WithColorMap(Bytes b) {
    b[1] = 1;
    return b;
}

TEST_F(TexturesTest, BadFilesShowTheirMessageAndKeepTheTexture) {
    const TPicture p = Gradient(4, 4);
    const TBadFile cases[] = {
        {"short.bmp", Truncated(MakeBMP(p), 10), LoadTexture, "Error reading bitmap data", "BMP Unit"},
        {"palette.bmp", MakeBMP(p, {.ColorsUsed = 100000}), LoadTexture, "Error reading palette", "BMP Unit"},
        {"missing.bmp", {}, LoadBMPTexture, "Error opening %", "BMP Unit"},
        {"garbage.jpg", Bytes{'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'}, LoadTexture,
         "Couldn't load JPG - \"%\"", "BMP Unit"},
        {"short.jpg", Truncated(MakeJPEG(FourBlocks()), 40), LoadTexture, "Couldn't load JPG - \"%\"",
         "BMP Unit"},
        {"missing.jpg", {}, LoadJPGTexture, "Couldn't load JPG - \"%\"", "BMP Unit"},
        {"grey.tga", MakeTGA(p, {.Type = 3}), LoadTexture,
         "Couldn't load \"%\". Only 24 and 32bit TGA supported.", "TGA File Error"},
        {"mapped.tga", WithColorMap(MakeTGA(p)), LoadTexture,
         "Couldn't load \"%\". Colormapped TGA files not supported.", "TGA File Error"},
        {"16bit.tga", MakeTGA(p, {.Depth = 16}), LoadTexture,
         "Couldn't load \"%\". Only 24 and 32 bit TGA files supported.", "TGA File Error"},
        {"short.tga", Truncated(MakeTGA(p), 1), LoadTexture, "Couldn't read file \"%\".", "TGA File Error"},
        {"shortrle.tga", Truncated(MakeTGA(p, {.Type = 10, .Depth = 32}), 3), LoadTexture,
         "Couldn't read file \"%\".", "TGA File Error"},
        {"missing.tga", {}, LoadTGATexture, "File not found  - %", "TGA Texture"},
    };
    for (const TBadFile& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string name = c.Data.empty() ? Folder.Name(c.Name) : Folder.Write(c.Name, c.Data);
        std::string text = c.Text;
        if (const std::size_t at = text.find('%'); at != std::string::npos) {
            text.replace(at, 1, name);
        }
        Messages.clear();
        unsigned texture = Untouched;
        EXPECT_FALSE(c.Loader(name, texture));
        EXPECT_EQ(texture, Untouched);
        EXPECT_EQ(Messages, (std::vector<TImageMessage>{{text, c.Caption}}));
    }
}

TEST_F(TexturesTest, FileThatExistsButCannotBeReadIsReported) {
    // A pipe exists, but reading it would wait for a writer.
    const std::string name = Folder.Name("pipe.bmp");
    ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
    unsigned texture = Untouched;
    EXPECT_FALSE(LoadTexture(name, texture));
    EXPECT_EQ(texture, Untouched);
    EXPECT_EQ(Messages, (std::vector<TImageMessage>{{"Error opening " + name, "BMP Unit"}}));
}

TEST_F(TexturesTest, ReplaceTextureDeletesTheOldOneOnlyWhenANewOneIsMade) {
    const std::string first = Folder.Write("first.bmp", MakeBMP(FourColors()));
    const std::string second = Folder.Write("second.tga", MakeTGA(FourColors()));
    unsigned texture = 0;
    ASSERT_TRUE(ReplaceTexture(first, texture));
    const unsigned old = texture;
    ASSERT_TRUE(ReplaceTexture(second, texture));
    EXPECT_NE(texture, old);
    EXPECT_FALSE(glIsTexture(old));
    EXPECT_TRUE(glIsTexture(texture));
    const unsigned kept = texture;
    EXPECT_FALSE(ReplaceTexture(Folder.Name("gone.bmp"), texture));
    EXPECT_EQ(texture, kept);
    EXPECT_TRUE(glIsTexture(kept));
}

TEST_F(TexturesTest, CreateTextureRefusesBuffersOfTheWrongSize) {
    const Bytes twelve(12, 0x80);
    EXPECT_NE(CreateTexture(2, 2, TPixelFormat::RGB, twelve), 0u);
    EXPECT_EQ(CreateTexture(2, 2, TPixelFormat::RGBA, twelve), 0u) << "RGBA 2x2 needs 16 bytes";
    EXPECT_EQ(CreateTexture(3, 2, TPixelFormat::RGB, twelve), 0u);
    EXPECT_EQ(CreateTexture(0, 4, TPixelFormat::RGB, {}), 0u);
}

} // namespace
