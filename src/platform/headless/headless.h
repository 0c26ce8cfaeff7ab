// Control of the headless backend: a simulated clock, injected messages and the captured
// frame. Tests and tools link this backend instead of the SDL one.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace headless {

void setTicks(uint32_t milliseconds);
void advanceTicks(uint32_t milliseconds);
void pushMessage(platform::MessageType type, int key = 0);
void setShiftHeld(bool held);
// The answer the start-up question gets (default: No).
void setYesNoAnswer(bool yes);

// The most recent presented frame, 320x240 pixels of 0x00RRGGBB (all 0 before the first):
// the presenter's own pixels, read in place, so valid until it presents again.
const uint32_t* lastPresentedPixels();
// How many frames have been presented since the window opened.
int presentCount();

// The last window title and the concatenated debug output.
const char* windowTitle();
const char* debugText();
void clearDebugText();

// The last error box shown (empty when none).
const char* lastErrorText();
const char* lastErrorCaption();

// Whether a window is open, and in which mode.
bool windowOpen();
bool windowFullScreen();

}  // namespace headless
