// What a run of the demo is set up with and keeps: the options, the loop's counts, the
// title and the player's state.
#pragma once

#include <cstdint>
#include <string>

#include "show/checkpoint_pacing.h"

// The show's music, in the data set.
constexpr const char* kMusicName = "demotuin.ogg";

// The title the window opens with and comes back to.
constexpr const char* kWindowTitle = "--== Dorminax ==--";

// How a run is set up: by the command line, or by a tool that drives the show.
struct DemoOptions {
    enum class Mode { Ask, Window, FullScreen };
    Mode mode = Mode::Ask;  // Ask: the "Window Mode?" question decides
    int windowScale = 1;    // a window's client area is this many times 320x240
    int firstScene = 1;     // the scene the show starts with, 1..9
    std::string dataFolder; // where the data set is; empty: the working directory
    double startSeconds = -1.0;  // the show starts at this show time; negative: at its start
    bool startPaused = false;    // the show starts held on its first frame
    bool gentle = false;         // the flash limiter softens every presented picture
    std::string timingLog;       // where the timing log goes; empty: none
    bool calibrate = false;      // the calibration screen instead of the show
    bool vsync = false;          // a window paced by the display too
    double audioOffsetMs = 0.0;  // the sound is heard this much later than reported
    double layCheckpointsSeconds = -1.0;  // >= 0: the checkpoint helper (internal), this span
    bool checkpointHelper = false;  // the seek's checkpoints laid by a helper process started
                                    // as the scenes load (runDemo's; not the tools')
};

// The player's side of a run: whether the picture is held, and the title's time line.
struct PlayerState {
    double startSeconds = -1.0;      // as the options asked
    bool startPaused = false;
    bool paused = false;
    double heldShowSeconds = 0.0;    // paused: the show time of the frame held
    float heldSceneSeconds = 0.0f;   // paused: its scene time
    float lastSceneSeconds = 0.0f;   // the scene time of the latest frame drawn
    long shownPass = -1;             // the frame tool's pass on screen, as a seek drew it;
                                     // -1 once the show has drawn a frame by the clock
    double musicSeconds = 0.0;       // the music's length; 0 while unknown or without music
    float timeLineEndTime = 0.0f;    // clock seconds when the time line after a seek ends
    float pausedSince = 0.0f;        // clock seconds when the pause began
    double pausedSeconds = 0.0;      // time spent paused, left out of the frame rate
    double lastRate = 0.0;           // the statistics' latest frame rate
    long seeks = 0;                  // seeks made so far
};

// What the entry point keeps for the length of a run.
struct DemoRun {
    bool windowed = false;
    bool paced = false;                // the display paces the frames (full screen, --vsync,
                                       // a browser)
    CheckpointPacing pacing;           // the passes' timing, for the checkpoints' share
    uint32_t stream = 0;               // the music stream; 0 = none
    double musicStart = 0.0;           // where in the music the show starts, seconds
    double audioOffsetSeconds = 0.0;   // the sound heard this much later than reported
    uint32_t frames = 0;               // render calls since the loop began
    uint32_t framesAtWindowStart = 0;  // frames at the start of the statistics window
    float windowStartTime = 0.0f;      // clock seconds at that start
    float loopStartTime = 0.0f;        // clock seconds when the loop began (for the fps line)
    bool titleChanged = false;         // the statistics text is in the window title
    float flashEndTime = 0.0f;         // when a notice ("screenshot failed", "Gentle show on")
                                       // leaves the title; 0: none shown
    std::string title;                 // the window title as last set
    PlayerState player;
};
