// The benchmark of the frame tool and of the browser page: every pass of the simulated
// show timed around its render and present, gathered by scene; then the seek's
// checkpoints laid down, and the dearest seeks timed: to each pass before a checkpoint,
// which replays the most, and to each scene's first and last. One report.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "show/demo.h"

class SimulatedShow;

struct SceneFigures {
    int scene;
    size_t frames;
    double medianMs;
    double p99Ms;  // the 99th percentile: the program's slow frames, not the host's one-offs
    double worstMs;
};

struct BenchFigures {
    double fps = 0.0;
    double startUpMs = 0.0;
    double loadAverage = -1.0;  // of the machine over the last minute, -1 when unknown
    std::vector<SceneFigures> scenes;
    double checkpointMs = 0.0;         // laying every checkpoint down
    double checkpointMegabytes = 0.0;  // what they hold
    std::vector<SceneFigures> seeks;   // frames: the seeks timed
    double worstSeekMs = 0.0;
    double worstSeekSeconds = 0.0;     // the show time it went to
};

class Benchmark {
public:
    using Clock = std::chrono::steady_clock;

    // Times the start-up of the show; false when it could not start.
    bool start(SimulatedShow& show, const DemoOptions& options = DemoOptions{});

    // Runs and times one pass; true once the benchmark has seen every scene: each row
    // for its duration, the last (which never ends by time) for a minute.
    bool timePass(SimulatedShow& show);

    // The whole benchmark a step at a time (a pass, a turn of the checkpoints, a seek);
    // true once it is done.
    bool timeStep(SimulatedShow& show);

    // The median, 99th percentile and worst pass and seek of each scene, in the scenes'
    // order on the timeline.
    BenchFigures figures(double fps);

private:
    bool timeSeekStep();

    double startUpMs_ = 0.0;
    double endSeconds_ = 0.0;
    std::vector<std::vector<double>> passMs_;  // by row
    bool passesDone_ = false;
    bool checkpointsDone_ = false;
    double checkpointMs_ = 0.0;
    double checkpointBytes_ = 0.0;
    std::vector<double> seekTargets_;  // show seconds, in the order sought
    size_t nextSeek_ = 0;
    std::vector<std::vector<double>> seekMs_;  // by row
    double worstSeekMs_ = 0.0;
    double worstSeekSeconds_ = 0.0;
};

double millisecondsSince(Benchmark::Clock::time_point start);

// "start-up: S ms", then one line per scene: frames, median, p99 and worst ms, median fps.
std::string benchTable(const BenchFigures& figures);

// The same figures as JSON, for tracking them over time.
std::string benchJson(const BenchFigures& figures);
