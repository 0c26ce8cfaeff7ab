// The GIF reader on any bytes: it either refuses them or decodes a picture no larger than
// the bound, never reading or writing outside its buffers.
#include <cstddef>
#include <cstdint>

#include "assets/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readGifBytes(data, size);
    return 0;
}
