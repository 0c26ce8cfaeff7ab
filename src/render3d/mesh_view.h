// A mesh seen from the camera: its vertices carried into view space, back-face culling,
// and the far-to-near order of the faces left, in which the painter's algorithm draws
// them (each face painted over the farther ones). The model (assets/mesh.h) is only read.
#pragma once

#include "assets/mesh.h"
#include "core/vector_math.h"
#include "render3d/mesh_face.h"

// What one camera makes of one model this frame. It owns its arrays.
struct MeshView {
    const Mesh* model = nullptr;
    Vector3* viewPositions = nullptr;  // the model's positions after transform
    Vector3* viewNormals = nullptr;    // its normals rotated by the last transform
    int faceCount = 0;                 // the model's faces taken in by the last takeFaces
    MeshFace* faces = nullptr;
    int visibleCount = 0;              // entries of drawOrder filled by the last cullAndSort
    MeshFace** drawOrder = nullptr;    // its first visibleCount: faces to draw, far to near

    MeshView() = default;
    ~MeshView() { release(); }
    MeshView(const MeshView&) = delete;
    MeshView& operator=(const MeshView&) = delete;

    // Room for a model of up to vertexCapacity vertices and faceCapacity faces, and the
    // model to view; no faces yet. The room is left untouched until used.
    void reserve(const Mesh& viewed, int vertexCapacity, int faceCapacity);
    // The model's faces as they stand now (its faceCount of them), each owned by this view.
    void takeFaces();
    // Frees the arrays; the view is then empty again.
    void release();
};

// The view of a model built once: room for all of it, and its faces taken in.
void viewModel(MeshView& view, const Mesh& model);

// The view-space position of corner k (0, 1 or 2) of a face, and its vertex index.
inline int cornerVertex(const MeshFace& face, int k) {
    return k == 0 ? face.vertex0 : k == 1 ? face.vertex1 : face.vertex2;
}
inline const Vector3& cornerPosition(const MeshFace& face, int k) {
    return face.owner->viewPositions[cornerVertex(face, k)];
}

// viewPositions and viewNormals of the view from its model's positions and normals: the
// matrix's rotation and translation for the positions, its rotation alone for the normals
// (not renormalised). The third argument is accepted for the callers' sake and has no
// effect.
void transform(MeshView& view, const AffineMatrix& matrix, int unused = 0);

// Back-face culling: true when the eye, at the view-space origin, sees the front or the
// edge of the face with view-space corners p0, p1, p2, that is when their triple product
// is not negative. Inline: every frame asks it of every face.
inline bool facesEye(const Vector3& p0, const Vector3& p1, const Vector3& p2) {
    const Vector3& a = p1;
    const Vector3& b = p0;
    // p2 . (p1 x p0): the sign says which side of the face's plane the origin is on.
    const Vector3 across(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return dot(p2, across) >= 0;
}
inline bool facesEye(const MeshFace& face) {
    return facesEye(cornerPosition(face, 0), cornerPosition(face, 1), cornerPosition(face, 2));
}

// Appends the view's faces to draw to list, in face order: those facing the eye when cull
// is set, all of them otherwise. Each gets its sort key, the sum (not the mean) of its
// three view-space z values. Returns how many were appended. The one cull-and-depth
// loop, of a single mesh and of a mesh group alike.
int appendFacesToDraw(MeshView& view, bool cull, MeshFace** list);

// The view's drawOrder and visibleCount: appendFacesToDraw, then sortFacesByDepth, so that
// drawOrder[0 .. visibleCount - 1] runs far to near.
void cullAndSort(MeshView& view, bool cull);

namespace fast {
// Four vertices at a time (mesh_view.cpp).
void transform(MeshView& view, const AffineMatrix& matrix);
}  // namespace fast

namespace plain {
// The transform one vertex at a time, with transformPoint (mesh_view_plain.cpp).
void transform(MeshView& view, const AffineMatrix& matrix);
}  // namespace plain
