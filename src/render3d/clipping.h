// All clipping against camera-space planes: segments (wireframes) and polygons carrying a
// shade or a texture coordinate pair per vertex (one Sutherland-Hodgman pass per plane),
// and the outcodes that tell a triangle's fate before any pass runs.
#pragma once

#include <cstdint>

#include "core/vector_math.h"
#include "render3d/camera.h"

// The one rule for points against a plane, shared by every clip here: a point is kept
// when it lies strictly inside, at a distance above 0 (NaN is not). A point exactly on
// the plane is not kept for itself; it comes back as the crossing point of each of its
// edges that leaves the plane (a polygon may so hold it twice), and a segment lying on the
// plane is dropped.
inline bool strictlyInside(double distance) { return distance > 0; }
// Whether the edge between points at these distances crosses the plane (the signs differ).
inline bool crossesPlane(double from, double to) {
    return ((from > 0) - (from < 0)) != ((to > 0) - (to < 0));
}

// Cuts the segment a-b to the inside of the plane: a cut end moves to the crossing point.
// False when fewer than two points remain (a and b untouched).
bool clipSegment(const Plane& plane, Vector3& a, Vector3& b);
// Clips the segment to the camera's six planes and projects its ends. False when nothing
// is left (outputs untouched) or when both ends land on the same pixel (outputs written).
bool clipProjectSegment(const Camera& camera, Vector3 a, Vector3 b, int& x0, int& y0, int& x1,
                        int& y1);

// Room for a triangle cut by six planes, with plenty to spare.
constexpr int kClipPolygonCapacity = 20;

// A polygon with one shade per vertex (gouraud fills).
struct ClipPolygonShade {
    Vector3 positions[kClipPolygonCapacity];  // camera space
    float shades[kClipPolygonCapacity];
    uint32_t count;
};

// A polygon with a texture coordinate pair per vertex (textured fills).
struct ClipPolygonUV {
    Vector3 positions[kClipPolygonCapacity];  // camera space
    float uv[kClipPolygonCapacity][2];
    uint32_t count;
};

// One clip pass, Sutherland-Hodgman: out receives the part of in on the positive side of
// the plane, with attributes interpolated along the cut edges. True when at least 3
// vertices remain. Inputs above capacity, or cuts that would overflow out, are rejected
// (false).
bool clipToPlane(const Plane& plane, const ClipPolygonShade& in, ClipPolygonShade& out);
bool clipToPlane(const Plane& plane, const ClipPolygonUV& in, ClipPolygonUV& out);

// Clips poly against the camera's six planes in order, ping-ponging through scratch.
// True with the result in poly; false as soon as a pass leaves fewer than 3 vertices.
bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch);
bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch);

// A point's outcode, as Cohen and Sutherland named it: bit p set when the point is not
// strictly inside the camera's plane p. Inline, written out plane by plane: every vertex
// in view is tested once a frame, and a loop would cost a guessed branch per plane.
inline uint8_t frustumOutcode(const Camera& camera, const Vector3& point) {
    auto outside = [&](int p) {
        return static_cast<unsigned>(!strictlyInside(camera.planes[p].distance(point))) << p;
    };
    return static_cast<uint8_t>(outside(0) | outside(1) | outside(2) | outside(3) |
                                outside(4) | outside(5));
}

// Where a triangle stands against the camera's frustum, as clipToFrustum would find.
enum class FaceInView {
    Inside,    // every corner strictly inside every plane: no pass would touch the face
    Outside,   // clipToFrustum would drop the face
    Crossing,  // anything else: the face must be clipped
};
// The triangle's standing from its corners' outcodes alone.
FaceInView triangleInView(uint8_t outcode0, uint8_t outcode1, uint8_t outcode2);
