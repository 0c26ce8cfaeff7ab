// The raw palette reader on any bytes: 768 of them are a palette, anything else is refused.
// (The palette loader tries a file as a GIF first; the GIF target covers that reader.)
#include <cstddef>
#include <cstdint>

#include "assets/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readRawPaletteBytes(data, size);
    return 0;
}
