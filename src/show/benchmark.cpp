#include "show/benchmark.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scenes/scene_table.h"
#include "show/seek.h"
#include "show/show_passes.h"
#include "show/simulated_show.h"
#include "show/timeline.h"

namespace {

constexpr double kLastSceneSeconds = 60.0;
// A turn of the checkpoints between two looks at the time (a browser page repaints).
constexpr double kCheckpointTurnMs = 20.0;

// The median and worst of each row's times.
std::vector<SceneFigures> sceneFigures(std::vector<std::vector<double>>& byRow);

int sceneNumberOfRow(int row) {
    for (int scene = 1; scene <= kSceneCount; ++scene) {
        if (rowOfScene(scene) == row) return scene;
    }
    return 0;
}

// The nearest-rank percentile of sorted times: the least time that at least that share of
// them do not exceed.
double percentile(const std::vector<double>& sorted, double share) {
    const size_t rank = static_cast<size_t>(std::ceil(share * sorted.size()));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// snprintf onto the end of a string.
template <typename... Args>
void append(std::string& text, const char* format, Args... args) {
    char line[160];
    std::snprintf(line, sizeof line, format, args...);
    text += line;
}

}  // namespace

double millisecondsSince(Benchmark::Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Benchmark::Clock::now() - start).count();
}

bool Benchmark::start(SimulatedShow& show, const DemoOptions& options) {
    const Clock::time_point before = Clock::now();
    if (!show.start(options)) return false;
    startUpMs_ = millisecondsSince(before);
    const int lastRow = kSceneCount - 1;
    endSeconds_ = showTimeOfRow(lastRow) +
                  std::min<double>(SceneTable[lastRow].duration, kLastSceneSeconds);
    passMs_.assign(kSceneCount, {});
    seekMs_.assign(kSceneCount, {});
    return true;
}

bool Benchmark::timePass(SimulatedShow& show) {
    const Clock::time_point before = Clock::now();
    show.step();
    passMs_[currentScene].push_back(millisecondsSince(before));
    return show.lastFrameSeconds() >= endSeconds_;
}

bool Benchmark::timeStep(SimulatedShow& show) {
    if (!passesDone_) {
        passesDone_ = timePass(show);
        return false;
    }
    return timeSeekStep();
}

bool Benchmark::timeSeekStep() {
    if (!checkpointsDone_) {
        const Clock::time_point before = Clock::now();
        checkpointsDone_ = !buildCheckpoints(kCheckpointTurnMs);
        checkpointMs_ += millisecondsSince(before);
        if (!checkpointsDone_) return false;
        checkpointBytes_ = checkpointBytes();
        for (long pass : dearestSeekPasses()) seekTargets_.push_back(pass / kSeekFps);
        return seekTargets_.empty();
    }
    if (nextSeek_ == seekTargets_.size()) return true;
    const double seconds = seekTargets_[nextSeek_++];
    const Clock::time_point before = Clock::now();
    const SeekResult result = seekShow(seconds);
    const double ms = millisecondsSince(before);
    seekMs_[result.row].push_back(ms);
    if (ms > worstSeekMs_) {
        worstSeekMs_ = ms;
        worstSeekSeconds_ = seconds;
    }
    return nextSeek_ == seekTargets_.size();
}

namespace {

std::vector<SceneFigures> sceneFigures(std::vector<std::vector<double>>& byRow) {
    std::vector<SceneFigures> figures;
    for (int row = 0; row < int(byRow.size()); ++row) {
        std::vector<double>& times = byRow[row];
        if (times.empty()) continue;
        std::sort(times.begin(), times.end());
        figures.push_back({sceneNumberOfRow(row), times.size(), times[times.size() / 2],
                           percentile(times, 0.99), times.back()});
    }
    return figures;
}

}  // namespace

BenchFigures Benchmark::figures(double fps) {
    BenchFigures figures;
    figures.fps = fps;
    figures.startUpMs = startUpMs_;
    figures.scenes = sceneFigures(passMs_);
    figures.checkpointMs = checkpointMs_;
    figures.checkpointMegabytes = checkpointBytes_ / 1e6;
    figures.seeks = sceneFigures(seekMs_);
    figures.worstSeekMs = worstSeekMs_;
    figures.worstSeekSeconds = worstSeekSeconds_;
    return figures;
}

std::string benchTable(const BenchFigures& figures) {
    std::string text;
    append(text, "start-up: %.1f ms\n", figures.startUpMs);
    text += "scene  frames  median ms  p99 ms  worst ms  median fps\n";
    for (const SceneFigures& s : figures.scenes) {
        append(text, "%5d  %6zu  %9.3f  %6.3f  %8.3f  %10.0f\n", s.scene, s.frames, s.medianMs,
               s.p99Ms, s.worstMs, s.medianMs > 0 ? 1000.0 / s.medianMs : 0.0);
    }
    if (!figures.seeks.empty()) {
        append(text, "checkpoints: %.1f MB, laid down in %.1f ms\n", figures.checkpointMegabytes,
               figures.checkpointMs);
        text += "scene  seeks  median ms  worst ms\n";
        for (const SceneFigures& s : figures.seeks)
            append(text, "%5d  %5zu  %9.3f  %8.3f\n", s.scene, s.frames, s.medianMs, s.worstMs);
        append(text, "worst seek: %.3f ms, to %.3f s\n", figures.worstSeekMs,
               figures.worstSeekSeconds);
    }
    if (figures.loadAverage >= 0) {
        append(text,
               "load average over the last minute: %.2f (timings are wall-clock; a busy "
               "machine slows them)\n",
               figures.loadAverage);
    }
    return text;
}

std::string benchJson(const BenchFigures& figures) {
    std::string text;
    append(text, "{\n  \"fps\": %g,\n  \"startUpMs\": %.3f,\n", figures.fps, figures.startUpMs);
    if (figures.loadAverage >= 0) append(text, "  \"loadAverage\": %.2f,\n", figures.loadAverage);
    text += "  \"scenes\": [\n";
    for (size_t i = 0; i < figures.scenes.size(); ++i) {
        const SceneFigures& s = figures.scenes[i];
        append(text,
               "    {\"scene\": %d, \"frames\": %zu, \"medianMs\": %.4f, \"p99Ms\": %.4f, "
               "\"worstMs\": %.4f}%s\n",
               s.scene, s.frames, s.medianMs, s.p99Ms, s.worstMs,
               i + 1 < figures.scenes.size() ? "," : "");
    }
    text += "  ],\n";
    append(text, "  \"checkpointMs\": %.3f,\n  \"checkpointMegabytes\": %.3f,\n",
           figures.checkpointMs, figures.checkpointMegabytes);
    text += "  \"seeks\": [\n";
    for (size_t i = 0; i < figures.seeks.size(); ++i) {
        const SceneFigures& s = figures.seeks[i];
        append(text,
               "    {\"scene\": %d, \"seeks\": %zu, \"medianMs\": %.4f, \"worstMs\": %.4f}%s\n",
               s.scene, s.frames, s.medianMs, s.worstMs,
               i + 1 < figures.seeks.size() ? "," : "");
    }
    append(text, "  ],\n  \"worstSeekMs\": %.4f,\n  \"worstSeekSeconds\": %.3f\n}\n",
           figures.worstSeekMs, figures.worstSeekSeconds);
    return text;
}
