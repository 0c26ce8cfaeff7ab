// The painter's algorithm's order: faces sorted far to near, the largest depth first, so
// that each face painted covers the farther ones behind it.
#pragma once

#include "render3d/mesh_face.h"

// Sorts list[lo..hi] (inclusive) by depth, largest first. Equal depths are not kept in
// input order, but always end where the plain Hoare quicksort leaves them: the drawing
// order, and so the pixels, depend on it. An empty or one-entry range (hi <= lo) is left
// as it is.
void sortFacesByDepth(MeshFace** list, int lo, int hi);

namespace fast {
void sortFacesByDepth(MeshFace** list, int lo, int hi);  // depth_sort.cpp
}  // namespace fast

namespace plain {
// The same order by the plain quicksort itself (depth_sort_plain.cpp).
void sortFacesByDepth(MeshFace** list, int lo, int hi);
}  // namespace plain
