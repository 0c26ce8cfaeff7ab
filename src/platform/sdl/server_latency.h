// The sound server's latency for this program's playback stream: how much of what SDL
// has handed over is still to be heard. Asked for a few times a second on a thread of
// its own; a backend without a server it can ask reports nothing known.
#pragma once

#include <atomic>
#include <cstdint>

struct ServerLatency {
    bool known = false;
    int64_t framesHanded = 0;    // the mixed-frame count when the server answered
    double seconds = 0.0;        // what the server held then, to be played
    double at = 0.0;             // when it answered (steady clock, seconds)
    uint32_t generation = 0;     // the count's generation it belongs to
};

// Starts asking (the count and its generation are read when each answer comes).
void startServerLatency(const std::atomic<int64_t>* mixedFrames,
                        const std::atomic<uint32_t>* generation);
ServerLatency serverLatency();
void stopServerLatency();
