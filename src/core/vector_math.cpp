// Vector, matrix and reciprocal-square-root arithmetic of the 3D pipeline.
#include "core/vector_math.h"

#include <cstdint>
#include <cstring>

float fastInvSqrt(float x) {
    int32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    // Halving the exponent in the bit pattern gives a first guess at 1/sqrt(x); the
    // subtraction is done unsigned so that no input can overflow it.
    const uint32_t guessBits = 0x5F3759DFu - static_cast<uint32_t>(bits >> 1);
    float guess;
    std::memcpy(&guess, &guessBits, sizeof guess);
    return guess * (1.5f - ((0.5f * x) * guess) * guess);
}

void Vector3::normalize() {
    const float scale = fastInvSqrt(static_cast<float>(dot(*this, *this)));
    x *= scale;
    y *= scale;
    z *= scale;
}

Vector3 normalized(const Vector3& a) {
    Vector3 result = a;
    result.normalize();
    return result;
}

AffineMatrix AffineMatrix::identity() {
    AffineMatrix result = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
    return result;
}

void AffineMatrix::setColumns(const Vector3& c0, const Vector3& c1, const Vector3& c2) {
    m[0][0] = c0.x;
    m[1][0] = c0.y;
    m[2][0] = c0.z;
    m[0][1] = c1.x;
    m[1][1] = c1.y;
    m[2][1] = c1.z;
    m[0][2] = c2.x;
    m[1][2] = c2.y;
    m[2][2] = c2.z;
}

Vector3 transformPoint(const Vector3& p, const AffineMatrix& matrix) {
    const auto& m = matrix.m;
    return Vector3(m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                   m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                   m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]);
}
