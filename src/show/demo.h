// The program: start-up, the main loop as one pass that a driver repeats, and the exit.
// The native driver loops as fast as it can; the headless tools drive the same pass with
// a simulated clock.
#pragma once

#include "show/demo_run.h"

// Asks the display mode (unless the options give it), opens the display and the audio,
// and loads every scene behind the loading screen. False when the timing log cannot be
// written (standard error says why) or the display cannot be opened (the box has been
// shown).
bool startDemo(DemoRun& run, const DemoOptions& options = DemoOptions{});

// Starts the music and the loop's counters: the show's time 0, or the first scene's place
// in the music when the show starts later; or, when the options name a start time or a
// held start, the frame there, with the music there unless held.
void beginShow(DemoRun& run);

// One pass of the main loop. False when the quit message was taken.
bool runMainLoopPass(DemoRun& run);

// Unloads every scene, reports the frame rate, closes display and audio. Returns the
// process's exit code.
int finishDemo(DemoRun& run);

// The whole program: start-up, the loop until quit, the exit. The seek's checkpoints come
// from a helper process started as the scenes load (checkpoint_worker.h), installed
// between passes; where none runs they are laid down between passes, a few milliseconds a
// pass, more while the show is held.
int runDemo(const DemoOptions& options = DemoOptions{});
