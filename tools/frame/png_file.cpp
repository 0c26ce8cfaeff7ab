// PNG output of presented frames, through stb_image_write (it builds for every target the
// frame tool does), encoded in memory and written whole.
#include "png_file.h"

#include <vector>

#include "platform/output_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool writePng(const char* path, const uint32_t* pixels, int width, int height,
              std::string& error) {
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        rgb[i * 3] = (pixels[i] >> 16) & 0xFF;
        rgb[i * 3 + 1] = (pixels[i] >> 8) & 0xFF;
        rgb[i * 3 + 2] = pixels[i] & 0xFF;
    }
    std::vector<unsigned char> png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3)) {
        error = "cannot encode the PNG";
        return false;
    }
    return writeOutputFile(path, png.data(), png.size(), error);
}
