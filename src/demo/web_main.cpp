// The demo's entry in a web browser. The page asks "Window Mode?" itself (a program in a
// page cannot wait for a click) and passes the answer as an argument; or, from the page's
// address, a fixed frame to draw or the benchmark to run, with the simulated clock.
#include <cstdio>
#include <vector>

#include "core/command_line.h"
#include "core/display.h"
#include "demo/calibration.h"
#include "platform/platform.h"
#include "scenes/scene_table.h"
#include "show/benchmark.h"
#include "show/demo.h"
#include "show/loading_screen.h"
#include "show/show_passes.h"
#include "show/simulated_show.h"

namespace {

constexpr const char* kUsage =
    "usage: dorminax [--window | --fullscreen] [--start SECONDS] [--paused] [--gentle]\n"
    "                [--audio-offset MS]\n"
    "       dorminax --calibrate [--window | --fullscreen] [--audio-offset MS]\n"
    "       dorminax --at SECONDS | --scene N --time T | --loading FRACTION | --bench\n"
    "  --window, --fullscreen  the answer to \"Window Mode?\" (default: the question)\n"
    "  --start SECONDS         the show starts that many seconds in\n"
    "  --paused                the show starts held on its first frame\n"
    "  --gentle                the gentle show, its flashes softened\n"
    "  --audio-offset MS       the sound is heard MS milliseconds later than the\n"
    "                          browser says (-1000 to 1000): the picture waits for it\n"
    "  --calibrate             a click once a second with a small square; Left and\n"
    "                          Right move the picture until the two meet\n"
    "  --at SECONDS            the frame that many seconds into the show; given again\n"
    "                          with later times, the page stops at each in turn\n"
    "  --scene N --time T      the frame T seconds after scene N (1 to 9) began\n"
    "  --loading FRACTION      the loading screen with its bar that far, 0 to 1\n"
    "  --bench                 time every scene's frames and the start-up\n";

// Fixed frames and the benchmark play as the desktop's frame tool does: 60 passes per
// simulated second.
constexpr double kSimulatedFps = 60.0;
// They run as many passes as fit in this much real time per animation frame, so the page
// stays responsive and shows the show winding forward.
constexpr double kSliceMilliseconds = 50.0;
// Nothing worth rendering lies beyond a day of show time.
constexpr double kLongestShowSeconds = 86400.0;
// A second either way is more than any output's delay (as on the desktop).
constexpr double kLongestAudioOffsetMs = 1000.0;

struct WebOptions {
    enum class Mode { Show, At, Scene, Loading, Bench } mode = Mode::Show;
    DemoOptions::Mode answer = DemoOptions::Mode::Ask;
    std::vector<double> at;  // show times, rising
    int scene = 0;
    double time = 0.0;
    double loading = 0.0;
    double start = -1.0;  // the show's own start
    bool paused = false;
    bool gentle = false;
    bool calibrate = false;
    double audioOffsetMs = 0.0;
};

WebOptions parseWebOptions(int argc, char** argv) {
    CommandLine line(argc, argv, "dorminax", kUsage);
    WebOptions o;
    while (line.next()) {
        if (line.is("--window")) {
            o.answer = DemoOptions::Mode::Window;
        } else if (line.is("--fullscreen")) {
            o.answer = DemoOptions::Mode::FullScreen;
        } else if (line.is("--at")) {
            o.mode = WebOptions::Mode::At;
            const double at = line.number(0.0, kLongestShowSeconds);
            if (!o.at.empty() && at <= o.at.back()) line.refuse("each --at must come later");
            o.at.push_back(at);
        } else if (line.is("--scene")) {
            o.mode = WebOptions::Mode::Scene;
            o.scene = line.integer(1, kSceneCount);
        } else if (line.is("--time")) {
            o.time = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--loading")) {
            o.mode = WebOptions::Mode::Loading;
            o.loading = line.number(0.0, 1.0);
        } else if (line.is("--bench")) {
            o.mode = WebOptions::Mode::Bench;
        } else if (line.is("--start")) {
            o.start = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--paused")) {
            o.paused = true;
        } else if (line.is("--gentle")) {
            o.gentle = true;
        } else if (line.is("--calibrate")) {
            o.calibrate = true;
        } else if (line.is("--audio-offset")) {
            o.audioOffsetMs = line.number(-kLongestAudioOffsetMs, kLongestAudioOffsetMs);
        } else {
            line.refuseArgument();
        }
    }
    return o;
}

// ---- Passes of the simulated show, a slice of real time per animation frame ----

using Clock = Benchmark::Clock;  // in a browser: performance.now()

WebOptions options;
SimulatedShow simulatedShow(kSimulatedFps);

// Runs step until it says the work is done or the slice is used up; false when done.
template <typename Step>
bool runSlice(Step step) {
    const Clock::time_point sliceStart = Clock::now();
    do {
        if (step()) return false;
    } while (millisecondsSince(sliceStart) < kSliceMilliseconds);
    return true;
}

// Several --at times: the page holds each frame but the last on the canvas, says so on
// the console ("frame at T s"), and goes on when the page calls dorminax_next_frame (a
// test that has read the canvas). One page load then serves many frames.
size_t nextAt = 0;
bool holding = false;

// One pass towards the fixed frame; true once it is on the canvas (or cannot be).
bool stepTowardsFixedFrame() {
    if (options.mode == WebOptions::Mode::At) {
        simulatedShow.step();
        if (simulatedShow.lastFrameSeconds() < options.at[nextAt]) return false;
        if (++nextAt < options.at.size()) {
            holding = true;
            char text[64];
            std::snprintf(text, sizeof text, "frame at %g s\n", options.at[nextAt - 1]);
            platform::debugOutput(text);
        }
        return true;
    }
    const SimulatedShow::Progress progress =
        simulatedShow.stepTowardsSceneTime(rowOfScene(options.scene), options.time);
    if (progress == SimulatedShow::Progress::Missed)
        std::fprintf(stderr, "dorminax: scene %d ends before %g s\n", options.scene, options.time);
    return progress != SimulatedShow::Progress::Running;
}

// The main loop's pass for fixed frames: false once the last is on the canvas.
bool fixedFramePass() {
    if (holding) return true;
    return runSlice(stepTowardsFixedFrame) || holding;
}

// The frame stays on the canvas: nothing more runs.
void leaveFrame() {}

// ---- The benchmark: every pass timed, by scene ----

Benchmark benchmark;

// The same table as the frame tool's, on the debugger output.
void reportBenchmark() {
    simulatedShow.finish();
    platform::debugOutput(benchTable(benchmark.figures(kSimulatedFps)).c_str());
}

DemoOptions inThePage() {
    DemoOptions demo;
    demo.mode = DemoOptions::Mode::Window;
    demo.gentle = options.gentle;
    return demo;
}

int runBenchmark() {
    if (!benchmark.start(simulatedShow, inThePage())) return 1;
    platform::runMainLoop([] { return runSlice([] { return benchmark.timeStep(simulatedShow); }); },
                          reportBenchmark);
    return 0;
}

int drawLoadingScreen() {
    if (!openDisplay(true)) return 1;
    beginLoadingScreen();
    drawLoadingProgress(static_cast<float>(options.loading));
    endLoadingScreen();
    platform::runMainLoop([] { return false; }, leaveFrame);  // the page sees it is done
    return 0;
}

}  // namespace

extern "C" void dorminax_next_frame() { holding = false; }

// The offset the calibration screen has come to, for the page's settings line.
extern "C" double dorminax_audio_offset() { return calibrationOffsetMs(); }

// The player bar's gentle switch, as the show plays.
extern "C" void dorminax_set_gentle(int on) { setGentleMode(on != 0); }

// Where scene N's first frame is drawn, in show seconds: the page turns an address's
// #scene=N into a start time with it before the program runs.
extern "C" double dorminax_scene_start(int scene) {
    const long pass = firstPassOfRow(rowOfScene(scene), kSeekFps);
    return pass < 0 ? 0.0 : pass / kSeekFps;
}

// Where scene N's time reaches T, in show seconds, as the frame tool's --scene N --time T
// draws it: the page turns a link's #scene=N&t=T into a start time with it. -1 when the
// scene has ended by then (the link's moment is not in the show).
extern "C" double dorminax_scene_moment(int scene, double sceneSeconds) {
    const long pass = passAtSceneTime(rowOfScene(scene), sceneSeconds, kSeekFps);
    return pass < 0 ? -1.0 : pass / kSeekFps;
}

int main(int argc, char** argv) {
    options = parseWebOptions(argc, argv);
    switch (options.mode) {
        case WebOptions::Mode::Show: {
            DemoOptions demo;
            demo.mode = options.answer;
            demo.startSeconds = options.start;
            demo.startPaused = options.paused;
            demo.gentle = options.gentle;
            demo.audioOffsetMs = options.audioOffsetMs;
            return options.calibrate ? runCalibration(demo) : runDemo(demo);
        }
        case WebOptions::Mode::Loading: return drawLoadingScreen();
        case WebOptions::Mode::Bench: return runBenchmark();
        case WebOptions::Mode::At:
        case WebOptions::Mode::Scene:
            if (!simulatedShow.start(inThePage())) return 1;
            platform::runMainLoop(fixedFramePass, leaveFrame);
            return 0;
    }
    return 0;
}
