// Generates the demo's data set into a folder: pictures, palettes, models and music.
// The output is deterministic: the same bytes on every run.
#include <cstdio>

#include "generators.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dorminax-datagen DATA_FOLDER\n");
        return 2;
    }
    const DataFolder folder(argv[1]);
    writeFoundationPictures(folder);
    writeModels(folder);
    writeScene123Data(folder);
    writeSoundtrack(folder);
    writeSwirlCreditsPictures(folder);
    writeScene789Data(folder);
    return 0;
}
