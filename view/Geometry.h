#pragma once
// Small vector, quaternion and 4x4 matrix helpers for the arcball and the view. Single precision
// throughout; matrices are column-major (element at row r, column c at index 4c + r), as OpenGL
// takes them.

#include <array>

struct TVector3 {
    float x = 0, y = 0, z = 0;
};

struct TQuaternion {
    float x = 0, y = 0, z = 0, w = 0;
};

using TMatrix4 = std::array<float, 16>;

float Dot(const TVector3& a, const TVector3& b);
TVector3 Cross(const TVector3& a, const TVector3& b);

TMatrix4 IdentityMatrix();
// The rotation a quaternion stands for; a zero quaternion gives the identity.
TMatrix4 QuaternionToMatrix(const TQuaternion& q);
// a * b acting on column vectors: b is applied first.
TMatrix4 Multiply(const TMatrix4& a, const TMatrix4& b);
// m applied to the direction v (the translation part is ignored).
TVector3 Transform(const TMatrix4& m, const TVector3& v);
