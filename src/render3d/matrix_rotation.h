// Rotations applied to a whole affine matrix (rotation and translation terms alike),
// multiplying from the left, so that a chain of calls reads in the order the rotations
// act on a point.
#pragma once

#include "core/vector_math.h"

// (y, z) of every column becomes (y cos a - z sin a, y sin a + z cos a).
void rotateAboutX(AffineMatrix& matrix, float angle);
// (x, y) of every column becomes (x cos a - y sin a, x sin a + y cos a).
void rotateAboutZ(AffineMatrix& matrix, float angle);
// Adds the offset to the translation terms.
void translate(AffineMatrix& matrix, const Vector3& offset);
