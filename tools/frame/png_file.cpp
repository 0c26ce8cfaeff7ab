// PNG output of presented frames, through stb_image_write (it builds for every target the
// frame tool does).
#include "png_file.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

bool writePng(const char* path, const uint32_t* pixels, int width, int height) {
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        rgb[i * 3] = (pixels[i] >> 16) & 0xFF;
        rgb[i * 3 + 1] = (pixels[i] >> 8) & 0xFF;
        rgb[i * 3 + 2] = pixels[i] & 0xFF;
    }
    return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}
