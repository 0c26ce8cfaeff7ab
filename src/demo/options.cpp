// The demo's command line, and where it finds its data set.
#include "demo/options.h"

#include "assets/data_file.h"
#include "core/command_line.h"
#include "platform/data_path.h"

namespace {

constexpr const char* kUsage =
    "usage: dorminax [--window | --fullscreen] [--scale N] [--data DIR]\n"
    "                [--scene N | --start SECONDS] [--paused] [--gentle]\n"
    "                [--vsync] [--audio-offset MS] [--timing-log FILE]\n"
    "       dorminax --calibrate [--window | --fullscreen] [--audio-offset MS]\n"
    "  --window      play in a window (the \"Window Mode?\" question is not asked)\n"
    "  --fullscreen  play full screen (the question is not asked)\n"
    "  --scale N     the window is N times 320x240, N from 1 to 8 (default 1)\n"
    "  --data DIR    read the data set from DIR (default: the working directory when it\n"
    "                holds the data set, else the installed one)\n"
    "  --scene N     start with scene N, 1 to 9, and the music at that scene's place\n"
    "  --start SECONDS  start that many seconds into the show, exactly as the frame\n"
    "                tool draws it there, with the music there\n"
    "  --paused      start held on the first frame, of the show, --scene or --start\n"
    "                (P plays)\n"
    "  --gentle      the gentle show: its flashes softened for photosensitive viewers\n"
    "  --vsync       pace the window by the display too (without it a window plays\n"
    "                as fast as the machine allows, keeping a core busy)\n"
    "  --audio-offset MS  the sound reaches you MS milliseconds later than the system\n"
    "                says (Bluetooth speakers, a TV's processing; -1000 to 1000, may be\n"
    "                negative): the picture waits for it\n"
    "  --calibrate   a click once a second with a small square: Left and Right move\n"
    "                the picture until the two meet; prints the --audio-offset found\n"
    "  --timing-log FILE  write when each frame was presented and the show time it\n"
    "                drew, and where the music is heard, to FILE (for measuring)\n"
    "  --help        this text, the keys and where the show flashes\n"
    "  --version     the version\n";

constexpr const char* kKeys =
    "keys:\n"
    "  Escape        quit\n"
    "  Space         the next scene (after the last, the first again)\n"
    "  S             save a screenshot, screenshotNNN.bmp in the working directory\n"
    "  Shift (held)  frame statistics\n"
    "  P             pause and play on (the music with the picture)\n"
    "  G             the gentle show on or off (the title says which)\n"
    "  Left, Right   5 seconds back, forward\n"
    "  Up, Down      the previous, the next scene (also Page Up, Page Down)\n"
    "  1 to 9        scene 1 to 9\n"
    "  Home          back to the start\n"
    "  , and .       paused: one frame (1/60 s) back, forward\n";

// A second either way is more than any output's delay.
constexpr double kLongestAudioOffsetMs = 1000.0;
// A day of show time is far beyond anything worth seeking to.
constexpr double kLongestShowSeconds = 86400.0;

// The working directory when it holds the data set, else the installed data folder when
// that does; else the working directory, where loading then names the missing file.
std::string findDataFolder() {
    if (holdsDataSet("")) return "";
    const std::string installed = installedDataFolder();
    if (!installed.empty() && holdsDataSet(installed)) return installed;
    return "";
}

}  // namespace

DemoOptions parseDemoOptions(int argc, char** argv, const char* photosensitivityNote) {
    CommandLine line(argc, argv, "dorminax", kUsage);
    DemoOptions options;
    bool dataGiven = false;
    std::string modeOption;  // --window or --fullscreen, whichever came first
    std::string startOption;  // --scene or --start, whichever came first
    while (line.next()) {
        if (line.is("--window") || line.is("--fullscreen")) {
            if (!modeOption.empty() && !line.is(modeOption.c_str())) line.refuseConflict(modeOption);
            modeOption = line.argument();
            options.mode = line.is("--window") ? DemoOptions::Mode::Window
                                               : DemoOptions::Mode::FullScreen;
        } else if (line.is("--scale")) {
            options.windowScale = line.integer(1, 8);
        } else if (line.is("--data")) {
            options.dataFolder = line.text();
            dataGiven = true;
            if (!holdsDataSet(options.dataFolder))
                line.refuse("'" + options.dataFolder + "' does not hold the data set");
        } else if (line.is("--scene") || line.is("--start")) {
            if (!startOption.empty() && !line.is(startOption.c_str()))
                line.refuseConflict(startOption);
            startOption = line.argument();
            if (line.is("--scene")) options.firstScene = line.integer(1, 9);
            else options.startSeconds = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--paused")) {
            options.startPaused = true;
        } else if (line.is("--gentle")) {
            options.gentle = true;
        } else if (line.is("--calibrate")) {
            options.calibrate = true;
        } else if (line.is("--vsync")) {
            options.vsync = true;
        } else if (line.is("--audio-offset")) {
            options.audioOffsetMs = line.number(-kLongestAudioOffsetMs, kLongestAudioOffsetMs);
        } else if (line.is("--timing-log")) {
            options.timingLog = line.text();
        } else if (line.is("--lay-checkpoints")) {
            // Internal, not in --help: the demo starts itself so to lay the seek's
            // checkpoints down (checkpoint_worker.h).
            options.layCheckpointsSeconds = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--help")) {
            line.help((std::string(kKeys) + photosensitivityNote).c_str());
        } else if (line.is("--version")) {
            line.version();
        } else {
            line.refuseArgument();
        }
    }
    if (!dataGiven) options.dataFolder = findDataFolder();
    return options;
}
