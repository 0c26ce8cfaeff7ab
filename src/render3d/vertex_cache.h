// The work on a mesh vertex that every face around it would otherwise repeat, done once
// a frame: a vertex is shared by about six faces, three of them facing the eye.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/mesh.h"
#include "core/vector_math.h"
#include "render3d/camera.h"
#include "render3d/rasterizer.h"

// Per vertex of the registered meshes, each worked out the first time a face asks for
// it in a frame: whether the vertex lies strictly inside all six planes of the camera's
// frustum, with its screen point if so, and its lit shade. Both depend on the vertex
// alone, so every face that asks gets what it would have worked out itself.
class VertexCache {
public:
    // Room for a mesh of up to `vertexCapacity` vertices. At load time, for every mesh
    // whose faces will go through the cache.
    void addMesh(const Mesh& mesh, int vertexCapacity);
    // Forgets everything: for each frame (new positions, normals, camera or light).
    void newFrame();

    // Corner k (0, 1 or 2) of a face of one of the meshes: true, with the corner's
    // screen point (the camera's project), when its vertex is strictly inside every
    // frustum plane of the camera, that is when no clip pass would touch it. The camera
    // must be the same for every face of a frame.
    bool inView(const MeshFace& face, int k, const Camera& camera, ScreenPoint& point);

    // scale * max(0, normal . unit(light - position)) of corner k's vertex, at most
    // maxShade. The light, scale and maxShade must be the same for every face of a frame.
    float shade(const MeshFace& face, int k, const Vector3& light, float scale, float maxShade);

private:
    struct Vertex {
        uint32_t viewFrame;   // the frame inView and point were worked out in
        uint32_t shadeFrame;  // the frame shade was worked out in
        bool inView;
        ScreenPoint point;
        float shade;
    };
    struct Member {
        const Mesh* mesh;
        size_t first;  // where the mesh's vertices start in vertices_
    };
    Vertex& vertexOf(const MeshFace& face, int k);

    std::vector<Member> members_;
    std::vector<Vertex> vertices_;
    uint32_t frame_ = 1;
    size_t lastMember_ = 0;  // consecutive faces mostly belong to the same mesh
};

// The vertex index and view-space position of corner k (0, 1 or 2) of a face.
inline int cornerVertex(const MeshFace& face, int k) {
    return k == 0 ? face.vertex0 : k == 1 ? face.vertex1 : face.vertex2;
}
inline const Vector3& cornerPosition(const MeshFace& face, int k) {
    return k == 0 ? *face.p0 : k == 1 ? *face.p1 : *face.p2;
}
