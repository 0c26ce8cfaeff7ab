// Scene 1: a flight through spinning gouraud-lit torus rings, with a wireframe logo.
#pragma once

#include "core/state_record.h"
#include "core/vector_math.h"

namespace scene1 {
void load();
void unload();
void start();
void render(float t);

// What one frame hands to the next, kept for a seek and put back from it.
void keepState(StateRecord& record);
void restoreState(StateRecord& record);

// The flight path: a point for every z = s, winding within about +-4.1 in x and +-3 in y.
Vector3 pathPoint(float s);
// The ring camera's horizontal field of view in degrees at scene time t.
float ringFieldOfView(float t);
// The centre of ring j (0..11) as the ring table holds it now.
Vector3 ringCentre(int j);
}  // namespace scene1
