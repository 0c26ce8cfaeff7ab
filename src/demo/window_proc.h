// The window's messages: quit on Escape or close, next scene on Space, screenshot on S.
#pragma once

#include "platform/platform.h"

// Handles one message of the demo's window (keys act on release).
void windowProc(const platform::Message& message);

// Asks the main loop to end at its next message step.
void postQuitMessage();

// Takes at most one message without waiting and dispatches it to windowProc. Returns
// false when the quit message was taken: the main loop then ends.
bool pumpOneMessage();

// Writes the frame last presented (the picture on screen, whichever frame a scene drew it
// in) with the current palette as "screenshot%3.3d.bmp".
void writeScreenshot();

// The number of the next screenshot file; restarts at 0 with each run.
extern int screenshotCounter;
