// Matrix arithmetic of the 3D pipeline, and the segment cut of a plane.
#include "core/vector_math.h"

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
