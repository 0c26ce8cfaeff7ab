// The work on a mesh vertex that every face around it would otherwise repeat, done once
// a frame: a vertex is shared by about six faces, three of them facing the eye.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render3d/mesh_view.h"
#include "core/vector_math.h"
#include "render3d/camera.h"
#include "render3d/clipping.h"
#include "render3d/rasterizer.h"

// Per vertex of the registered meshes, each worked out the first time a face asks for
// it in a frame: its outcode against the six frustum planes and, when it is inside all
// six, its screen point; and its lit shade. All depend on the vertex alone, so every face
// that asks gets what it would have worked out itself. What it saves is what the plain
// face set-up (face_setup_plain.cpp) does for every face: six clip passes and the
// lighting and projection of each corner.
class VertexCache {
public:
    // Room for a view of up to `vertexCapacity` vertices. At load time, for every mesh
    // view whose faces will go through the cache.
    void addView(const MeshView& view, int vertexCapacity);
    // Forgets everything: for each frame (new positions, normals, camera or light).
    void newFrame();

    // Where a face of one of the meshes stands against the camera's frustum (clipping's
    // triangleInView of its corners' outcodes); when it is
    // Inside, points[0..2] receive its corners' screen points (the camera's project).
    // The camera must be the same for every face of a frame.
    FaceInView view(const MeshFace& face, const Camera& camera, ScreenPoint* points);

    // view, then, unless the face is Outside, shades[k] = min(maxShade, pointLightShade)
    // of corner k's vertex, and the shades as the rasterizers' bytes (shadeByte) into
    // shadeBytes. The light, scale and maxShade must be the same for every face of a frame.
    FaceInView viewAndShade(const MeshFace& face, const Camera& camera, ScreenPoint* points,
                            const Vector3& light, float scale, float maxShade, float* shades,
                            uint8_t* shadeBytes);

private:
    struct Vertex {
        // Sixteen bytes, four to a cache line: the faces of a frame reach their vertices
        // in depth order, all over the cache.
        uint16_t viewFrame;   // the frame the outcode and point were worked out in
        uint16_t shadeFrame;  // the frame the shade was worked out in
        int16_t x, y;         // the screen point, when inside all six (projection keeps it
                              // within +-kProjectionLimit)
        float shade;
        uint8_t outcode;      // bit p: not strictly inside plane p
        uint8_t shadeByte;    // the shade as the rasterizers take it
    };
    static_assert(sizeof(Vertex) == 16, "a vertex entry is sixteen bytes");
    struct Member {
        const MeshView* view;
        size_t first;  // where the view's vertices start in vertices_
    };
    // The entries of the face's three vertices, in corner order.
    void cornersOf(const MeshFace& face, Vertex* corners[3]);
    FaceInView viewCorners(const MeshFace& face, Vertex* const corners[3], const Camera& camera,
                           ScreenPoint* points);
    void shadeCorners(const MeshFace& face, Vertex* const corners[3], const Vector3& light,
                      float scale, float maxShade, float* shades, uint8_t* shadeBytes);

    std::vector<Member> members_;
    std::vector<Vertex> vertices_;
    uint16_t frame_ = 1;  // stamps of 16 bits: they start over every 65,535 frames
    size_t lastMember_ = 0;  // consecutive faces mostly belong to the same view
};
