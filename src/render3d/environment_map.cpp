// Environment-mapped drawing of a mesh's visible faces.
#include "render3d/environment_map.h"

#include "core/numeric.h"
#include "render3d/clipping.h"
#include "render3d/rasterizer.h"

void drawEnvironmentMapped(const Mesh& mesh, const Camera& camera, const uint8_t* texture,
                           VertexCache& cache, uint8_t* destination) {
    ClipPolygonUV polygon;
    ClipPolygonUV scratch;
    ScreenPoint points[kClipPolygonCapacity];
    int u[kClipPolygonCapacity];
    int v[kClipPolygonCapacity];
    cache.newFrame();
    for (int f = 0; f < mesh.visibleCount; ++f) {
        const MeshFace& face = *mesh.drawOrder[f];
        const FaceInView inView = cache.view(face, camera, points);
        if (inView == FaceInView::Outside) continue;
        for (int k = 0; k < 3; ++k) {
            const Vector3& n = mesh.viewNormals[cornerVertex(face, k)];
            polygon.positions[k] = cornerPosition(face, k);
            polygon.uv[k][0] = environmentCoordinate(n.x);
            polygon.uv[k][1] = environmentCoordinate(n.y);
        }
        polygon.count = 3;
        // A face inside the view is one no clip pass would touch: its corners' screen
        // points are in points already.
        if (inView == FaceInView::Crossing) {
            if (!clipToFrustum(camera, polygon, scratch)) continue;
            for (uint32_t k = 0; k < polygon.count; ++k)
                camera.project(polygon.positions[k], points[k].x, points[k].y);
        }
        const int count = static_cast<int>(polygon.count);
        for (int k = 0; k < count; ++k) {
            u[k] = truncToInt(polygon.uv[k][0]);
            v[k] = truncToInt(polygon.uv[k][1]);
        }
        fillTextured(points, u, v, count, texture, destination);
    }
}
