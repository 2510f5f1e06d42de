// The cube's geometry: bevelled black cubies and their stickers, compiled once into display lists
// and replayed per cubie face, so that a frame sends only matrices, colours and list calls.
#include "model/Notation.h"
#include "view/Cube3D.h"
#include "view/DisplayLists.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// One face of a cubie seen from outside along +z, and how it is reached from the cubie's frame.
struct TFaceFrame {
    int Face;      // colour code / face index U F R B L D = 0..5
    float Angle;   // rotation into the face frame
    float X, Y, Z; // its axis
};

// Visiting order of a cubie's faces.
constexpr TFaceFrame FaceFrames[6] = {
    {1, 0, 0, 0, 1},   // F
    {4, -90, 0, 1, 0}, // L
    {5, 90, 1, 0, 0},  // D
    {3, 180, 0, 1, 0}, // B
    {2, 90, 0, 1, 0},  // R
    {0, -90, 1, 0, 0}, // U
};

// The face carries a sticker when the cubie lies on that side; then its index on the face's grid.
int StickerIndex(int face, int x, int y, int z, int N) {
    switch (face) {
    case 1:
        return z == N - 1 ? (N - 1 - y) * N + x : -1;
    case 4:
        return x == 0 ? (N - 1 - y) * N + z : -1;
    case 5:
        return y == 0 ? (N - 1 - z) * N + x : -1;
    case 3:
        return z == 0 ? (N - 1 - y) * N + (N - 1 - x) : -1;
    case 2:
        return x == N - 1 ? (N - 1 - y) * N + (N - 1 - z) : -1;
    default:
        return y == N - 1 ? z * N + x : -1;
    }
}

// A square of half-side 1 at z = 1 with its corners cut by 0.1, counter-clockwise from outside.
constexpr float Octagon[8][2] = {{-1, -0.9f}, {-0.9f, -1}, {0.9f, -1}, {1, -0.9f},
                                 {1, 0.9f},   {0.9f, 1},   {-0.9f, 1}, {-1, 0.9f}};
constexpr float OctagonTexture[8][2] = {{0, 0.05f}, {0.05f, 0}, {0.95f, 0}, {1, 0.05f},
                                        {1, 0.95f}, {0.95f, 1}, {0.05f, 1}, {0, 0.95f}};

void Octagonal(float Scale, float Z) {
    glBegin(GL_POLYGON);
    for (const auto& p : Octagon) {
        glVertex3f(p[0] * Scale, p[1] * Scale, Z);
    }
    glEnd();
}

void Polygon(std::initializer_list<std::array<float, 3>> points) {
    glBegin(GL_POLYGON);
    for (const auto& p : points) {
        glVertex3f(p[0], p[1], p[2]);
    }
    glEnd();
}

} // namespace

void TCube3D::BuildCubieFaceList() {
    BeginList(CubieFaceList);
    glPushMatrix();
    glScalef(0.9f, 0.9f, 0.99f);
    glColor3f(0, 0, 0);
    Octagonal(1, 1);
    for (int q = 0; q < 4; ++q) { // edge bevels
        glColor3f(0, 0, 0);
        glPushMatrix();
        glRotatef(90.0f * static_cast<float>(q), 0, 0, 1);
        Polygon({{-1, 0.9f, 1}, {-1.1f, 0.9f, 0.9f}, {-1.1f, -0.9f, 0.9f}, {-1, -0.9f, 1}});
        glPopMatrix();
    }
    for (int q = 0; q < 4; ++q) { // corner facets
        glColor3f(0, 0, 0);
        glPushMatrix();
        glRotatef(90.0f * static_cast<float>(q), 0, 0, 1);
        Polygon({{-1.1f, 0.9f, 0.9f}, {-1, 0.9f, 1}, {-0.9f, 1, 1}, {-0.9f, 1.1f, 0.9f}});
        glPopMatrix();
    }
    glPopMatrix();
    glEndList();
}

void TCube3D::BuildStickerList() {
    BeginList(StickerList);
    glPushMatrix();
    glScalef(0.8f, 0.8f, 1);
    if (Settings.StickerType == 0) {
        Octagonal(1, 1);
    } else if (Settings.StickerType == 1) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, StickerTexture);
        glBegin(GL_POLYGON);
        for (int i = 0; i < 8; ++i) {
            glTexCoord2f(OctagonTexture[i][0], OctagonTexture[i][1]);
            glVertex3f(Octagon[i][0], Octagon[i][1], 1);
        }
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }
    glPopMatrix();
    glEndList();
}

void TCube3D::DrawCube(std::int32_t LayerX, std::int32_t LayerY, TRenderMode RenderMode, float Angle,
                       std::int32_t LayerZ) {
    glPushMatrix();
    gluLookAt(0, 0, CubeDistance, 0, 0, 0, 0, 1, 0);
    const TMatrix4 rotation = ArcBall->GetRotation();
    glMultMatrixf(rotation.data());
    // One consistent model for the whole frame (or pick): a quarter turn waits for its end.
    std::lock_guard model(ModelLock);
    const int N = Cube->Size;
    for (int x = 0; x < N; ++x) {
        for (int y = 0; y < N; ++y) {
            for (int z = 0; z < N; ++z) {
                glPushMatrix();
                if (x == LayerX) {
                    glRotatef(Angle, 1, 0, 0);
                } else if (y == LayerY) {
                    glRotatef(Angle, 0, 1, 0);
                } else if (z == LayerZ) {
                    glRotatef(Angle, 0, 0, 1);
                }
                glTranslatef((static_cast<float>(x) - CubeCentre) * CubieSpacing,
                             (static_cast<float>(y) - CubeCentre) * CubieSpacing,
                             (static_cast<float>(z) - CubeCentre) * CubieSpacing);
                DrawCubie(x, y, RenderMode, z);
                glPopMatrix();
            }
        }
    }
    if (RenderMode == TRenderMode::Render && !HintMove.empty()) {
        DrawHintArrow();
    }
    glPopMatrix();
}

void TCube3D::DrawHintArrow() {
    const std::optional<TMove> move = ParseMove(HintMove, Cube->SliceCount, false);
    if (!move) {
        return;
    }
    // The turn's axis (0 x, 1 y, 2 z), its layer and the sense of a clockwise turn about the axis:
    // clockwise seen from outside a face is the negative sense about that face's outward normal.
    static constexpr int FaceAxis[6] = {1, 2, 0, 2, 0, 1};                       // U F R B L D
    static constexpr bool FaceHigh[6] = {true, true, true, false, false, false}; // the layer at N - 1
    static constexpr int SliceAxis[3] = {0, 2, 1}; // V turns as R, M as F, H as U
    const int N = Cube->Size;
    int axis = 0, layer = 0;
    float sense = -1;
    if (move->IsFace) {
        axis = FaceAxis[move->Index];
        const bool high = FaceHigh[move->Index];
        layer = high ? N - 1 : 0;
        sense = high ? -1.0f : 1.0f;
    } else {
        axis = SliceAxis[move->Index];
        layer = move->Slice + 1;
    }
    if (move->Turns == 3) {
        sense = -sense;
    }
    // A band round the layer, outside the cube's corners, 300 degrees long, with its head at the end.
    const float centre = (static_cast<float>(layer) - CubeCentre) * CubieSpacing;
    const float extent = static_cast<float>(N - 1) * CubieSpacing / 2 + 1.0f;
    const float radius = extent * 1.55f, half = 0.22f;
    const auto point = [&](float angle, float along, float out) {
        // e1, e2 and the axis make a right-handed frame, so a growing angle turns in the positive sense.
        const float c = std::cos(angle) * (radius + out), s = std::sin(angle) * (radius + out);
        float v[3];
        v[axis] = centre + along;
        v[(axis + 1) % 3] = c;
        v[(axis + 2) % 3] = s;
        glVertex3f(v[0], v[1], v[2]);
    };
    constexpr float Pi = 3.14159265f;
    const float start = Pi / 4, span = 300.0f * Pi / 180.0f, head = 0.45f;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 1);
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= 60; ++i) {
        const float angle = start + sense * span * static_cast<float>(i) / 60;
        point(angle, -half, 0);
        point(angle, half, 0);
    }
    glEnd();
    const auto arrowHead = [&](float at, float towards) {
        glBegin(GL_TRIANGLES);
        point(at, -2.2f * half, 0);
        point(at, 2.2f * half, 0);
        point(at + towards * head, 0, 0);
        glEnd();
    };
    arrowHead(start + sense * span, sense);
    if (move->Turns == 2) {
        arrowHead(start, -sense); // either way round
    }
    glPopAttrib();
}

void TCube3D::DrawCubie(int x, int y, TRenderMode RenderMode, int z) {
    const bool select = RenderMode == TRenderMode::Select;
    if (select) {
        glInitNames();
        glPushName(0);
    }
    const int N = Cube->Size;
    const CubeState0& state = Cube->GetState();
    for (const TFaceFrame& frame : FaceFrames) {
        const int index = StickerIndex(frame.Face, x, y, z, N);
        glPushMatrix();
        glRotatef(frame.Angle, frame.X, frame.Y, frame.Z);
        if (index >= 0) {
            if (select) {
                glLoadName(static_cast<GLuint>(frame.Face * Cube->FaceArea + index));
            }
            glCallList(CubieFaceList);
            const int id = frame.Face * Cube->FaceArea + index;
            if (!select && std::find(HighlightedStickers.begin(), HighlightedStickers.end(), id) !=
                               HighlightedStickers.end()) {
                // A magenta ring between the sticker (0.8) and the cubie's black face (0.9).
                glColor3f(1, 0, 1);
                Octagonal(0.88f, 0.995f);
            }
            const TCubie& cubie = state.Cubies[frame.Face][index];
            const TRGB c = ColorToGL(Settings.FaceColors[cubie.Color < 7 ? cubie.Color : NoColor]);
            glColor3d(c.Red, c.Green, c.Blue);
            RotateStickerImage(frame.Face, index);
            glCallList(StickerList);
        } else {
            if (select) {
                glLoadName(NoSticker);
            }
            glCallList(CubieFaceList);
        }
        glPopMatrix();
    }
}

void TCube3D::RotateStickerImage(int face, int index) {
    const TCubie& cubie = Cube->GetState().Cubies[face][index];
    // The counter only grows; reduced modulo 4 it turns the image the same way, and a large count
    // times 90 would lose its low bits as a float angle.
    const std::int32_t q = Cube->GetState().Rotations[cubie.HomeFace][cubie.HomeIndex] % 4;
    glRotatef(-90.0f * static_cast<float>(q), 0, 0, 1);
}
