// The small value types of the 3D pipeline: Vector3, AffineMatrix and Plane, and the
// one approximate reciprocal square root every vector length in the demo goes through.
#pragma once

#include <cstdint>
#include <cstring>

// A point or direction. Default construction leaves the components unset, so arrays of
// vectors cost nothing until their owner fills them.
struct Vector3 {
    float x, y, z;

    Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void set(float x_, float y_, float z_) {
        x = x_;
        y = y_;
        z = z_;
    }
    // Scales the vector to (nearly) unit length; a zero vector stays zero.
    void normalize();
};

inline Vector3 operator+(const Vector3& a, const Vector3& b) {
    return Vector3(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline Vector3 operator-(const Vector3& a, const Vector3& b) {
    return Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline Vector3 operator*(const Vector3& a, float s) { return Vector3(s * a.x, s * a.y, s * a.z); }
inline Vector3 operator*(float s, const Vector3& a) { return Vector3(s * a.x, s * a.y, s * a.z); }

// The dot product, returned at working precision rather than rounded to a float first.
inline double dot(const Vector3& a, const Vector3& b) {
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
           static_cast<double>(a.z) * b.z;
}

// The bit-trick estimate of 1/sqrt(x) refined by exactly one Newton step: low by at most
// about 0.18%, which lighting and the camera basis are tuned to. Inline, as the next two:
// every lit vertex of every frame goes through them.
inline float fastInvSqrt(float x) {
    int32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    // Halving the exponent in the bit pattern gives a first guess at 1/sqrt(x); the
    // subtraction is done unsigned so that no input can overflow it.
    const uint32_t guessBits = 0x5F3759DFu - static_cast<uint32_t>(bits >> 1);
    float guess;
    std::memcpy(&guess, &guessBits, sizeof guess);
    return guess * (1.5f - ((0.5f * x) * guess) * guess);
}

inline void Vector3::normalize() {
    const float scale = fastInvSqrt(static_cast<float>(dot(*this, *this)));
    x *= scale;
    y *= scale;
    z *= scale;
}

// a scaled to (nearly) unit length; a itself is unchanged.
inline Vector3 normalized(const Vector3& a) {
    Vector3 result = a;
    result.normalize();
    return result;
}

// Three rows of rotation, each followed by its translation term:
// m[i][0..2] rotate, m[i][3] translates. There is no fourth row; projection is the
// camera's business.
struct AffineMatrix {
    float m[3][4];

    static AffineMatrix identity();
    // Writes c0, c1, c2 as the columns of the rotation part; translation is kept.
    void setColumns(const Vector3& c0, const Vector3& c1, const Vector3& c2);
};

// Rotation and translation of M applied to the point p.
Vector3 transformPoint(const Vector3& p, const AffineMatrix& matrix);

// A plane n.p + d = 0; which side counts as inside is up to the clip operation using it.
struct Plane {
    Vector3 normal;
    float offset;

    double distance(const Vector3& p) const { return dot(normal, p) + offset; }
};
