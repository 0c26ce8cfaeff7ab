// Scene 7: ten metaballs, smooth-shaded and then environment-mapped, under a pulsing blur.
#pragma once

#include "core/state_record.h"

namespace scene7 {
void load();
void unload();
void start();
void render(float t);

// What one frame hands to the next, kept for a seek and put back from it.
void keepState(StateRecord& record);
void restoreState(StateRecord& record);

// The scene's time rules, which render follows and the tests check.

// An animation time that runs only in its own windows: each frame of its kind adds the
// time since the previous frame of its kind with the whole seconds of the pause dropped.
// A step back in time (the first frame of a later visit) is added as it is.
struct WindowClock {
    float time = 0.0f;
    float lastFrame = 0.0f;
};
void advanceClock(WindowClock& clock, float t);

// Balls move in the even two-second windows ([0, 2), [4, 6), ...), the camera in the odd.
bool ballsMoveAt(float t);
// Smooth shading until 9.5 s, the environment map from then on.
bool environmentMappedAt(float t);

struct BlurRadii {
    int horizontal;
    int vertical;
};
// Pulsing between 0 and 12 across and 0 and 8 down, growing by 7 a second from 17.5 s.
BlurRadii blurRadiiAt(float t);
}  // namespace scene7
