// Pictures and palettes from the data files: GIF (a narrow GIF87a/GIF89a subset) and
// raw 768-byte palettes of 6-bit components. A file that cannot be read ends the program
// with the box "Error loading file" captioned with its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/display.h"

// The colour table of a GIF, or else a raw palette file.
std::unique_ptr<Palette> loadPalette(const char* fileName);

// A GIF's pixels, width x height bytes, row by row from the top. The size pointers may be
// null.
std::unique_ptr<uint8_t[]> loadPicture(const char* fileName, int* width = nullptr,
                                       int* height = nullptr);

// A GIF's pixels that must be exactly width x height; any other size is a file the
// program cannot use and ends it like an unreadable one.
std::unique_ptr<uint8_t[]> loadPictureOfSize(const char* fileName, int width, int height);

// The largest width or height the GIF reader takes: a bigger picture is no use to the
// program and is refused like an unreadable file, before anything is allocated for it.
constexpr int kMaxPictureSide = 4096;

// The readers behind the loaders; they fill the reader's store and report success.
bool readGif(const char* fileName);
bool readRawPalette(const char* fileName);

// The same readers over a file's bytes in memory; the ones above read the whole file
// and hand it here.
bool readGifBytes(const uint8_t* bytes, size_t size);
bool readRawPaletteBytes(const uint8_t* bytes, size_t size);
