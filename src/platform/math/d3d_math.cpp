#include "platform/math/d3d_math.h"

namespace tnx::math {

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

Matrix matrixTranslation(float x, float y, float z) {
    Matrix r;
    r.m[3][0] = x; r.m[3][1] = y; r.m[3][2] = z;
    return r;
}

Matrix matrixScaling(float x, float y, float z) {
    Matrix r;
    r.m[0][0] = x; r.m[1][1] = y; r.m[2][2] = z;
    return r;
}

Matrix matrixRotationX(float a) {
    Matrix r;
    float c = std::cos(a), s = std::sin(a);
    r.m[1][1] = c; r.m[1][2] = s;
    r.m[2][1] = -s; r.m[2][2] = c;
    return r;
}

Matrix matrixRotationY(float a) {
    Matrix r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c; r.m[0][2] = -s;
    r.m[2][0] = s; r.m[2][2] = c;
    return r;
}

Matrix matrixRotationZ(float a) {
    Matrix r;
    float c = std::cos(a), s = std::sin(a);
    r.m[0][0] = c; r.m[0][1] = s;
    r.m[1][0] = -s; r.m[1][1] = c;
    return r;
}

Matrix matrixRotationAxis(const Vec3& axis, float a) {
    Vec3 v = normalize(axis);
    float c = std::cos(a), s = std::sin(a), t = 1 - c;
    Matrix r;
    r.m[0][0] = t * v.x * v.x + c;       r.m[0][1] = t * v.x * v.y + s * v.z; r.m[0][2] = t * v.x * v.z - s * v.y;
    r.m[1][0] = t * v.x * v.y - s * v.z; r.m[1][1] = t * v.y * v.y + c;       r.m[1][2] = t * v.y * v.z + s * v.x;
    r.m[2][0] = t * v.x * v.z + s * v.y; r.m[2][1] = t * v.y * v.z - s * v.x; r.m[2][2] = t * v.z * v.z + c;
    return r;
}

Matrix matrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
    return matrixRotationZ(roll) * matrixRotationX(pitch) * matrixRotationY(yaw);
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    float ys = 1.0f / std::tan(fovY / 2);
    float xs = ys / aspect;
    Matrix r;
    r.m[0][0] = xs;
    r.m[1][1] = ys;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1;
    r.m[3][2] = -zn * zf / (zf - zn);
    r.m[3][3] = 0;
    return r;
}

Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
    Vec3 z = normalize(at - eye);
    Vec3 x = normalize(cross(up, z));
    Vec3 y = cross(z, x);
    Matrix r;
    r.m[0][0] = x.x; r.m[0][1] = y.x; r.m[0][2] = z.x;
    r.m[1][0] = x.y; r.m[1][1] = y.y; r.m[1][2] = z.y;
    r.m[2][0] = x.z; r.m[2][1] = y.z; r.m[2][2] = z.z;
    r.m[3][0] = -dot(x, eye); r.m[3][1] = -dot(y, eye); r.m[3][2] = -dot(z, eye);
    return r;
}

Matrix matrixTranspose(const Matrix& m) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m.m[j][i];
    return r;
}

namespace {
// Cofactor expansion in double precision; 4x4 is small enough.
void cofactors(const Matrix& src, double inv[16], double& det) {
    double m[16];
    for (int i = 0; i < 16; ++i) m[i] = src.data()[i];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
}
}  // namespace

float matrixDeterminant(const Matrix& m) {
    double inv[16], det;
    cofactors(m, inv, det);
    return float(det);
}

std::optional<Matrix> matrixInverse(const Matrix& m, float* determinant) {
    double inv[16], det;
    cofactors(m, inv, det);
    if (determinant) *determinant = float(det);
    if (det == 0.0 || !std::isfinite(det)) return std::nullopt;
    Matrix r;
    for (int i = 0; i < 16; ++i) r.data()[i] = float(inv[i] / det);
    return r;
}

Vec3 transformCoord(const Vec3& p, const Matrix& m) {
    Vec4 v = transform(p, m);
    float w = v.w != 0 ? v.w : 1.0f;
    return {v.x / w, v.y / w, v.z / w};
}

Vec3 transformNormal(const Vec3& v, const Matrix& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Vec4 transform(const Vec3& p, const Matrix& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2],
            p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3]};
}

Plane planeFromPoints(const Vec3& a, const Vec3& b, const Vec3& c) {
    Vec3 n = normalize(cross(b - a, c - a));
    return {n.x, n.y, n.z, -dot(n, a)};
}

Plane planeNormalize(const Plane& p) {
    float len = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
    if (len == 0) return p;
    return {p.a / len, p.b / len, p.c / len, p.d / len};
}

Plane planeTransform(const Plane& p, const Matrix& m) {
    return {p.a * m.m[0][0] + p.b * m.m[1][0] + p.c * m.m[2][0] + p.d * m.m[3][0],
            p.a * m.m[0][1] + p.b * m.m[1][1] + p.c * m.m[2][1] + p.d * m.m[3][1],
            p.a * m.m[0][2] + p.b * m.m[1][2] + p.c * m.m[2][2] + p.d * m.m[3][2],
            p.a * m.m[0][3] + p.b * m.m[1][3] + p.c * m.m[2][3] + p.d * m.m[3][3]};
}

}  // namespace tnx::math
