// Writing the data set's files: the data folder's paths, GIF pictures in exactly the
// subset the demo reads, and raw palettes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An RGB colour, 0..255 per component.
struct Colour {
    uint8_t r, g, b;
};

// A picture of palette indices with its colour table.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;   // width x height, rows from the top
    std::vector<Colour> colours;   // 2, 4, ..., 256 entries
};

// The data folder; names are given as the demo writes them ("gfx\cool.gif").
class DataFolder {
public:
    explicit DataFolder(std::string root);
    // The host path of a data name; creates its directory.
    std::string path(const char* name) const;

private:
    std::string root_;
};

// Writes a GIF87a with aspect byte 0, a global colour table, one non-interlaced image
// and no extension blocks, through giflib's encoder. Exits with a message on failure.
void writeGif(const std::string& path, const IndexedPicture& picture);

// Writes 256 colours as a 768-byte raw palette of 6-bit components (component >> 2).
void writeRawPalette(const std::string& path, const std::vector<Colour>& colours);

// Writes bytes as they are (for formats made elsewhere in the generator).
void writeBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Writes width x height pixels of (red, green, blue, alpha) bytes as a PNG.
void writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<uint8_t>& rgba);
