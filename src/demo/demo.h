// The program: start-up, the main loop as one pass that a driver repeats, and the exit.
// The native driver loops as fast as it can; the headless tools drive the same pass with
// a simulated clock.
#pragma once

#include <cstdint>
#include <string>

// How a run is set up: by the command line, or by a tool that drives the show.
struct DemoOptions {
    enum class Mode { Ask, Window, FullScreen };
    Mode mode = Mode::Ask;  // Ask: the "Window Mode?" question decides
    int windowScale = 1;    // a window's client area is this many times 320x240
    int firstScene = 1;     // the scene the show starts with, 1..9
    std::string dataFolder; // where the data set is; empty: the working directory
    bool gentle = false;    // the flash limiter softens every presented picture
};

// What the entry point keeps for the length of a run.
struct DemoRun {
    bool windowed = false;
    uint32_t stream = 0;               // the music stream; 0 = none
    double musicStart = 0.0;           // where in the music the show starts, seconds
    uint32_t frames = 0;               // render calls since the loop began
    uint32_t framesAtWindowStart = 0;  // frames at the start of the statistics window
    float windowStartTime = 0.0f;      // clock seconds at that start
    float loopStartTime = 0.0f;        // clock seconds when the loop began (for the fps line)
    bool titleChanged = false;         // the statistics text is in the window title
    float flashEndTime = 0.0f;         // when "screenshot failed" leaves the title; 0: not shown
};

// Asks the display mode (unless the options give it), opens the display and the audio,
// and loads every scene behind the loading screen. False when the display cannot be
// opened (the box has been shown).
bool startDemo(DemoRun& run, const DemoOptions& options = DemoOptions{});

// Starts the music and the loop's counters: the show's time 0, or the first scene's place
// in the music when the show starts later.
void beginShow(DemoRun& run);

// One pass of the main loop. False when the quit message was taken.
bool runMainLoopPass(DemoRun& run);

// Unloads every scene, reports the frame rate, closes display and audio. Returns the
// process's exit code.
int finishDemo(DemoRun& run);

// The whole program: start-up, the loop until quit, the exit.
int runDemo(const DemoOptions& options = DemoOptions{});
