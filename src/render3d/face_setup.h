// The step before a fill: a face of a transformed, culled and sorted mesh, lit or
// environment-mapped per vertex, clipped to the camera's frustum and projected to the
// screen points the rasterizers take.
#pragma once

#include <cstdint>

#include "render3d/mesh_view.h"
#include "core/vector_math.h"
#include "render3d/camera.h"
#include "render3d/rasterizer.h"

class VertexCache;

// For the gouraud fills: the face lit per vertex by a point light (pointLightShade, at
// most maxShade), clipped and projected. The vertices' shades and screen points come
// through the frame's cache, which must hold the face's mesh. Returns how many vertices
// are left, 0 when the face is clipped away; points and shades receive that many entries
// (room for kClipPolygonCapacity).
int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, VertexCache& cache, ScreenPoint* points, uint8_t* shades);

// The texel coordinate of a normal component for environment mapping: -1 .. 1 maps to
// 1 .. 255, the centre of the 256x256 texture facing the eye.
inline float environmentCoordinate(float normalComponent) {
    return 127.0f * normalComponent + 128.0f;
}

// For the textured fill: the face environment-mapped, each vertex taking the texel at the
// x and y of its view normal, clipped and projected. The screen points come through the
// cache as above. Returns the vertex count as clipLitFace does; points, u and v receive
// that many entries.
int clipEnvironmentFace(const MeshFace& face, const Camera& camera, VertexCache& cache,
                        ScreenPoint* points, int* u, int* v);

namespace fast {
// Through the per-frame vertex cache (face_setup.cpp).
int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, VertexCache& cache, ScreenPoint* points, uint8_t* shades);
int clipEnvironmentFace(const MeshFace& face, const Camera& camera, VertexCache& cache,
                        ScreenPoint* points, int* u, int* v);
}  // namespace fast

namespace plain {
// The same two without the cache: every face clipped through all six planes, every
// vertex lit and projected for every face that uses it (face_setup_plain.cpp).
int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, ScreenPoint* points, uint8_t* shades);
int clipEnvironmentFace(const MeshFace& face, const Camera& camera, ScreenPoint* points,
                        int* u, int* v);
}  // namespace plain
