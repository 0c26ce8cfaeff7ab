// Scene 5: credits over a warping picture, then a block dissolve of the frozen frame.
#pragma once

#include "core/state_record.h"

namespace scene5 {

void load();
void unload();
void start();
void render(float t);

// What one frame hands to the next, kept for a seek and put back from it.
void keepState(StateRecord& record);
void restoreState(StateRecord& record);

// The timing rules of render, exposed for the tests.
// Blur radii of the credits while the warp settles (0..50, 0 from 5 s on).
int horizontalBlurRadius(float t);
int verticalBlurRadius(float t);
// The dissolve's reach R after 5.5 s: 264 at the start, 0 two seconds later.
int dissolveReach(float t);
// How far a block of the transition map has shrunk toward its centre for the reach R:
// 0 is whole, 8 is gone.
int blockInset(int reach, int mapValue);

}  // namespace scene5
