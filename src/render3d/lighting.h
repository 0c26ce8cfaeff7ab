// Per-vertex point lighting for the gouraud fills, and the conversion of a shade to the
// byte the rasterizers take.
#pragma once

#include <cstdint>

#include "render3d/vector_math.h"

// scale * max(0, normal . unit(light - position)), all in one space. A light behind the
// surface, or a degenerate direction whose dot product is NaN, gives 0.
float pointLightShade(const Vector3& normal, const Vector3& light, const Vector3& position,
                      float scale);

// A shade truncated toward zero and kept within 0..255.
uint8_t shadeByte(float shade);
