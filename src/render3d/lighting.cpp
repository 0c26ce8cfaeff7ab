// A lit face clipped and projected for the gouraud fills.
#include "render3d/lighting.h"

#include "render3d/clipping.h"

int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, VertexCache& cache, ScreenPoint* points, uint8_t* shades) {
    float cornerShades[3];
    const FaceInView inView =
        cache.viewAndShade(face, camera, points, light, scale, maxShade, cornerShades, shades);
    if (inView == FaceInView::Outside) return 0;
    if (inView == FaceInView::Inside) {
        // No clip pass would touch the face: its corners' screen points and shades are
        // in points and shades.
        return 3;
    }

    ClipPolygonShade polygon;
    ClipPolygonShade scratch;
    polygon.count = 3;
    for (int k = 0; k < 3; ++k) {
        polygon.positions[k] = cornerPosition(face, k);
        polygon.shades[k] = cornerShades[k];
    }
    if (!clipToFrustum(camera, polygon, scratch)) return 0;

    const int count = static_cast<int>(polygon.count);
    for (int k = 0; k < count; ++k) {
        camera.project(polygon.positions[k], points[k].x, points[k].y);
        shades[k] = shadeByte(polygon.shades[k]);
    }
    return count;
}
