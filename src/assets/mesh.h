// The triangle mesh as loaded: vertex arrays and faces in model space. What the camera
// makes of it each frame (view space, culling, the far-to-near order) is the renderer's
// view of the mesh (render3d/mesh_view.h); the model stays as it was built.
#pragma once

#include <cstdint>

#include "core/vector_math.h"

struct TexCoord {
    float u, v;
};

struct MeshTriangle {
    int vertex0, vertex1, vertex2;
    uint16_t flags;    // the 3DS flag word; its low bits mark visible edges
    Vector3 normal;    // unit normal from model-space positions
    Vector3 centroid;  // average of the three positions, set by whoever fills the faces
};

// A mesh owns its arrays. Records may embed a Mesh and carry more fields behind it.
struct Mesh {
    int vertexCount;
    Vector3* positions;  // model space
    TexCoord* texCoords;
    Vector3* normals;  // unit vertex normals, model space
    int faceCount;
    MeshTriangle* faces;

    Mesh();
    ~Mesh() { release(); }
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Frees the arrays; the mesh is then empty again.
    void release();
    // (Re)allocates the three per-vertex arrays; contents undefined.
    void setVertexCount(int count);
    // (Re)allocates the faces; their fields undefined.
    void setFaceCount(int count);
    // (Re)allocates room for `capacity` faces, with faceCount 0. The room is left
    // untouched, so that memory never used costs nothing: whoever appends a face writes
    // all its fields.
    void reserveFaces(int capacity);

    void computeFaceNormals();
    // Area-weighted sums of the face planes of positions, made unit length.
    void computeVertexNormals();
};
