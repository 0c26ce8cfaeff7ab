// The show played by a simulated clock at a fixed frame rate: pass n runs at show time
// n / fps however long it takes to render, so every frame is drawn at an exact moment.
// The frame tool, the video capture, the browser's fixed frames and the tests drive it.
#pragma once

#include "show/demo.h"

class SimulatedShow {
public:
    explicit SimulatedShow(double fps) : fps_(fps) {}

    // The demo's start-up, then the show's time 0. False when the display could not be
    // opened (the error box has been shown).
    bool start(const DemoOptions& options = DemoOptions{});

    // Runs the next pass; the clock first moves to that frame's time.
    void step();

    // Runs passes until the last one was at or after the given show time.
    void runUntil(double showSeconds);

    // Runs passes until the given row is current and its scene time has reached the given
    // seconds: the first pass of that row at or after them. False when the row ends
    // before then (the show has moved on by one pass), and at once for a row outside the
    // table or one the show has already left.
    bool runUntilSceneTime(int row, double sceneSeconds);

    // The same, one pass at a time, for drivers that cannot wait (a browser page): Missed
    // at once, without a pass, for a row outside the table or one the show has left.
    enum class Progress { Running, Reached, Missed };
    Progress stepTowardsSceneTime(int row, double sceneSeconds);

    // The show time of the last pass (-1/fps before the first), and the passes run.
    double lastFrameSeconds() const { return (frame_ - 1) / fps_; }
    long framesRun() const { return frame_; }
    double fps() const { return fps_; }

    // The run the passes play, for a driver that goes on with passes of its own.
    DemoRun& run() { return run_; }

    // The demo's exit sequence; the clock is real again.
    int finish();

private:
    double fps_;
    DemoRun run_;
    long frame_ = 0;
};
