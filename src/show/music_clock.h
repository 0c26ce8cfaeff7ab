// The show kept with the music as heard: while the music plays, the demo's clock is
// nudged so that the show time on screen is the music's second the listener hears (the
// backend's report, plus the viewer's own offset), smoothly and never backwards; without
// music, or past its end, the clock runs as it is.
#pragma once

#include "show/demo_run.h"

// Every pass, before its frame is drawn.
void followTheMusic(DemoRun& run);

// How a correction is made, for a pass `elapsed` seconds after the last, when the show is
// `ahead` seconds ahead of the music (behind when negative): the seconds to move the
// clock by. Far off (after a start, a pause or a seek) the clock catches up at half speed
// either way; near, it eases in over half a second at no more than 5% of its speed, so
// that a frame's step at 60 frames a second never changes by as much as a millisecond.
double clockCorrection(double ahead, double elapsed);
