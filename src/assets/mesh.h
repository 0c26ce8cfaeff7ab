// The triangle mesh every 3D scene draws: vertex arrays, faces, and the far-to-near list
// of the faces to paint this frame. Its transform, back-face culling and depth sort are
// the renderer's (render3d/mesh_view.h).
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
};

// Points the face at its three vertices in the owner's viewPositions.
void attachFaceToVertices(MeshFace& face);

// The vertex index and view-space position of corner k (0, 1 or 2) of a face.
inline int cornerVertex(const MeshFace& face, int k) {
    return k == 0 ? face.vertex0 : k == 1 ? face.vertex1 : face.vertex2;
}
inline const Vector3& cornerPosition(const MeshFace& face, int k) {
    return k == 0 ? *face.p0 : k == 1 ? *face.p1 : *face.p2;
}
