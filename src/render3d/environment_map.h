// Environment mapping: a mesh textured with a picture of its surroundings, each vertex
// looking up the texel at its camera-space normal, so reflections follow the view.
#pragma once

#include <cstdint>

#include "render3d/mesh_view.h"
#include "render3d/camera.h"

class VertexCache;

// Draws drawOrder[0 .. visibleCount - 1] of a transformed, culled and sorted view in that
// order: each face set up by clipEnvironmentFace (face_setup.h) and filled from the
// 256x256 texture. The vertices' screen points come through the cache, which must hold
// the view; its frame starts here.
void drawEnvironmentMapped(const MeshView& view, const Camera& camera, const uint8_t* texture,
                           VertexCache& cache, uint8_t* destination);
