// dorminax-frame: plays the demo's real start-up and timeline headless, with a simulated
// clock at a fixed frame rate, and writes the frame presented at a chosen show time as a
// PNG; or benchmarks every scene's frames, as a table and optionally as JSON.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/command_line.h"
#include "core/display.h"
#include "flash_check.h"
#include "platform/data_path.h"
#include "platform/headless/headless.h"
#include "platform/output_file.h"
#include "png_file.h"
#include "scenes/scene_table.h"
#include "show/benchmark.h"
#include "show/loading_screen.h"
#include "show/simulated_show.h"
#include "text_file.h"

namespace {

struct Options {
    enum class Mode { None, At, Scene, Loading, Bench, FlashCheck } mode = Mode::None;
    double at = 0.0;
    int scene = 0;
    double time = 0.0;
    double loading = 0.0;
    double fps = 60.0;
    std::string dataDir;  // empty: the working directory
    std::string output;
    std::string benchJson;  // where --bench-json writes the figures, if asked
    std::string flashJson;  // where --flash-check writes its counts, if asked
    bool gentle = false;
};

constexpr const char* kUsage =
    "usage: dorminax-frame [--data DIR] [--fps N] [--gentle] --at SECONDS OUT.png\n"
    "       dorminax-frame [--data DIR] [--fps N] [--gentle] --scene N --time T OUT.png\n"
    "       dorminax-frame [--data DIR] --loading FRACTION OUT.png\n"
    "       dorminax-frame [--data DIR] [--fps N] [--gentle] --bench [--bench-json FILE]\n"
    "       dorminax-frame [--data DIR] [--fps N] [--gentle] --flash-check [--json FILE]\n"
    "  --at SECONDS       the frame on screen that many seconds into the show\n"
    "  --scene N --time T the frame T seconds after scene N (1 to 9) began\n"
    "  --loading FRACTION the loading screen with its bar that far, 0 to 1\n"
    "  --bench            time every scene's frames and the start-up\n"
    "  --bench-json FILE  --bench, and write its figures to FILE as JSON\n"
    "  --flash-check      measure the show's flashes from its start to the end of the\n"
    "                     music; exit 0 when it passes, 1 when it fails\n"
    "  --json FILE        --flash-check, and write the counts a second and the spans\n"
    "                     to FILE as JSON\n"
    "  --gentle           the gentle show, its flashes softened\n"
    "  --fps N            the simulated frame rate, 1 to 1000 (default 60)\n"
    "  --data DIR         the data set (default: the working directory)\n"
    "Files are written whole or not at all; a link named OUT is replaced, not followed.\n";

// A day of show time is far beyond anything worth rendering, and keeps the pass count sane.
constexpr double kLongestShowSeconds = 86400.0;

// Each frame is chosen one way, once: a second way is refused, naming the two options, and
// so is the same option again ("--at 1 --at 2" would otherwise keep the last in silence).
void choose(CommandLine& line, Options& o, Options::Mode mode, std::string& modeOption) {
    if (o.mode != Options::Mode::None && o.mode != mode) line.refuseConflict(modeOption);
    if (modeOption == line.argument())
        line.refuse("option '" + modeOption + "' given twice: they conflict; give it once");
    o.mode = mode;
    modeOption = line.argument();
}

bool hasPngExtension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".png";
}

Options parseOptions(int argc, char** argv) {
    CommandLine line(argc, argv, "dorminax-frame", kUsage);
    Options o;
    std::string modeOption;
    bool timeGiven = false;
    while (line.next()) {
        if (line.is("--at")) {
            choose(line, o, Options::Mode::At, modeOption);
            o.at = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--scene")) {
            choose(line, o, Options::Mode::Scene, modeOption);
            o.scene = line.integer(1, kSceneCount);
        } else if (line.is("--time")) {
            o.time = line.number(0.0, kLongestShowSeconds);
            timeGiven = true;
        } else if (line.is("--loading")) {
            choose(line, o, Options::Mode::Loading, modeOption);
            o.loading = line.number(0.0, 1.0);
        } else if (line.is("--fps")) {
            o.fps = line.number(1.0, 1000.0);
        } else if (line.is("--data")) {
            o.dataDir = line.text();
        } else if (line.is("--bench")) {
            choose(line, o, Options::Mode::Bench, modeOption);
        } else if (line.is("--bench-json")) {
            choose(line, o, Options::Mode::Bench, modeOption);
            o.benchJson = line.text();
        } else if (line.is("--flash-check")) {
            choose(line, o, Options::Mode::FlashCheck, modeOption);
        } else if (line.is("--json")) {
            choose(line, o, Options::Mode::FlashCheck, modeOption);
            o.flashJson = line.text();
        } else if (line.is("--gentle")) {
            o.gentle = true;
        } else if (line.is("--help")) {
            line.help();
        } else if (line.is("--version")) {
            line.version();
        } else if (line.isOperand() && o.output.empty()) {
            o.output = line.argument();
        } else {
            line.refuseArgument();
        }
    }
    if (o.mode == Options::Mode::None)
        line.refuse("say which frame: --at, --scene, --loading, --bench or --flash-check");
    if (timeGiven && o.mode != Options::Mode::Scene) line.refuse("option '--time' goes with '--scene'");
    const bool writesFrame = o.mode != Options::Mode::Bench && o.mode != Options::Mode::FlashCheck;
    if (writesFrame && o.output.empty()) line.refuse("no output file named");
    if (writesFrame && !hasPngExtension(o.output))
        line.refuse("the frame is written as a PNG: name the output OUT.png, not '" + o.output + "'");
    if (!writesFrame && !o.output.empty())
        line.refuse("unexpected argument '" + o.output + "'");
    // Before any work: a frame rendered for a file that cannot be written is time lost.
    if (!o.output.empty()) line.requireWritable(o.output);
    if (!o.benchJson.empty()) line.requireWritable(o.benchJson);
    if (!o.flashJson.empty()) line.requireWritable(o.flashJson);
    return o;
}

int writeFrame(const Options& o) {
    std::string error;
    if (!writePng(o.output.c_str(), headless::lastPresentedPixels(), kFrameWidth, kFrameHeight,
                  error)) {
        std::fprintf(stderr, "dorminax-frame: cannot write %s: %s\n", o.output.c_str(),
                     error.c_str());
        return 1;
    }
    return 0;
}

int renderLoadingScreen(const Options& o) {
    setDataFolder(o.dataDir);
    if (!openDisplay(false)) return 1;
    beginLoadingScreen();
    drawLoadingProgress(static_cast<float>(o.loading));
    const int result = writeFrame(o);
    endLoadingScreen();
    closeDisplay();
    return result;
}

DemoOptions showOptions(const Options& o) {
    DemoOptions demo;
    demo.dataFolder = o.dataDir;
    demo.gentle = o.gentle;
    return demo;
}

int renderShowFrame(const Options& o) {
    const int row = o.mode == Options::Mode::Scene ? rowOfScene(o.scene) : 0;
    if (row < 0) {
        std::fprintf(stderr, "dorminax-frame: the show has no scene %d\n", o.scene);
        return 1;
    }
    SimulatedShow show(o.fps);
    if (!show.start(showOptions(o))) return 1;
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

double loadAverage() {
#ifdef _WIN32
    return -1.0;  // Windows keeps no such figure
#else
    double load;
    return getloadavg(&load, 1) == 1 ? load : -1.0;
#endif
}

// Each row plays once for its duration (the last, which never ends by time, for a
// minute); each pass is timed with a monotonic clock around the render and present.
int benchmark(const Options& o) {
    SimulatedShow show(o.fps);
    Benchmark bench;
    if (!bench.start(show, showOptions(o))) return 1;
    while (!bench.timeStep(show)) {
    }
    show.finish();

    BenchFigures figures = bench.figures(o.fps);
    figures.loadAverage = loadAverage();
    std::fputs(benchTable(figures).c_str(), stdout);
    std::string error;
    if (!o.benchJson.empty() && !writeTextFile(o.benchJson, benchJson(figures), error)) {
        std::fprintf(stderr, "dorminax-frame: cannot write %s: %s\n", o.benchJson.c_str(),
                     error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    failWritesPastTheSizeLimit();
    const Options o = parseOptions(argc, argv);
    std::error_code error;
    if (!o.dataDir.empty() && !std::filesystem::is_directory(o.dataDir, error)) {
        std::fprintf(stderr, "dorminax-frame: no data folder %s\n", o.dataDir.c_str());
        return 1;
    }
    switch (o.mode) {
        case Options::Mode::Loading: return renderLoadingScreen(o);
        case Options::Mode::Bench: return benchmark(o);
        case Options::Mode::FlashCheck: return runFlashCheck(showOptions(o), o.fps, o.flashJson);
        default: return renderShowFrame(o);
    }
}
