// The face set-up through the frame's vertex cache: a face wholly inside the view keeps
// the screen points its vertices were projected to once this frame; only a face crossing
// the frustum is clipped. face_setup_plain.cpp clips every face, with the same results.
#include "render3d/face_setup.h"

#include "core/numeric.h"
#include "render3d/clipping.h"
#include "render3d/point_light.h"
#include "render3d/vertex_cache.h"

namespace {

// The face set-up both fills share, after the cache's view test: a face outside is
// dropped; otherwise its triangle is made, its corners' attributes written by
// cornerAttributes(k, polygon), and, when it crosses the frustum, it is clipped and its
// vertices projected into points (a face inside has its points from the cache already).
// Returns the vertex count, 0 when nothing is left.
template <typename Polygon, typename CornerAttributes>
int setUpFace(FaceInView inView, const MeshFace& face, const Camera& camera, Polygon& polygon,
              ScreenPoint* points, CornerAttributes cornerAttributes) {
    if (inView == FaceInView::Outside) return 0;
    polygon.count = 3;
    for (int k = 0; k < 3; ++k) {
        polygon.positions[k] = cornerPosition(face, k);
        cornerAttributes(k, polygon);
    }
    if (inView == FaceInView::Crossing) {
        Polygon scratch;
        if (!clipToFrustum(camera, polygon, scratch)) return 0;
        for (uint32_t k = 0; k < polygon.count; ++k) {
            camera.project(polygon.positions[k], points[k].x, points[k].y);
        }
    }
    return static_cast<int>(polygon.count);
}

}  // namespace

int fast::clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light,
                      float scale, float maxShade, VertexCache& cache, ScreenPoint* points,
                      uint8_t* shades) {
    float cornerShades[3];
    const FaceInView inView =
        cache.viewAndShade(face, camera, points, light, scale, maxShade, cornerShades, shades);
    // A face inside the view is drawn as the cache has it: its corners' screen points and
    // shade bytes are in points and shades already.
    if (inView == FaceInView::Inside) return 3;
    ClipPolygonShade polygon;
    const int count = setUpFace(inView, face, camera, polygon, points,
                                [&](int k, ClipPolygonShade& p) { p.shades[k] = cornerShades[k]; });
    for (int k = 0; k < count; ++k) shades[k] = shadeByte(polygon.shades[k]);
    return count;
}

int fast::clipEnvironmentFace(const MeshFace& face, const Camera& camera, VertexCache& cache,
                              ScreenPoint* points, int* u, int* v) {
    auto mapCorner = [&](int k, ClipPolygonUV& p) {
        const Vector3& n = face.owner->viewNormals[cornerVertex(face, k)];
        p.uv[k][0] = environmentCoordinate(n.x);
        p.uv[k][1] = environmentCoordinate(n.y);
    };
    ClipPolygonUV polygon;
    const int count =
        setUpFace(cache.view(face, camera, points), face, camera, polygon, points, mapCorner);
    for (int k = 0; k < count; ++k) {
        u[k] = truncToInt(polygon.uv[k][0]);
        v[k] = truncToInt(polygon.uv[k][1]);
    }
    return count;
}
