// Per-vertex point lighting for the gouraud fills, and the conversion of a shade to the
// byte the rasterizers take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/mesh.h"
#include "core/vector_math.h"
#include "render3d/camera.h"
#include "render3d/rasterizer.h"

// scale * max(0, normal . unit(light - position)), all in one space. A light behind the
// surface, or a degenerate direction whose dot product is NaN, gives 0.
float pointLightShade(const Vector3& normal, const Vector3& light, const Vector3& position,
                      float scale);

// A shade truncated toward zero and kept within 0..255.
uint8_t shadeByte(float shade);

// The shades of mesh vertices for one frame, each worked out the first time a face asks
// for it: a vertex is shared by about six faces, three of them facing the eye, and its
// shade depends on the vertex alone, so it is the same for every face that asks.
class VertexShadeCache {
public:
    // Room for the shades of a mesh of up to `vertexCapacity` vertices. At load time,
    // for every mesh whose faces will be lit.
    void addMesh(const Mesh& mesh, int vertexCapacity);
    // Forgets every shade: for each frame (a new light, new positions or normals).
    void newFrame();
    // The shade of corner k (0, 1 or 2) of a face of one of the meshes: scale * max(0,
    // normal . unit(light - position)) of its vertex, at most maxShade. The light, scale
    // and maxShade must be the same for every face of a frame.
    float shade(const MeshFace& face, int k, const Vector3& light, float scale, float maxShade);

private:
    struct Member {
        const Mesh* mesh;
        int first;  // where the mesh's vertices start in the arrays below
    };
    int firstOf(const Mesh* mesh);

    std::vector<Member> members_;
    std::vector<float> shades_;
    std::vector<uint32_t> frameOf_;  // the frame each shade was worked out in
    uint32_t frame_ = 1;
    size_t lastMember_ = 0;  // consecutive faces mostly belong to the same mesh
};

// A face of a transformed mesh lit per vertex by a point light (shades at most maxShade,
// taken through the cache), clipped to the camera's frustum and projected: the step
// before a gouraud fill. Returns how many vertices are left, 0 when the face is clipped
// away; points and shades receive that many entries (room for kClipPolygonCapacity).
int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, VertexShadeCache& cache, ScreenPoint* points, uint8_t* shades);
