// The scenes' one interface: a row of the timeline (a scene's name, its operations and how
// long it stays on screen), each defined beside its scene's code, and the table of the
// nine rows in show order.
#pragma once

#include <cfloat>

#include "core/state_record.h"

struct SceneEntry {
    void (*load)();            // loads data files and builds tables, once at start-up
    void (*unload)();          // frees what load made, once at exit
    void (*start)();           // resets the scene each time it becomes current
    void (*render)(float t);   // draws and presents one frame, t = seconds since start
    float duration;            // seconds before the timeline moves on
    // For seeking: what one frame hands to the next (start resets some of it, not all),
    // kept into a record and put back from it. None for a scene whose frames each stand
    // alone once start has run.
    void (*keepState)(StateRecord& record) = nullptr;
    void (*restoreState)(StateRecord& record) = nullptr;
    const char* name = "";     // as the show calls it: "Ring flight"
};

constexpr int kSceneCount = 9;

// The rows, each in its scene's file. They are constants, set before any code runs.
extern const SceneEntry ringFlightScene;       // scene 1
extern const SceneEntry deformingSphereScene;  // scene 2
extern const SceneEntry knotOverPondScene;     // scene 3
extern const SceneEntry swirlScene;            // scene 4
extern const SceneEntry creditsScene;          // scene 5
extern const SceneEntry revealScene;           // scene 6
extern const SceneEntry metaballsScene;        // scene 7
extern const SceneEntry supertoroidScene;      // scene 8
extern const SceneEntry attractorTrailsScene;  // scene 9

// The rows in show order: scene 1 first, scene 9 last. A copy of the rows above made while
// the program starts, so no code that runs before main may read it.
extern const SceneEntry SceneTable[];

// The rows' durations, in seconds; the last scene plays until the user moves on. Each row
// takes its own from here, so that what is timed to the show (the soundtrack's score)
// reads the same numbers without linking the scenes.
inline constexpr float kSceneDurations[kSceneCount] = {30, 20, 17, 20, 8, 5, 20, 25, FLT_MAX};

// The show's length: its soundtrack is written to end here, 39 s into the last scene
// (which plays on while the viewer stays). The show keeps this length whatever becomes of
// the music: no sound device, or a music file that cannot be decoded or ends early.
inline constexpr double kShowSeconds = 184.0;

// The row that plays scene 1..9 of the show, or -1 when the table has no such row.
int rowOfScene(int sceneNumber);

// The scene's name as the show calls it ("Ring flight"); "" for a number outside the show.
const char* sceneName(int sceneNumber);

// The scene on screen at a time of a show that plays from the first row by the clock.
int sceneAtShowTime(double showSeconds);

// Where a row begins in a show that plays from the first row by the clock: the sum of the
// earlier rows' durations, in seconds (0 for a row outside the table).
constexpr double showTimeOfRow(int row) {
    double seconds = 0.0;
    for (int i = 0; i < row && i < kSceneCount; ++i) seconds += kSceneDurations[i];
    return seconds;
}
