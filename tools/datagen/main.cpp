// Generates the demo's data set into a folder: pictures, palettes, models and music.
// The output is deterministic: the same bytes on every run.
#include <string>

#include "core/command_line.h"
#include "generators.h"

namespace {

constexpr const char* kUsage =
    "usage: dorminax-datagen DATA_FOLDER\n"
    "  writes the demo's data set (gfx\\, 3ds\\ and demotuin.ogg) into DATA_FOLDER\n";

}  // namespace

int main(int argc, char** argv) {
    CommandLine line(argc, argv, "dorminax-datagen", kUsage);
    std::string output;
    while (line.next()) {
        if (line.is("--help")) {
            line.help();
        } else if (line.isOperand() && output.empty()) {
            output = line.argument();
        } else {
            line.refuseArgument();
        }
    }
    if (output.empty()) line.refuse("no data folder named");
    const DataFolder folder(output);
    writeFoundationPictures(folder);
    writeModels(folder);
    writeScene123Data(folder);
    writeSoundtrack(folder);
    writeSwirlCreditsPictures(folder);
    writeScene789Data(folder);
    return 0;
}
