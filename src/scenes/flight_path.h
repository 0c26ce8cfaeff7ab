// The ring flight's path and its row of rings: where the camera flies, how wide it looks,
// and how a ring the eye has passed moves ahead along the path.
#pragma once

#include "core/vector_math.h"

constexpr float kRingSpacing = 1.4f;  // z distance between neighbouring rings

// The path's point for every z = s, winding within about +-4.1 in x and +-3 in y.
Vector3 flightPathPoint(float s);

// The ring camera's horizontal field of view in degrees at scene time t: 75 until 20 s,
// then widening.
float ringFieldOfView(float t);

// The row's first places: ring j on the path at z = 1.4 j.
void placeRingsOnPath(Vector3* centres, int ringCount);

// A ring whose centre the eye (at eyeZ) has passed goes to the far end of the row of
// ringCount rings, on the path; a ring level with the eye stays.
void recycleRing(Vector3& centre, float eyeZ, int ringCount);
