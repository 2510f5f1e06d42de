#include "view/Geometry.h"

float Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TVector3 Cross(const TVector3& a, const TVector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

TMatrix4 IdentityMatrix() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

TMatrix4 QuaternionToMatrix(const TQuaternion& q) {
    const float n = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    const float s = n > 0 ? 2.0f / n : 0.0f;
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    TMatrix4 m = IdentityMatrix();
    // m[4c + r]: column-major.
    m[0] = 1 - s * (yy + zz);
    m[1] = s * (xy + wz);
    m[2] = s * (xz - wy);
    m[4] = s * (xy - wz);
    m[5] = 1 - s * (xx + zz);
    m[6] = s * (yz + wx);
    m[8] = s * (xz + wy);
    m[9] = s * (yz - wx);
    m[10] = 1 - s * (xx + yy);
    return m;
}

TMatrix4 Multiply(const TMatrix4& a, const TMatrix4& b) {
    TMatrix4 m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[4 * k + r] * b[4 * c + k];
            }
            m[4 * c + r] = sum;
        }
    }
    return m;
}

TVector3 Transform(const TMatrix4& m, const TVector3& v) {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}
