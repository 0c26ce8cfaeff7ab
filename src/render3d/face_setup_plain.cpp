// The face set-up, plain: each face's triangle built from its vertices, lit or mapped,
// clipped through the six planes of the frustum and projected, with nothing kept from one
// face to the next. face_setup.cpp gives every face the same result, working out each
// vertex once a frame and clipping only the faces that cross the frustum.
#include "render3d/face_setup.h"

#include <algorithm>

#include "core/numeric.h"
#include "render3d/clipping.h"
#include "render3d/point_light.h"

namespace plain {

namespace {

// The triangle of a face with the attributes cornerAttributes(k, polygon) writes, clipped
// and projected into points. Returns the vertex count, 0 when nothing is left.
template <typename Polygon, typename CornerAttributes>
int setUpFace(const MeshFace& face, const Camera& camera, Polygon& polygon, ScreenPoint* points,
              CornerAttributes cornerAttributes) {
    polygon.count = 3;
    for (int k = 0; k < 3; ++k) {
        polygon.positions[k] = cornerPosition(face, k);
        cornerAttributes(k, polygon);
    }
    Polygon scratch;
    if (!clipToFrustum(camera, polygon, scratch)) return 0;
    for (uint32_t k = 0; k < polygon.count; ++k) {
        camera.project(polygon.positions[k], points[k].x, points[k].y);
    }
    return static_cast<int>(polygon.count);
}

}  // namespace

int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, ScreenPoint* points, uint8_t* shades) {
    ClipPolygonShade polygon;
    const int count = setUpFace(face, camera, polygon, points, [&](int k, ClipPolygonShade& p) {
        const Vector3& normal = face.owner->viewNormals[cornerVertex(face, k)];
        p.shades[k] =
            std::min(maxShade, pointLightShade(normal, light, cornerPosition(face, k), scale));
    });
    for (int k = 0; k < count; ++k) shades[k] = shadeByte(polygon.shades[k]);
    return count;
}

int clipEnvironmentFace(const MeshFace& face, const Camera& camera, ScreenPoint* points,
                        int* u, int* v) {
    ClipPolygonUV polygon;
    const int count = setUpFace(face, camera, polygon, points, [&](int k, ClipPolygonUV& p) {
        const Vector3& n = face.owner->viewNormals[cornerVertex(face, k)];
        p.uv[k][0] = environmentCoordinate(n.x);
        p.uv[k][1] = environmentCoordinate(n.y);
    });
    for (int k = 0; k < count; ++k) {
        u[k] = truncToInt(polygon.uv[k][0]);
        v[k] = truncToInt(polygon.uv[k][1]);
    }
    return count;
}

}  // namespace plain
