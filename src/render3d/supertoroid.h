// The supertoroid: a torus whose main circle and tube cross-section are superellipses,
// built once as a closed grid of rings and reshaped in place from its four shape numbers.
#pragma once

#include <cstdint>

#include "assets/mesh.h"

// sign(a) * |a|^e, and exactly 0 for |a| < 0.00001. Exponent 0 pushes every other value
// to +-1 (square corners), 1 keeps it, 2 makes diamonds and larger ones stars.
float signedPower(float a, float e);

struct SupertoroidMesh {
    Mesh mesh;
    uint32_t tubeSegments = 0;  // vertices around the tube (angle phi)
    uint32_t ringCount = 0;     // rings around the main circle (angle theta)
    float majorRadius = 0;      // R: the tube's centre line from the axis
    float minorRadius = 0;      // r: the tube's radius; negative turns it inside out
    float ringExponent = 0;     // e1: shape of the main circle
    float tubeExponent = 0;     // e2: shape of the tube's cross-section

    // Sizes the mesh for ringCount x tubeSegments vertices and twice as many faces and
    // builds the faces: vertex k * tubeSegments + l lies on ring k at tube position l, and
    // the quad from ring g, position j is split into (d, b, a) and (a, c, d), with
    // a = (g, j), b = (g, j + 1), c = (g + 1, j), d = (g + 1, j + 1), both directions
    // wrapping round. Seen from outside, the faces wind counter-clockwise.
    void build(uint32_t tubeSegments, uint32_t ringCount);

    // Every vertex from the current shape numbers, written to positions: the model of
    // this moment's shape, whose vertex normals the caller works out again.
    void reshape();
};
