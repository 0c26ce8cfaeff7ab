// The demo's command line, and where it finds its data set.
#include "demo/options.h"

#include "assets/data_file.h"
#include "core/command_line.h"
#include "platform/data_path.h"

namespace {

constexpr const char* kUsage =
    "usage: dorminax [--window | --fullscreen] [--scale N] [--data DIR] [--scene N] [--gentle]\n"
    "  --window      play in a window (the \"Window Mode?\" question is not asked)\n"
    "  --fullscreen  play full screen (the question is not asked)\n"
    "  --scale N     the window is N times 320x240, N from 1 to 8 (default 1)\n"
    "  --data DIR    read the data set from DIR (default: the working directory when it\n"
    "                holds the data set, else the installed one)\n"
    "  --scene N     start with scene N, 1 to 9, and the music at that scene's place\n"
    "  --gentle      the gentle show: its flashes softened for photosensitive viewers\n"
    "  --help        this text, the keys and where the show flashes\n"
    "  --version     the version\n";

constexpr const char* kKeys =
    "keys:\n"
    "  Escape        quit\n"
    "  Space         the next scene (after the last, the first again)\n"
    "  S             save a screenshot, screenshotNNN.bmp in the working directory\n"
    "  Shift (held)  frame statistics\n";

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
        } else if (line.is("--scene")) {
            options.firstScene = line.integer(1, 9);
        } else if (line.is("--gentle")) {
            options.gentle = true;
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
