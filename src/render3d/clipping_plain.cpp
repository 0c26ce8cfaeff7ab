// The reference frustum clip: all six passes, each copying what it keeps.
#include "render3d/clipping.h"

namespace plain {
namespace {

template <typename Polygon>
bool clipBySixPasses(const Camera& camera, Polygon& poly, Polygon& scratch) {
    for (int p = 0; p < 6; p += 2) {
        if (!clipToPlane(camera.planes[p], poly, scratch)) return false;
        if (!clipToPlane(camera.planes[p + 1], scratch, poly)) return false;
    }
    return true;
}

}  // namespace

bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch) {
    return clipBySixPasses(camera, poly, scratch);
}

bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch) {
    return clipBySixPasses(camera, poly, scratch);
}

}  // namespace plain
