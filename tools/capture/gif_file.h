// An animated GIF being written through giflib: every frame of the show exactly, since a
// frame is at most 256 colours. Each frame after the first holds only the rectangle
// whose colours changed, drawn over the last ("do not dispose"), in the palette in force:
// the file's global colour table when it is that one, else a local table of its own.
// Within the rectangle, a pixel that keeps its colour is transparent (an index that no
// changed pixel uses), so that the compressor sees long runs of one index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture_file.h"
#include "core/frame_format.h"

struct ColorMapObject;
struct GifFileType;

// A GIF's frame delays are whole hundredths of a second, and players hold a frame of
// under two hundredths far longer: these are the frame rates a GIF plays exactly.
bool isGifFrameRate(int fps);
// "1, 2, 4, 5, 10, 20, 25 or 50"
std::string gifFrameRates();

class GifFile : public CaptureFile {
public:
    GifFile() = default;
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;
    // Releases everything; a file that was not finished is left on disk for the caller.
    ~GifFile() override;

    // Opens the file and sets the picture's size (320 x 240 times scale) and frame rate
    // (one of the GIF frame rates). False with error() set.
    bool open(const std::string& path, int scale, int fps);

    bool writeVideoFrame(const uint8_t* indices, const Palette& palette) override;
    bool writeAudio(const float*, int) override { return true; }  // a GIF has no sound
    bool finish() override;
    const std::string& error() const override { return error_; }

private:
    struct Rectangle {
        int left, top, right, bottom;  // in frame pixels, right and bottom exclusive
    };
    Rectangle changedRectangle(const uint8_t* indices, const Palette& palette);
    int unusedIndex(const uint8_t* indices, const Rectangle& area) const;
    bool writeHeader(const Palette& palette);
    bool writeImage(const uint8_t* indices, const Palette& palette, const Rectangle& area,
                    int transparent);
    bool fail(const std::string& what, int code);

    GifFileType* gif_ = nullptr;
    ColorMapObject* colourMap_ = nullptr;  // the global table, then each local one
    int scale_ = 1;
    int delay_ = 2;  // hundredths of a second
    bool started_ = false;
    Palette global_{};
    std::vector<uint32_t> shown_;   // the colour of every frame pixel on the canvas
    std::vector<uint8_t> changed_;  // 1 where this frame changes the canvas
    std::vector<uint8_t> frameRow_;  // one row of the rectangle, before scaling
    std::vector<uint8_t> line_;    // one scaled row of the rectangle
    std::string error_;
};
