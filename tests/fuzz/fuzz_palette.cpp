// The palette loader's readers on any bytes, in its order: as a GIF's colour table, else
// as a raw palette of 768 bytes.
#include <cstddef>
#include <cstdint>

#include "assets/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!readGifBytes(data, size)) readRawPaletteBytes(data, size);
    return 0;
}
