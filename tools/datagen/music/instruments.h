// The instruments: each renders one note into a track's stereo buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "music/score.h"

// A whole track's worth of stereo samples.
struct StereoBuffer {
    std::vector<float> left, right;
    explicit StereoBuffer(int frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    int frames() const { return static_cast<int>(left.size()); }
};

// Adds the note, from its start to the end of its release, into the buffer (anything past
// the buffer's end is dropped). `seed` sets the noise and the oscillators' start phases.
void renderNote(Instrument instrument, const Note& note, const Curve& brightness,
                uint32_t seed, StereoBuffer& out);
