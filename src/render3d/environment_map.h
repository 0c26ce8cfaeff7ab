// Environment mapping: a mesh textured with a picture of its surroundings, each vertex
// looking up the texel at its camera-space normal, so reflections follow the view.
#pragma once

#include <cstdint>

#include "assets/mesh.h"
#include "render3d/camera.h"
#include "render3d/vertex_cache.h"

// The texel coordinate of a normal component: -1 .. 1 maps to 1 .. 255, the centre of the
// 256x256 texture facing the eye.
inline float environmentCoordinate(float normalComponent) {
    return 127.0f * normalComponent + 128.0f;
}

// Draws drawOrder[0 .. visibleCount - 1] of a transformed, culled and sorted mesh in that
// order: each face clipped to the camera's frustum, projected, and filled from the
// 256x256 texture with u and v taken from the x and y of its vertices' viewNormals. The
// vertices' screen points come through the cache, which must hold the mesh; its frame
// starts here.
void drawEnvironmentMapped(const Mesh& mesh, const Camera& camera, const uint8_t* texture,
                           VertexCache& cache, uint8_t* destination);
