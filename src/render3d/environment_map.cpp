// Environment-mapped drawing of a mesh's visible faces.
#include "render3d/environment_map.h"

#include "core/numeric.h"
#include "render3d/clipping.h"
#include "render3d/rasterizer.h"

void drawEnvironmentMapped(const Mesh& mesh, const Camera& camera, const uint8_t* texture,
                           uint8_t* destination) {
    ClipPolygonUV polygon;
    ClipPolygonUV scratch;
    ScreenPoint points[kClipPolygonCapacity];
    int u[kClipPolygonCapacity];
    int v[kClipPolygonCapacity];
    for (int f = 0; f < mesh.visibleCount; ++f) {
        const MeshFace& face = *mesh.drawOrder[f];
        const Vector3* corners[3] = {face.p0, face.p1, face.p2};
        const int vertices[3] = {face.vertex0, face.vertex1, face.vertex2};
        for (int k = 0; k < 3; ++k) {
            const Vector3& n = mesh.viewNormals[vertices[k]];
            polygon.positions[k] = *corners[k];
            polygon.uv[k][0] = environmentCoordinate(n.x);
            polygon.uv[k][1] = environmentCoordinate(n.y);
        }
        polygon.count = 3;
        if (!clipToFrustum(camera, polygon, scratch)) continue;

        const int count = static_cast<int>(polygon.count);
        for (int k = 0; k < count; ++k) {
            camera.project(polygon.positions[k], points[k].x, points[k].y);
            u[k] = truncToInt(polygon.uv[k][0]);
            v[k] = truncToInt(polygon.uv[k][1]);
        }
        fillTextured(points, u, v, count, texture, destination);
    }
}
