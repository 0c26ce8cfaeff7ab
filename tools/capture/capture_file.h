// What a capture writes into, one frame after another: a video with the show's sound
// (video_file.h) or an animated GIF (gif_file.h).
#pragma once

#include <cstdint>
#include <string>

#include "core/frame_format.h"

class CaptureFile {
public:
    virtual ~CaptureFile() = default;

    // The next frame: 320x240 palette indices shown in the palette.
    virtual bool writeVideoFrame(const uint8_t* indices, const Palette& palette) = 0;

    // The next stretch of sound: sample frames of interleaved samples in -1..1 at the
    // music's rate and channel count. A file without sound takes none.
    virtual bool writeAudio(const float* interleaved, int frames) = 0;

    // Empties the encoders and completes the file.
    virtual bool finish() = 0;

    // Why the last call failed. Errors do not name the file, which may be a temporary one.
    virtual const std::string& error() const = 0;
};
