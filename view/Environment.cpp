// The view's pictures: the environment skybox (six textured squares around the cube in one display
// list) and the image of textured stickers. All of it runs with the view's Lock held and its context
// current (InitGL, Redraw, the destructor).
#include "view/Cube3D.h"
#include "view/DisplayLists.h"
#include "view/EnvFile.h"
#include "view/Textures.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <iterator>

namespace {

// Half the side of each square: twice the environment scale of 40, the farthest the environment
// camera goes. The squares stand 1 % inside that, so that neighbours overlap at the edges instead of
// leaving gaps.
constexpr float BoxHalfSide = 2 * 40.0f;
constexpr float BoxPlane = BoxHalfSide - BoxHalfSide / 100;

// How each face's square is reached from the Back square at z = -BoxPlane: a turn about y after a
// turn about x (the x turn acts on the square first). Listed in drawing order, which is also the
// order EnvironmentLoadOrder loads the pictures in.
struct TBoxFace {
    int Face; // U F R B L D = 0..5
    float AboutY, AboutX;
};
constexpr TBoxFace BoxFaces[6] = {
    {3, 0, 0},     // Back
    {2, -90, 0},   // Right
    {1, 180, 0},   // Front
    {4, 90, 0},    // Left
    {5, -90, -90}, // Down
    {0, -90, 90},  // Up
};

} // namespace

void TCube3D::LoadStickerTexture() {
    // Nothing names a sticker image by default; a missing one keeps the texture there is.
    ReplaceTexture(Settings.StickerTextureFile, StickerTexture);
}

void TCube3D::LoadEnvironment() {
    // An empty name has no folder: its pictures would be looked for in whatever the current folder is.
    const std::array<std::string, 6> files = Settings.EnvironFile.empty()
                                                 ? std::array<std::string, 6>{}
                                                 : EnvironmentPictureFiles(Settings.EnvironFile);
    for (const int face : EnvironmentLoadOrder) {
        EnvironmentFiles[face] = files[static_cast<std::size_t>(face)];
        // The texture of the environment replaced is deleted. A picture that does not load leaves its
        // face as it was: without a picture at first, else with the previous environment's.
        ReplaceTexture(EnvironmentFiles[face], EnvironmentTextures[face]);
    }
}

void TCube3D::BuildEnvironmentList() {
    // Filters and wrapping belong to each texture object; set once here, not in every frame. Clamping
    // to the edge keeps GL's border colour out of the seams.
    for (const unsigned texture : EnvironmentTextures) {
        if (texture != 0) {
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        }
    }
    BeginList(EnvironmentList);
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    // The pictures show at their own colours whatever the lighting.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    for (const TBoxFace& box : BoxFaces) {
        const unsigned texture = EnvironmentTextures[box.Face];
        if (texture == 0) {
            continue; // no picture: the black background shows there
        }
        glPushMatrix();
        glRotatef(box.AboutY, 0, 1, 0);
        glRotatef(box.AboutX, 1, 0, 0);
        glBindTexture(GL_TEXTURE_2D, texture);
        DrawEnvironmentFace();
        glPopMatrix();
    }
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glEndList();
}

void TCube3D::DrawEnvironmentFace() {
    // Counter-clockwise seen from the centre, so the inner side is the front side; seen from there the
    // picture is unmirrored and upright.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-BoxHalfSide, -BoxHalfSide, -BoxPlane);
    glTexCoord2f(1, 0);
    glVertex3f(BoxHalfSide, -BoxHalfSide, -BoxPlane);
    glTexCoord2f(1, 1);
    glVertex3f(BoxHalfSide, BoxHalfSide, -BoxPlane);
    glTexCoord2f(0, 1);
    glVertex3f(-BoxHalfSide, BoxHalfSide, -BoxPlane);
    glEnd();
}

void TCube3D::DeleteTextures() {
    // GL skips the name 0.
    glDeleteTextures(1, &StickerTexture);
    StickerTexture = 0;
    glDeleteTextures(6, EnvironmentTextures);
    std::fill(std::begin(EnvironmentTextures), std::end(EnvironmentTextures), 0u);
}
