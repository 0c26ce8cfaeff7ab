// dorminax-frame: plays the demo's real start-up and timeline headless, with a simulated
// clock at a fixed frame rate, and writes the frame presented at a chosen show time as a
// PNG; or benchmarks every scene's frames.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/display.h"
#include "demo/loading_screen.h"
#include "demo/simulated_show.h"
#include "demo/timeline.h"
#include "platform/headless/headless.h"
#include "png_file.h"
#include "scenes/scene_table.h"

namespace {

constexpr double kBenchLastSceneSeconds = 60.0;

struct Options {
    enum class Mode { None, At, Scene, Loading, Bench } mode = Mode::None;
    double at = 0.0;
    int scene = 0;
    double time = 0.0;
    double loading = 0.0;
    double fps = 60.0;
    std::string dataDir = ".";
    std::string output;
};

constexpr const char* kUsage =
    "usage: dorminax-frame [--data DIR] [--fps N] --at SECONDS OUT.png\n"
    "       dorminax-frame [--data DIR] [--fps N] --scene N --time T OUT.png\n"
    "       dorminax-frame [--data DIR] --loading FRACTION OUT.png\n"
    "       dorminax-frame [--data DIR] [--fps N] --bench\n"
    "  --at SECONDS       the frame on screen that many seconds into the show\n"
    "  --scene N --time T the frame T seconds after scene N (1 to 9) began\n"
    "  --loading FRACTION the loading screen with its bar that far, 0 to 1\n"
    "  --bench            time every scene's frames and the start-up\n"
    "  --fps N            the simulated frame rate, 1 to 1000 (default 60)\n"
    "  --data DIR         the data set (default: the working directory)\n";

// A day of show time is far beyond anything worth rendering, and keeps the pass count sane.
constexpr double kLongestShowSeconds = 86400.0;

Options parseOptions(int argc, char** argv) {
    CommandLine line(argc, argv, "dorminax-frame", kUsage);
    Options o;
    while (line.next()) {
        if (line.is("--at")) {
            o.mode = Options::Mode::At;
            o.at = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--scene")) {
            o.mode = Options::Mode::Scene;
            o.scene = line.integer(1, kSceneCount);
        } else if (line.is("--time")) {
            o.time = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--loading")) {
            o.mode = Options::Mode::Loading;
            o.loading = line.number(0.0, 1.0);
        } else if (line.is("--fps")) {
            o.fps = line.number(1.0, 1000.0);
        } else if (line.is("--data")) {
            o.dataDir = line.text();
        } else if (line.is("--bench")) {
            o.mode = Options::Mode::Bench;
        } else if (line.is("--help")) {
            line.help();
        } else if (line.isOperand() && o.output.empty()) {
            o.output = std::filesystem::absolute(line.argument()).string();  // before --data
        } else {
            line.refuseArgument();
        }
    }
    if (o.mode == Options::Mode::None)
        line.refuse("say which frame: --at, --scene, --loading or --bench");
    if (o.mode != Options::Mode::Bench && o.output.empty()) line.refuse("no output file named");
    return o;
}

int writeFrame(const Options& o) {
    if (!writePng(o.output.c_str(), headless::lastPresentedPixels(), kFrameWidth,
                  kFrameHeight)) {
        std::fprintf(stderr, "dorminax-frame: cannot write %s\n", o.output.c_str());
        return 1;
    }
    return 0;
}

int renderLoadingScreen(const Options& o) {
    if (!openDisplay(false)) return 1;
    beginLoadingScreen();
    drawLoadingProgress(static_cast<float>(o.loading));
    const int result = writeFrame(o);
    endLoadingScreen();
    closeDisplay();
    return result;
}

int renderShowFrame(const Options& o) {
    const int row = o.mode == Options::Mode::Scene ? rowOfScene(o.scene) : 0;
    if (row < 0) {
        std::fprintf(stderr, "dorminax-frame: the show has no scene %d\n", o.scene);
        return 1;
    }
    SimulatedShow show(o.fps);
    if (!show.start()) return 1;
    if (o.mode == Options::Mode::Scene) {
        // Scene time counts from the pass that really began the scene: each scene starts
        // on the first pass after the one before has run strictly longer than its time.
        if (!show.runUntilSceneTime(row, o.time)) {
            std::fprintf(stderr, "dorminax-frame: scene %d ends before %g s\n", o.scene, o.time);
            show.finish();
            return 1;
        }
    } else {
        show.runUntil(o.at);
    }
    const int result = writeFrame(o);
    show.finish();
    return result;
}

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int sceneNumberOfRow(int row) {
    for (int scene = 1; scene <= 9; ++scene) {
        if (rowOfScene(scene) == row) return scene;
    }
    return 0;
}

void printSceneTimes(int row, std::vector<double>& times) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("scene %d: %zu frames, median %.3f ms (%.0f fps), worst %.3f ms\n",
                sceneNumberOfRow(row), times.size(), median, median > 0 ? 1000.0 / median : 0.0,
                times.back());
}

// Each row plays once for its duration (the last, which never ends by time, for a
// minute); each pass is timed with a monotonic clock around the render and present.
int benchmark(const Options& o) {
    SimulatedShow show(o.fps);
    const Clock::time_point startUp = Clock::now();
    if (!show.start()) return 1;
    std::printf("start-up: %.1f ms\n", millisecondsSince(startUp));

    const int lastRow = kSceneCount - 1;
    const double end = showTimeOfRow(lastRow) +
                       std::min<double>(SceneTable[lastRow].duration, kBenchLastSceneSeconds);
    std::vector<std::vector<double>> times(kSceneCount);
    do {
        const Clock::time_point before = Clock::now();
        show.step();
        times[currentScene].push_back(millisecondsSince(before));
    } while (show.lastFrameSeconds() < end);
    for (int row = 0; row < kSceneCount; ++row) printSceneTimes(row, times[row]);
    show.finish();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parseOptions(argc, argv);
    if (chdir(o.dataDir.c_str()) != 0) {
        std::fprintf(stderr, "dorminax-frame: cannot enter %s\n", o.dataDir.c_str());
        return 1;
    }
    switch (o.mode) {
        case Options::Mode::Loading: return renderLoadingScreen(o);
        case Options::Mode::Bench: return benchmark(o);
        default: return renderShowFrame(o);
    }
}
