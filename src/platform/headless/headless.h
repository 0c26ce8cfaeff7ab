// Control of the headless backend: a simulated clock, injected messages and the captured
// frame. Tests and tools link this backend instead of the SDL one.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace headless {

void setTicks(uint32_t milliseconds);
void advanceTicks(uint32_t milliseconds);
void pushMessage(platform::MessageType type, int key = 0);
// The platform's player asking for a show time.
void pushSeek(double seconds);
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

// The latest position the demo gave the platform's player.
platform::PlayerPosition playerPosition();

// A sound device that plays the music by the simulated clock: the demo's audio calls
// succeed, and each is noted ("play 98.5", "pause") in the order made. Off by default,
// as the tools want it.
void setAudioAvailable(bool available, double musicSeconds = 184.0);
const char* audioCalls();
void clearAudioCalls();

}  // namespace headless
