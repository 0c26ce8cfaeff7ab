// The window's messages: quit on Escape or close, next scene on Space, screenshot on S,
// and the player's keys and requests for the main loop.
#pragma once

#include "platform/platform.h"

// Handles one message of the demo's window (keys act on release).
void windowProc(const platform::Message& message);

// A request for the player, from one of its keys (P, the arrows, ...) or from the
// platform's own player; the main loop answers it at the pass that took it.
struct PlayerRequest {
    enum class Kind { None, Key, SeekTo, Resync } kind = Kind::None;
    int key = 0;           // Key: its virtual-key code
    double seconds = 0.0;  // SeekTo: the show time
};
extern PlayerRequest playerRequest;

// Asks the main loop to end at its next message step.
void postQuitMessage();

// Takes at most one message without waiting and dispatches it to windowProc. Returns
// false when the quit message was taken: the main loop then ends.
bool pumpOneMessage();

// Writes the frame last presented (the picture on screen, whichever frame a scene drew it
// in) with the current palette as "screenshot%3.3d.bmp", under the first number from
// screenshotCounter on that no file has. False when it cannot be written: standard error
// then says why, and nothing is left behind.
bool writeScreenshot();

// The number the next screenshot tries first; restarts at 0 with each run.
extern int screenshotCounter;
// Set by the window procedure when a screenshot could not be written; the main loop
// clears it (and says so in a window's title).
extern bool screenshotFailed;
