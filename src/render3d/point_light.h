// Per-vertex point lighting for the gouraud fills, and the conversion of a shade to the
// byte the rasterizers take.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/numeric.h"
#include "core/vector_math.h"

// scale * max(0, normal . unit(light - position)), all in one space. A light behind the
// surface, or a degenerate direction whose dot product is NaN, gives 0.
// Inline, as shadeByte: every lit vertex of a frame takes one.
inline float pointLightShade(const Vector3& normal, const Vector3& light,
                             const Vector3& position, float scale) {
    const double d = dot(normal, normalized(light - position));
    // Written so that NaN fails the test and falls to 0 with the negative values.
    return d > 0 ? static_cast<float>(scale * d) : 0.0f;
}

// A shade truncated toward zero and kept within 0..255.
inline uint8_t shadeByte(float shade) {
    return static_cast<uint8_t>(std::clamp(truncToInt(shade), 0, 255));
}
