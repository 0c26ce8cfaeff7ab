// The benchmark of the frame tool and of the browser page: every pass of the simulated
// show timed around its render and present, gathered by scene, reported as one table.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "demo/demo.h"

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
};

class Benchmark {
public:
    using Clock = std::chrono::steady_clock;

    // Times the start-up of the show; false when it could not start.
    bool start(SimulatedShow& show, const DemoOptions& options = DemoOptions{});

    // Runs and times one pass; true once the benchmark has seen every scene: each row
    // for its duration, the last (which never ends by time) for a minute.
    bool timePass(SimulatedShow& show);

    // The median, 99th percentile and worst pass of each scene, in the scenes' order on
    // the timeline.
    BenchFigures figures(double fps);

private:
    double startUpMs_ = 0.0;
    double endSeconds_ = 0.0;
    std::vector<std::vector<double>> passMs_;  // by row
};

double millisecondsSince(Benchmark::Clock::time_point start);

// "start-up: S ms", then one line per scene: frames, median, p99 and worst ms, median fps.
std::string benchTable(const BenchFigures& figures);

// The same figures as JSON, for tracking them over time.
std::string benchJson(const BenchFigures& figures);
