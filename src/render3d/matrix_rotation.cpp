// Left-multiplied rotations and translation of affine matrices.
#include "render3d/matrix_rotation.h"

#include <cmath>

namespace {

// Turns rows a and b of every column by the angle: (a, b) -> (a cos - b sin, a sin + b cos).
void rotateRows(AffineMatrix& matrix, int a, int b, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    for (int column = 0; column < 4; ++column) {
        const float va = matrix.m[a][column];
        const float vb = matrix.m[b][column];
        matrix.m[a][column] = va * c - vb * s;
        matrix.m[b][column] = va * s + vb * c;
    }
}

}  // namespace

void rotateAboutX(AffineMatrix& matrix, float angle) { rotateRows(matrix, 1, 2, angle); }

void rotateAboutZ(AffineMatrix& matrix, float angle) { rotateRows(matrix, 0, 1, angle); }

void translate(AffineMatrix& matrix, const Vector3& offset) {
    matrix.m[0][3] += offset.x;
    matrix.m[1][3] += offset.y;
    matrix.m[2][3] += offset.z;
}
