// The rules the scenes follow in time and on the screen, apart from their drawing: what
// scenes 4, 5, 7, 8 and 9 show at a scene time t, and where scene 4 puts a dot. Pure
// functions and two small counters, which render calls and the tests check without a
// display.
#pragma once

#include "core/vector_math.h"

// Scene 4, the swirl.
namespace scene4 {

constexpr int kLargestDot = 9;  // dot sprites are 1..9, 2 size pixels square

// Where a view-space vertex is drawn as a dot: sprite `size` with its top-left corner at
// (left, top). False when the vertex gets no dot.
struct DotPlacement {
    int size, left, top;
};
bool placeDot(const Vector3& view, DotPlacement& dot);
// How many of the sphere's vertices are drawn at time t (all from about 6.3 s on).
int visibleVertexCount(int vertexCount, float t);
// The opening wipe: which rows of the finished frame show at time t (t < 2).
bool wipeShowsRow(int row, float t);

}  // namespace scene4

// Scene 5, the credits.
namespace scene5 {

constexpr float kFreezeTime = 5.5f;  // the warp stops, the dissolve begins

// The swirl and the blur fade out together: 1 at the start, 0 from 5 s on.
float fadeFactor(float t);
// Blur radii of the credits while the warp settles (0..50, 0 from 5 s on).
int horizontalBlurRadius(float t);
int verticalBlurRadius(float t);
// The dissolve's reach R after 5.5 s: 264 at the start, 0 two seconds later.
int dissolveReach(float t);
// How far a block of the transition map has shrunk toward its centre for the reach R:
// 0 is whole, 8 is gone.
int blockInset(int reach, int mapValue);

}  // namespace scene5

// Scene 7, the metaballs.
namespace scene7 {

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

// Scene 8, the supertoroid.
namespace scene8 {

struct ShapeParameters {
    float majorRadius;   // 0.24 .. 1.76
    float minorRadius;   // 0.5 below the major radius .. equal to it
    float ringExponent;  // 0 .. 4
    float tubeExponent;  // 0 .. 4
};
// The shape at time t.
ShapeParameters shapeAt(float t);

}  // namespace scene8

// Scene 9, the attractor trails.
namespace scene9 {

// Which frames recompute the velocities: after 2 s, every second frame. The flag toggles
// on every frame with t > 2 and is never reset, so a later visit may start on either turn.
struct UpdateTurn {
    int flag = 0;
    // True when this frame recomputes the velocities.
    bool take(float t);
};

}  // namespace scene9
