// Frustum clipping of polygons carrying a shade or a texture coordinate pair per vertex,
// one Sutherland-Hodgman pass per plane.
#pragma once

#include <cstdint>

#include "core/vector_math.h"
#include "render3d/camera.h"

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

// The one plane test of the polygon clip, and of the view test that predicts it: a pass
// keeps a vertex strictly inside its plane, at a distance above 0 (NaN is not). A vertex
// exactly on the plane is not kept; it comes back as the crossing point of each of its
// edges that leaves the plane, so it may appear twice.
inline bool strictlyInside(double distance) { return distance > 0; }

// One clip pass, Sutherland-Hodgman: out receives the part of in on the positive side of
// the plane, with attributes interpolated along the cut edges. True when at least 3
// vertices remain. Inputs above capacity, or cuts that would overflow out, are rejected
// (false).
bool clipToPlane(const Plane& plane, const ClipPolygonShade& in, ClipPolygonShade& out);
bool clipToPlane(const Plane& plane, const ClipPolygonUV& in, ClipPolygonUV& out);

// Clips poly against the camera's six planes in order, ping-ponging through scratch.
// True with the result in poly; false as soon as a pass leaves fewer than 3 vertices.
// Passes that would keep every vertex are skipped, with the very result of the six.
bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch);
bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch);

namespace plain {
// The six passes themselves, plane 0 from poly into scratch, plane 1 back into poly, and
// so on (clipping.cpp).
bool clipToFrustum(const Camera& camera, ClipPolygonShade& poly, ClipPolygonShade& scratch);
bool clipToFrustum(const Camera& camera, ClipPolygonUV& poly, ClipPolygonUV& scratch);
}  // namespace plain
