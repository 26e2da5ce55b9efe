// Row-vector, left-handed 3D math with the conventions the renderer relies
// on: a point p is transformed as p * M, matrices compose left to right
// (world * view * projection), angles are radians.
#pragma once

#include <cmath>
#include <cstring>
#include <optional>

namespace tnx::math {

struct Vec2 {
    float x = 0, y = 0;
};

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vec3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vec3& operator-=(const Vec3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    bool operator==(const Vec3&) const = default;
};

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

struct Matrix {
    // m[row][col]; rows are the images of the basis vectors (row-vector form).
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Matrix identity() { return Matrix{}; }
    const float* data() const { return &m[0][0]; }
    float* data() { return &m[0][0]; }
    bool operator==(const Matrix& o) const { return std::memcmp(m, o.m, sizeof m) == 0; }
};

struct Plane {
    float a = 0, b = 0, c = 0, d = 0;
};

inline float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(const Vec3& v) { return std::sqrt(dot(v, v)); }
inline float lengthSq(const Vec3& v) { return dot(v, v); }
// Returns the zero vector for a zero-length input, as the classic helper does.
inline Vec3 normalize(const Vec3& v) {
    float len = length(v);
    return len > 0 ? v / len : Vec3{0, 0, 0};
}

Matrix operator*(const Matrix& a, const Matrix& b);

Matrix matrixTranslation(float x, float y, float z);
Matrix matrixScaling(float x, float y, float z);
Matrix matrixRotationX(float angle);
Matrix matrixRotationY(float angle);
Matrix matrixRotationZ(float angle);
Matrix matrixRotationAxis(const Vec3& axis, float angle);
// Roll about Z, then pitch about X, then yaw about Y.
Matrix matrixRotationYawPitchRoll(float yaw, float pitch, float roll);
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
Matrix matrixTranspose(const Matrix& m);
float matrixDeterminant(const Matrix& m);
// Empty when the matrix is singular.
std::optional<Matrix> matrixInverse(const Matrix& m, float* determinant = nullptr);

// p * M with the w divide.
Vec3 transformCoord(const Vec3& p, const Matrix& m);
// v * M ignoring translation.
Vec3 transformNormal(const Vec3& v, const Matrix& m);
// (p, 1) * M without the divide.
Vec4 transform(const Vec3& p, const Matrix& m);

Plane planeFromPoints(const Vec3& a, const Vec3& b, const Vec3& c);
Plane planeNormalize(const Plane& p);
inline float planeDotCoord(const Plane& p, const Vec3& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d; }
// Transforms a plane by a matrix given as the inverse transpose of the point transform.
Plane planeTransform(const Plane& p, const Matrix& inverseTranspose);

constexpr float kPi = 3.14159265358979323846f;

}  // namespace tnx::math
