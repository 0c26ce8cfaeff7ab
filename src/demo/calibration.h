// The calibration screen (--calibrate): a click once a second and, with it, a small white
// square in the middle of a black picture, the picture kept with the click as heard as
// the show is with the music. Left and Right move the picture 5 ms earlier or later
// until the two meet; on the way out the offset found is printed for --audio-offset.
#pragma once

#include "show/demo_run.h"

// The whole program in calibration: exit code 0, or 1 when the display cannot open. The
// loop is the platform's (a browser's goes on after this has returned).
int runCalibration(const DemoOptions& options);
// The offset set so far, in milliseconds (a page keeps it for the next show).
double calibrationOffsetMs();

// The calibration's picture at a moment: black, the square shown for the first tenth of
// each second. Small (under 1% of the frame), so it flashes nowhere near the light a
// flash warning is about.
void drawCalibrationFrame(double seconds, uint8_t* frame);
