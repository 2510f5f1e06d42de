#include "view/Textures.h"

#include "view/Messages.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

// The decoded picture as a texture, or the decoder's message shown.
bool MakeTexture(const TImageResult& Result, unsigned& Texture) {
    if (Result.Message) {
        ShowMessage(Result.Message->Caption, Result.Message->Text);
        return false;
    }
    if (!Result.Image) {
        return false;
    }
    const TImage& image = *Result.Image;
    const unsigned name = CreateTexture(image.Width, image.Height, image.Format, image.Pixels);
    if (name == 0) {
        return false;
    }
    Texture = name;
    return true;
}

} // namespace

unsigned CreateTexture(std::uint16_t Width, std::uint16_t Height, TPixelFormat Format,
                       std::span<const std::uint8_t> Pixels) {
    const std::size_t bytesPerPixel = Format == TPixelFormat::RGBA ? 4 : 3;
    // GLU reads Width * Height pixels whatever the buffer holds.
    if (Width == 0 || Height == 0 ||
        Pixels.size() != static_cast<std::size_t>(Width) * Height * bytesPerPixel) {
        return 0;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) {
        return 0; // no context current
    }
    glBindTexture(GL_TEXTURE_2D, name);
    // RGB rows of Width * 3 bytes need not be 4-byte multiples, and whoever drew before may have left
    // other unpack modes: with GL's defaults GLU would read rows at the wrong places and past the end.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    const GLint result =
        Format == TPixelFormat::RGBA
            ? gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE,
                                Pixels.data())
            : gluBuild2DMipmaps(GL_TEXTURE_2D, 3, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, Pixels.data());
    glPopClientAttrib();
    if (result != 0) {
        // An empty texture would pass for a picture.
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

bool LoadTexture(const std::string& FileName, unsigned& Texture) {
    return MakeTexture(DecodeImageFile(FileName), Texture);
}

bool LoadBMPTexture(const std::string& FileName, unsigned& Texture) {
    return MakeTexture(DecodeBMPFile(FileName), Texture);
}

bool LoadJPGTexture(const std::string& FileName, unsigned& Texture) {
    return MakeTexture(DecodeJPGFile(FileName), Texture);
}

bool LoadTGATexture(const std::string& FileName, unsigned& Texture) {
    return MakeTexture(DecodeTGAFile(FileName), Texture);
}

bool ReplaceTexture(const std::string& FileName, unsigned& Texture) {
    const unsigned old = Texture;
    if (!LoadTexture(FileName, Texture)) {
        return false;
    }
    if (old != 0 && old != Texture) {
        glDeleteTextures(1, &old);
    }
    return true;
}
