// Polygon clipping against camera-space planes, one Sutherland-Hodgman pass per plane.
#include "render3d/clipping.h"

#include <utility>

#include "core/plain.h"

namespace {

// How the shared clipping code reaches the per-vertex attributes of each record kind.
constexpr int attributeCount(const ClipPolygonShade*) { return 1; }
constexpr int attributeCount(const ClipPolygonUV*) { return 2; }
float* attributesOf(ClipPolygonShade& poly, uint32_t i) { return &poly.shades[i]; }
float* attributesOf(ClipPolygonUV& poly, uint32_t i) { return poly.uv[i]; }
const float* attributesOf(const ClipPolygonShade& poly, uint32_t i) { return &poly.shades[i]; }
const float* attributesOf(const ClipPolygonUV& poly, uint32_t i) { return poly.uv[i]; }

int signOf(double value) { return (value > 0) - (value < 0); }

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
        const bool cross = signOf(di) != signOf(dj);
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

// The six passes, plane 0 to plane 5. A pass that finds every vertex strictly inside its
// plane would copy the polygon unchanged, vertex for vertex, so it is skipped and the
// polygon stays where it is; only passes that really cut move it to the other record.
// Faces wholly inside the view are thus accepted at the cost of their distances alone.
template <typename Polygon>
bool clipPolygonToFrustum(const Camera& camera, Polygon& poly, Polygon& scratch) {
    Polygon* current = &poly;
    Polygon* other = &scratch;
    for (const Plane& plane : camera.planes) {
        const uint32_t count = current->count;
        if (count == 0 || count > kClipPolygonCapacity) return false;
        double distances[kClipPolygonCapacity];
        bool allInside = true;
        for (uint32_t i = 0; i < count; ++i) {
            distances[i] = plane.distance(current->positions[i]);
            allInside = allInside && strictlyInside(distances[i]);
        }
        if (allInside && count >= 3) continue;
        if (!cutByDistances(distances, *current, *other)) return false;
        std::swap(current, other);
    }
    if (current != &poly) poly = *current;
    return true;
}

// The six passes one after another: plane 0 from poly into scratch, plane 1 back, and so
// on, each pass copying what it keeps.
template <typename Polygon>
bool clipPolygonBySixPasses(const Camera& camera, Polygon& poly, Polygon& scratch) {
    for (int p = 0; p < 6; p += 2) {
        if (!clipPolygonToPlane(camera.planes[p], poly, scratch)) return false;
        if (!clipPolygonToPlane(camera.planes[p + 1], scratch, poly)) return false;
    }
    return true;
}

}  // namespace

bool clipToPlane(const Plane& plane, const ClipPolygonShade& in, ClipPolygonShade& out) {
    return clipPolygonToPlane(plane, in, out);
}

bool clipToPlane(const Plane& plane, const ClipPolygonUV& in, ClipPolygonUV& out) {
    return clipPolygonToPlane(plane, in, out);
}

bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch) {
    if constexpr (kPlainBuild) return plain::clipToFrustum(camera, poly, scratch);
    return clipPolygonToFrustum(camera, poly, scratch);
}

bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch) {
    if constexpr (kPlainBuild) return plain::clipToFrustum(camera, poly, scratch);
    return clipPolygonToFrustum(camera, poly, scratch);
}

namespace plain {

bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch) {
    return clipPolygonBySixPasses(camera, poly, scratch);
}

bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch) {
    return clipPolygonBySixPasses(camera, poly, scratch);
}

}  // namespace plain
