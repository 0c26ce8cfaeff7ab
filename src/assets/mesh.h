// The triangle mesh every 3D scene draws: vertex arrays, faces, and the far-to-near list
// of the faces to paint this frame.
#pragma once

#include <cstdint>

#include "core/vector_math.h"

struct Mesh;

struct TexCoord {
    float u, v;
};

struct MeshFace {
    int vertex0, vertex1, vertex2;
    uint16_t flags;  // the 3DS flag word; its low bits mark visible edges
    Vector3* p0;     // &viewPositions[vertex0], and so on: set by whoever fills the faces
    Vector3* p1;
    Vector3* p2;
    Vector3 normal;    // unit normal from model-space positions
    Vector3 centroid;  // average of the three positions, set by whoever fills the faces
    float depth;       // sort key: the sum of the three view-space z values
    Mesh* owner;       // lets a drawing routine given only the face reach the vertices
};

// A mesh owns its arrays. Records may embed a Mesh and carry more fields behind it.
struct Mesh {
    int vertexCount;
    Vector3* positions;      // model space
    Vector3* viewPositions;  // after transform; faces point into this array
    TexCoord* texCoords;
    Vector3* normals;      // unit vertex normals, model space
    Vector3* viewNormals;  // normals rotated by the last transform
    int faceCount;
    int visibleCount;        // entries of drawOrder filled by the last cullAndSort
    MeshFace* faces;
    MeshFace** drawOrder;    // its first visibleCount entries: faces to draw, far to near

    Mesh();
    ~Mesh() { release(); }
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Frees the arrays; the mesh is then empty again.
    void release();
    // (Re)allocates the five per-vertex arrays; contents undefined. Faces must then be
    // pointed at the new viewPositions again.
    void setVertexCount(int count);
    // (Re)allocates faces and drawOrder and sets every face's owner; other fields undefined.
    void setFaceCount(int count);
    // (Re)allocates room for `capacity` faces and their drawOrder, with faceCount 0. The
    // room is left untouched, so that memory never used costs nothing: whoever appends a
    // face writes all its fields, owner included.
    void reserveFaces(int capacity);

    void computeFaceNormals();
    // Area-weighted sums of the face planes of viewPositions, made unit length.
    void computeVertexNormals();
    // viewPositions and viewNormals from positions and normals. The second argument is
    // accepted for the callers' sake and has no effect.
    void transform(const AffineMatrix& matrix, int unused = 0);
    // Picks the faces to draw (front faces only when cull is set) and sorts them far
    // to near into drawOrder.
    void cullAndSort(bool cull);
};

// Sorts list[lo..hi] (inclusive) by depth, largest first, with a Hoare quicksort whose
// recursion stays within log2 of the range's length. Equal depths are not kept in input
// order, but always end where this quicksort leaves them: the drawing order, and so the
// pixels, depend on it. An empty or one-entry range (hi <= lo) is left as it is.
void sortFacesByDepth(MeshFace** list, int lo, int hi);

// True when the eye, at the view-space origin, sees the face's front or its edge: the
// triple product of its view-space vertices is not negative. Inline: every frame asks
// it of every face.
inline bool facesEye(const MeshFace& face) {
    const Vector3& a = *face.p1;
    const Vector3& b = *face.p0;
    // p2 . (p1 x p0): the sign says which side of the face's plane the origin is on.
    const Vector3 across(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return dot(*face.p2, across) >= 0;
}

// Points the face at its three vertices in the owner's viewPositions.
void attachFaceToVertices(MeshFace& face);
