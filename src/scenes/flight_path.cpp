// The ring flight's path and its row of rings.
#include "scenes/flight_path.h"

#include <algorithm>
#include <cmath>

namespace {

float pathX(float s) { return 2 * std::tan(std::cos(0.16f * s + 44)) + std::sin(0.2f * s + 2); }
float pathY(float s) { return 1.4f * std::sin(0.14f * s + 234) + 1.6f * std::sin(-0.22f * s); }

}  // namespace

Vector3 flightPathPoint(float s) { return Vector3(pathX(s), pathY(s), s); }

float ringFieldOfView(float t) {
    const float c = (t - 10) * 0.1f;
    float widening = std::log(std::min(c, 2.718282f));
    // At or below c = 1 the logarithm is negative, minus infinity or NaN: no widening.
    if (!(widening >= 0)) widening = 0;
    return 75 + 100 * widening;
}

void placeRingsOnPath(Vector3* centres, int ringCount) {
    // The spacing taken in double, as the row has always been laid out.
    for (int j = 0; j < ringCount; ++j) centres[j] = flightPathPoint(static_cast<float>(j * 1.4));
}

void recycleRing(Vector3& centre, float eyeZ, int ringCount) {
    if (!(centre.z < eyeZ)) return;
    centre.z += ringCount * kRingSpacing;
    centre.x = pathX(centre.z);
    centre.y = pathY(centre.z);
}
