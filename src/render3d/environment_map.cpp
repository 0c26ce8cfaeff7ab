// Environment-mapped drawing of a mesh's visible faces.
#include "render3d/environment_map.h"

#include "render3d/clipping.h"
#include "render3d/face_setup.h"
#include "render3d/rasterizer.h"
#include "render3d/vertex_cache.h"

void drawEnvironmentMapped(const MeshView& view, const Camera& camera, const uint8_t* texture,
                           VertexCache& cache, uint8_t* destination) {
    ScreenPoint points[kClipPolygonCapacity];
    int u[kClipPolygonCapacity];
    int v[kClipPolygonCapacity];
    cache.newFrame();
    for (int f = 0; f < view.visibleCount; ++f) {
        const int count = clipEnvironmentFace(*view.drawOrder[f], camera, cache, points, u, v);
        fillTextured(points, u, v, count, texture, destination);
    }
}
