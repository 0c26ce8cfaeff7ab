// Clipping against camera-space planes: segments, and polygons one Sutherland-Hodgman
// pass per plane; and the outcode test that foretells what the passes make of a triangle.
#include "render3d/clipping.h"

#include <utility>


bool clipSegment(const Plane& plane, Vector3& a, Vector3& b) {
    const double da = plane.distance(a);
    const double db = plane.distance(b);
    const bool keepA = strictlyInside(da);
    const bool keepB = strictlyInside(db);
    if (!keepA && !keepB) return false;  // one crossing point at most: no segment
    // An end on the plane is its own crossing point and stays where it is.
    if (!keepA && da != 0) {
        a = a + (b - a) * static_cast<float>(da / (da - db));
    } else if (!keepB && db != 0) {
        b = b + (a - b) * static_cast<float>(db / (db - da));
    }
    return true;
}

bool clipProjectSegment(const Camera& camera, Vector3 a, Vector3 b, int& x0, int& y0, int& x1,
                        int& y1) {
    for (const Plane& plane : camera.planes) {
        if (!clipSegment(plane, a, b)) return false;
    }
    camera.project(a, x0, y0);
    camera.project(b, x1, y1);
    return x0 != x1 || y0 != y1;
}

namespace {

// How the shared clipping code reaches the per-vertex attributes of each record kind.
constexpr int attributeCount(const ClipPolygonShade*) { return 1; }
constexpr int attributeCount(const ClipPolygonUV*) { return 2; }
float* attributesOf(ClipPolygonShade& poly, uint32_t i) { return &poly.shades[i]; }
float* attributesOf(ClipPolygonUV& poly, uint32_t i) { return poly.uv[i]; }
const float* attributesOf(const ClipPolygonShade& poly, uint32_t i) { return &poly.shades[i]; }
const float* attributesOf(const ClipPolygonUV& poly, uint32_t i) { return poly.uv[i]; }

// Appends vertex i of in, moved the fraction f of the way toward vertex j.
template <typename Polygon>
void appendBlend(const Polygon& in, uint32_t i, uint32_t j, float f, Polygon& out) {
    const uint32_t k = out.count++;
    const Vector3& a = in.positions[i];
    out.positions[k] = a + (in.positions[j] - a) * f;
    const float* ai = attributesOf(in, i);
    const float* aj = attributesOf(in, j);
    float* ak = attributesOf(out, k);
    for (int n = 0; n < attributeCount(&in); ++n) ak[n] = ai[n] + (aj[n] - ai[n]) * f;
}

template <typename Polygon>
void appendCopy(const Polygon& in, uint32_t i, Polygon& out) {
    const uint32_t k = out.count++;
    out.positions[k] = in.positions[i];
    const float* ai = attributesOf(in, i);
    float* ak = attributesOf(out, k);
    for (int n = 0; n < attributeCount(&in); ++n) ak[n] = ai[n];
}

// The cut itself, given every input vertex's distance from the plane.
template <typename Polygon>
bool cutByDistances(const double* distances, const Polygon& in, Polygon& out) {
    out.count = 0;
    for (uint32_t i = 0; i < in.count; ++i) {
        const uint32_t j = (i + 1) % in.count;
        const double di = distances[i];
        const double dj = distances[j];
        const bool keep = strictlyInside(di);
        const bool cross = crossesPlane(di, dj);
        // Each input vertex adds at most two; a polygon that would not fit is dropped
        // whole rather than cut short.
        if (out.count + keep + cross > kClipPolygonCapacity) {
            out.count = 0;
            return false;
        }
        if (keep) appendCopy(in, i, out);
        if (cross) appendBlend(in, i, j, static_cast<float>(di / (di - dj)), out);
    }
    return out.count >= 3;
}

template <typename Polygon>
bool clipPolygonToPlane(const Plane& plane, const Polygon& in, Polygon& out) {
    out.count = 0;
    if (in.count == 0 || in.count > kClipPolygonCapacity) return false;
    double distances[kClipPolygonCapacity];
    for (uint32_t i = 0; i < in.count; ++i) distances[i] = plane.distance(in.positions[i]);
    return cutByDistances(distances, in, out);
}

}  // namespace

bool clipToPlane(const Plane& plane, const ClipPolygonShade& in, ClipPolygonShade& out) {
    return clipPolygonToPlane(plane, in, out);
}

bool clipToPlane(const Plane& plane, const ClipPolygonUV& in, ClipPolygonUV& out) {
    return clipPolygonToPlane(plane, in, out);
}

// The six passes, plane 0 from poly into scratch, plane 1 back into poly, and so on.
template <typename Polygon>
bool clipBySixPasses(const Camera& camera, Polygon& poly, Polygon& scratch) {
    for (int p = 0; p < 6; p += 2) {
        if (!clipToPlane(camera.planes[p], poly, scratch)) return false;
        if (!clipToPlane(camera.planes[p + 1], scratch, poly)) return false;
    }
    return true;
}

bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch) {
    return clipBySixPasses(camera, poly, scratch);
}

bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch) {
    return clipBySixPasses(camera, poly, scratch);
}

// The passes before the first plane some corner is not strictly inside keep the face as
// it is (each copies every vertex, all strictly inside), so that pass sees the very
// corners tested here.
// When all three are outside it (the outcodes' trivial reject, taken at that plane only:
// later planes see clipped vertices), the pass keeps none and finds at most two
// crossings: fewer than three vertices, the face is dropped.
FaceInView triangleInView(uint8_t outcode0, uint8_t outcode1, uint8_t outcode2) {
    const unsigned outsideSome = outcode0 | outcode1 | outcode2;
    if (outsideSome == 0) return FaceInView::Inside;
    const unsigned firstPlane = outsideSome & (0u - outsideSome);
    const unsigned outsideAll = outcode0 & outcode1 & outcode2;
    return (outsideAll & firstPlane) != 0 ? FaceInView::Outside : FaceInView::Crossing;
}
