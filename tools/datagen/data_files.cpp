// Writing GIF pictures, raw palettes and other files of the data set.
#include "data_files.h"

#include <gif_lib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "datagen: %s: %s\n", what.c_str(), path.c_str());
    std::exit(1);
}

}  // namespace

DataFolder::DataFolder(std::string root) : root_(std::move(root)) {}

std::string DataFolder::path(const char* name) const {
    std::string relative(name);
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    std::filesystem::path full = std::filesystem::path(root_) / relative;
    std::filesystem::create_directories(full.parent_path());
    return full.string();
}

void writeGif(const std::string& path, const IndexedPicture& picture) {
    const int count = static_cast<int>(picture.colours.size());
    if (count < 2 || count > 256 || (count & (count - 1)) != 0)
        fail("colour table size must be a power of two from 2 to 256", path);
    if (picture.pixels.size() != size_t(picture.width) * size_t(picture.height))
        fail("pixel count does not match the size", path);

    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) fail(GifErrorString(error), path);
    EGifSetGifVersion(gif, false);  // GIF87a: no extension blocks are written

    ColorMapObject* map = GifMakeMapObject(count, nullptr);
    for (int i = 0; i < count; ++i) {
        map->Colors[i].Red = picture.colours[i].r;
        map->Colors[i].Green = picture.colours[i].g;
        map->Colors[i].Blue = picture.colours[i].b;
    }
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) ==
                  GIF_OK;
    for (int y = 0; ok && y < picture.height; ++y) {
        GifPixelType* row = const_cast<GifPixelType*>(&picture.pixels[size_t(y) * picture.width]);
        ok = EGifPutLine(gif, row, picture.width) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok) fail("cannot write GIF", path);
    // giflib creates the file readable by its owner only; data files are for everyone.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
}

void writeRawPalette(const std::string& path, const std::vector<Colour>& colours) {
    if (colours.size() != 256) fail("a raw palette has 256 colours", path);
    std::vector<uint8_t> bytes;
    for (const Colour& c : colours) {
        bytes.push_back(c.r >> 2);
        bytes.push_back(c.g >> 2);
        bytes.push_back(c.b >> 2);
    }
    writeBinaryFile(path, bytes);
}

void writeBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) fail("cannot create", path);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !ok) fail("cannot write", path);
}

void writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<uint8_t>& rgba) {
    if (rgba.size() != size_t(width) * size_t(height) * 4) fail("pixel count does not match", path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr))
        fail(std::string("cannot write PNG: ") + image.message, path);
}
