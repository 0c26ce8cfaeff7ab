// The frames on their way from the show to the encoder. The show's thread plays a frame
// and its stretch of music into a free slot while the encoding thread works on the one
// before: the two run side by side, a few frames apart at most. Every slot is made once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/frame_format.h"

struct QueuedFrame {
    uint8_t indices[kFrameSize];
    Palette palette;
    std::vector<float> samples;  // the music up to the next frame, interleaved
    int sampleFrames = 0;
};

class FrameQueue {
public:
    // `samples`: room in each slot for that many interleaved samples.
    FrameQueue(int slots, size_t samples);

    // The show's side: a free slot to fill (waiting for one), then hands it over. Null
    // once the encoder has stopped.
    QueuedFrame* claim();
    void publish();
    // No more frames will come.
    void close();

    // The encoder's side: the oldest frame handed over (waiting for one), then gives its
    // slot back. Null once the queue is closed and empty.
    QueuedFrame* next();
    void release();
    // The encoder stops: the show's side gets no more slots.
    void abandon();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<QueuedFrame> slots_;
    size_t oldest_ = 0;  // the slot the encoder works on or takes next
    size_t filled_ = 0;  // slots handed over and not given back
    bool closed_ = false;
    bool abandoned_ = false;
};
