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

#include "core/display.h"
#include "demo/demo.h"
#include "demo/loading_screen.h"
#include "demo/timeline.h"
#include "platform/headless/headless.h"
#include "png_file.h"
#include "scenes/scene_table.h"

namespace {

// The simulated machine has been up ten seconds when the demo starts.
constexpr uint32_t kBootTicks = 10000;
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

void usage() {
    std::fprintf(stderr,
                 "usage: dorminax-frame [--data DIR] [--fps N] --at SECONDS OUT.png\n"
                 "       dorminax-frame [--data DIR] [--fps N] --scene N --time T OUT.png\n"
                 "       dorminax-frame [--data DIR] --loading FRACTION OUT.png\n"
                 "       dorminax-frame [--data DIR] [--fps N] --bench\n");
    std::exit(2);
}

double numberArgument(int& i, int argc, char** argv) {
    if (i + 1 >= argc) usage();
    char* end = nullptr;
    const double value = std::strtod(argv[++i], &end);
    if (end == argv[i] || *end != '\0') usage();
    return value;
}

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--at") {
            o.mode = Options::Mode::At;
            o.at = numberArgument(i, argc, argv);
        } else if (arg == "--scene") {
            o.mode = Options::Mode::Scene;
            o.scene = static_cast<int>(numberArgument(i, argc, argv));
        } else if (arg == "--time") {
            o.time = numberArgument(i, argc, argv);
        } else if (arg == "--loading") {
            o.mode = Options::Mode::Loading;
            o.loading = numberArgument(i, argc, argv);
        } else if (arg == "--fps") {
            o.fps = numberArgument(i, argc, argv);
        } else if (arg == "--data" && i + 1 < argc) {
            o.dataDir = argv[++i];
        } else if (arg == "--bench") {
            o.mode = Options::Mode::Bench;
        } else if (arg[0] != '-' && o.output.empty()) {
            o.output = std::filesystem::absolute(arg).string();  // before entering --data
        } else {
            usage();
        }
    }
    const bool needsOutput = o.mode != Options::Mode::Bench;
    if (o.mode == Options::Mode::None || (needsOutput && o.output.empty()) || !(o.fps > 0.0))
        usage();
    return o;
}

// Plays the show with the simulated clock, one pass per frame.
class SimulatedShow {
public:
    explicit SimulatedShow(double fps) : fps_(fps) {}

    void start() {
        headless::setTicks(kBootTicks);
        if (!startDemo(run_)) std::exit(1);
        showStartTicks_ = kBootTicks;
        headless::setTicks(showStartTicks_);
        beginShow(run_);
    }

    // Runs the next pass; the clock first moves to that frame's time.
    void step() {
        const double ms = frame_ * 1000.0 / fps_;
        headless::setTicks(showStartTicks_ + static_cast<uint32_t>(ms));
        runMainLoopPass(run_);
        ++frame_;
    }

    // Runs passes until the last one was at or after the given show time.
    void runUntil(double seconds) {
        do {
            step();
        } while (lastFrameSeconds() < seconds);
    }

    double lastFrameSeconds() const { return (frame_ - 1) / fps_; }
    void finish() { finishDemo(run_); }

private:
    double fps_;
    DemoRun run_;
    uint32_t showStartTicks_ = 0;
    long frame_ = 0;
};

double sceneStartInShow(int row) {
    double seconds = 0.0;
    for (int i = 0; i < row; ++i) seconds += SceneTable[i].duration;
    return seconds;
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
    double at = o.at;
    if (o.mode == Options::Mode::Scene) {
        const int row = rowOfScene(o.scene);
        if (row < 0) {
            std::fprintf(stderr, "dorminax-frame: the show has no scene %d yet\n", o.scene);
            return 1;
        }
        at = sceneStartInShow(row) + o.time;
    }
    SimulatedShow show(o.fps);
    show.start();
    show.runUntil(at);
    // A row ends only once its time is strictly exceeded, so the pass at its exact end
    // still shows the row before; the scene asked for starts with the next pass.
    if (o.mode == Options::Mode::Scene && currentScene != rowOfScene(o.scene)) show.step();
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
    show.start();
    std::printf("start-up: %.1f ms\n", millisecondsSince(startUp));

    const int lastRow = kSceneCount - 1;
    const double end = sceneStartInShow(lastRow) +
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
