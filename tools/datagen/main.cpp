// Generates the demo's data set into a folder: pictures, palettes, models and music; or
// the desktop icon. The output is deterministic: the same bytes on every run.
#include <string>

#include "core/command_line.h"
#include "generators.h"

namespace {

constexpr const char* kUsage =
    "usage: dorminax-datagen DATA_FOLDER\n"
    "       dorminax-datagen --icon SIZE FILE.png\n"
    "  writes the demo's data set (gfx\\, 3ds\\ and demotuin.ogg) into DATA_FOLDER\n"
    "  --icon SIZE  writes the desktop icon instead, SIZE x SIZE pixels (16 to 512)\n";

}  // namespace

int main(int argc, char** argv) {
    CommandLine line(argc, argv, "dorminax-datagen", kUsage);
    std::string output;
    int iconSize = 0;
    while (line.next()) {
        if (line.is("--help")) {
            line.help();
        } else if (line.is("--version")) {
            line.version();
        } else if (line.is("--icon")) {
            iconSize = line.integer(16, 512);
        } else if (line.isOperand() && output.empty()) {
            output = line.argument();
        } else {
            line.refuseArgument();
        }
    }
    if (output.empty()) line.refuse(iconSize ? "no icon file named" : "no data folder named");
    if (iconSize) line.requireWritable(output);
    if (iconSize) {
        writeIcon(output, iconSize);
        return 0;
    }
    const DataFolder folder(output);
    writeFoundationPictures(folder);
    writeModels(folder);
    writeRingSphereKnotArt(folder);
    writeSoundtrack(folder);
    writeSwirlCreditsPictures(folder);
    writeChromeMapAndTrailPalette(folder);
    return 0;
}
