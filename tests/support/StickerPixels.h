#pragma once
// Where the cube's points and stickers land in a view's window, worked out from the camera, the
// arcball rotation and a 45-degree perspective, independently of GL. Sticker centres come from the
// face-grid layout of model/CubeGeometry.h.

#include "model/CubeGeometry.h"
#include "view/Cube3D.h"

#include <QPoint>
#include <cmath>
#include <optional>

namespace testsupport {

// Window pixel (x right, y down) of a point of the cube's own frame.
inline QPoint ProjectToWindow(const TCube3D& View, TVector3 P, int Width, int Height) {
    const TVector3 e = Transform(View.GetArcBall().GetRotation(), P);
    const float f =
        1.0f / std::tan(static_cast<float>(View.VerticalFieldOfView()) / 2 * 3.14159265f / 180.0f);
    const float aspect = Height == 0 ? 1.0f : static_cast<float>(Width) / static_cast<float>(Height);
    const float depth = View.GetCubeDistance() - e.z;
    return {static_cast<int>(std::lround((f * e.x / depth / aspect + 1) / 2 * Width)),
            static_cast<int>(std::lround((1 - f * e.y / depth) / 2 * Height))};
}

// The centre of the sticker surface of position Id in the cube's frame, and its outward normal.
inline TVector3 StickerPoint(const TCube3D& View, int Id, TVector3* Normal = nullptr) {
    const int N = View.CubeSize();
    const int face = Id / (N * N), index = Id % (N * N);
    const geometry::Vec c = geometry::StickerCentre(N, face, index); // doubled: cubies 2 apart
    const geometry::Vec n = geometry::Frames[face].Normal;
    const float spacing = View.GetCubieSpacing() / 2.0f;
    const auto along = [&](int doubled, int normal) {
        // Tangential: doubled cubie offset; along the normal: the cubie centre plus the sticker's 1.0.
        return normal == 0 ? static_cast<float>(doubled) * spacing
                           : static_cast<float>(normal) * (static_cast<float>(N - 1) * spacing + 1.0f);
    };
    if (Normal) {
        *Normal = {static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)};
    }
    return {along(c.x, n.x), along(c.y, n.y), along(c.z, n.z)};
}

// The window pixel of a sticker's centre, if the sticker faces the camera clearly enough to be hit
// there; none for stickers on the far side or seen edge-on.
inline std::optional<QPoint> VisibleStickerPixel(const TCube3D& View, int Id, int Width, int Height) {
    TVector3 normal{};
    const TVector3 p = StickerPoint(View, Id, &normal);
    const TVector3 e = Transform(View.GetArcBall().GetRotation(), p);
    const TVector3 n = Transform(View.GetArcBall().GetRotation(), normal);
    const TVector3 toEye{-e.x, -e.y, View.GetCubeDistance() - e.z};
    const float len = std::sqrt(toEye.x * toEye.x + toEye.y * toEye.y + toEye.z * toEye.z);
    if ((n.x * toEye.x + n.y * toEye.y + n.z * toEye.z) / len < 0.1f) {
        return std::nullopt;
    }
    return ProjectToWindow(View, p, Width, Height);
}

} // namespace testsupport
