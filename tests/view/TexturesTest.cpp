// The texture loaders on a real GL context: pictures come back texel for texel from the texture, and
// every failure shows its message and leaves the texture variable alone.
#include "view/Textures.h"

#include "view/ImageTestFiles.h"
#include "view/Messages.h"
#include "view/OpenGL.h"

#include <GL/gl.h>

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

    // Level 0 of a texture as RGBA, bottom row first, and its alpha bits.
    Bytes TexturePixels(unsigned texture, int& width, int& height, int& alphaBits) const {
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
        Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    HDC DC = nullptr;
    HGLRC RC = nullptr;
    TMessageHandler Previous;
    std::vector<TImageMessage> Messages;
    TTempFolder Folder;
};

TEST_F(TexturesTest, EachFormatComesBackFromTheTexture) {
    // Rows of 2 RGB pixels are 6 bytes long: wrong row alignment shows in every row after the first.
    // Unpack modes someone else left behind must not change what is read from the buffer either.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
    const TPicture Narrow{2, 4, {Red, Green, Blue, White, Green, Red, White, Blue}};
    const struct {
        const char* Name;
        Bytes File;
        TPicture Picture; // as the texture must hold it
        int AlphaBits, Tolerance;
    } cases[] = {
        {"plain.bmp", MakeBMP(Narrow), Narrow, 0, 0},
        {"plain.tga", MakeTGA(Narrow), Narrow, 0, 0},
        {"alpha.tga", MakeTGA(Gradient(4, 4), {.Depth = 32}), Gradient(4, 4), 8, 0},
        {"blocks.jpg", MakeJPEG(FourBlocks()), FourBlocks(), 8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        unsigned texture = Untouched;
        ASSERT_TRUE(LoadTexture(Folder.Write(c.Name, c.File), texture));
        EXPECT_NE(texture, Untouched);
        int w = 0, h = 0, alpha = -1;
        const Bytes texels = TexturePixels(texture, w, h, alpha);
        EXPECT_EQ(w, c.Picture.Width);
        EXPECT_EQ(h, c.Picture.Height);
        EXPECT_EQ(alpha, c.AlphaBits) << "RGB pictures give RGB textures";
        const Bytes expected = Expected(c.Picture, TPixelFormat::RGBA);
        ASSERT_EQ(texels.size(), expected.size());
        for (std::size_t i = 0; i < texels.size(); ++i) {
            EXPECT_NEAR(texels[i], expected[i], c.Tolerance) << "byte " << i;
        }
        glDeleteTextures(1, &texture);
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8) << "the loader restores the unpack modes";
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TexturesTest, FailuresShowTheDecodersMessageAndKeepTheTexture) {
    const struct {
        const char* Name;
        Bytes Data; // empty: the file is not written
        bool (*Loader)(const std::string&, unsigned&);
        TImageResult (*Decoder)(const std::string&);
    } cases[] = {
        {"missing.bmp", {}, LoadBMPTexture, DecodeBMPFile},
        {"missing.jpg", {}, LoadJPGTexture, DecodeJPGFile},
        {"missing.tga", {}, LoadTGATexture, DecodeTGAFile},
        {"16bit.tga", MakeTGA(Gradient(4, 4), {.Depth = 16}), LoadTexture, DecodeImageFile},
        {"missing.tga", {}, LoadTexture, DecodeImageFile}, // no message
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string name = c.Data.empty() ? Folder.Name(c.Name) : Folder.Write(c.Name, c.Data);
        Messages.clear();
        unsigned texture = Untouched;
        EXPECT_FALSE(c.Loader(name, texture));
        EXPECT_EQ(texture, Untouched);
        const std::optional<TImageMessage> message = c.Decoder(name).Message;
        EXPECT_EQ(Messages, message ? std::vector{*message} : std::vector<TImageMessage>{});
    }
}

TEST_F(TexturesTest, ReplaceTextureDeletesTheOldOneOnlyWhenANewOneIsMade) {
    unsigned texture = 0;
    ASSERT_TRUE(ReplaceTexture(Folder.Write("first.bmp", MakeBMP(FourColors())), texture));
    const unsigned old = texture;
    ASSERT_TRUE(ReplaceTexture(Folder.Write("second.tga", MakeTGA(FourColors())), texture));
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
    EXPECT_EQ(CreateTexture(4, 0, TPixelFormat::RGB, {}), 0u);
}

} // namespace
