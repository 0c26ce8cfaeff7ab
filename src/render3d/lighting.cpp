// Point lighting of one vertex.
#include "render3d/lighting.h"

#include <algorithm>

#include "frame/numeric.h"

float pointLightShade(const Vector3& normal, const Vector3& light, const Vector3& position,
                      float scale) {
    const double d = dot(normal, normalized(light - position));
    // Written so that NaN fails the test and falls to 0 with the negative values.
    return d > 0 ? static_cast<float>(scale * d) : 0.0f;
}

uint8_t shadeByte(float shade) { return static_cast<uint8_t>(std::clamp(truncToInt(shade), 0, 255)); }
