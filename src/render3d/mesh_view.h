// A mesh seen from the camera: its vertices carried into view space, back-face culling,
// and the far-to-near order of the faces left, in which the painter's algorithm draws
// them (each face painted over the farther ones).
#pragma once

#include "assets/mesh.h"
#include "core/vector_math.h"

// viewPositions and viewNormals of the mesh from its positions and normals: the matrix's
// rotation and translation for the positions, its rotation alone for the normals (not
// renormalised). The third argument is accepted for the callers' sake and has no effect.
void transform(Mesh& mesh, const AffineMatrix& matrix, int unused = 0);

// Back-face culling: true when the eye, at the view-space origin, sees the face's front
// or its edge, that is when the triple product of its view-space vertices is not
// negative. Inline: every frame asks it of every face.
inline bool facesEye(const MeshFace& face) {
    const Vector3& a = *face.p1;
    const Vector3& b = *face.p0;
    // p2 . (p1 x p0): the sign says which side of the face's plane the origin is on.
    const Vector3 across(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return dot(*face.p2, across) >= 0;
}

// Appends the mesh's faces to draw to list, in face order: those facing the eye when cull
// is set, all of them otherwise. Each gets its sort key, the sum (not the mean) of its
// three view-space z values. Returns how many were appended. The one cull-and-depth
// loop, of a single mesh and of a mesh group alike.
int appendFacesToDraw(Mesh& mesh, bool cull, MeshFace** list);

// The mesh's drawOrder and visibleCount: appendFacesToDraw, then sortFacesByDepth, so that
// drawOrder[0 .. visibleCount - 1] runs far to near.
void cullAndSort(Mesh& mesh, bool cull);

namespace fast {
// Four vertices at a time (mesh_view.cpp).
void transform(Mesh& mesh, const AffineMatrix& matrix);
}  // namespace fast

namespace plain {
// The transform one vertex at a time, with transformPoint (mesh_view_plain.cpp).
void transform(Mesh& mesh, const AffineMatrix& matrix);
}  // namespace plain
