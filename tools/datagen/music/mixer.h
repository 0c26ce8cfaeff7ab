// The sequencer's mixer: plays every track of a song and mixes it down to stereo.
#pragma once

#include <vector>

#include "music/score.h"

// The master bus never goes above this (-1.9 dBFS), leaving the encoder room for the
// small overshoots that lossy coding adds.
constexpr float kMasterCeiling = 0.8f;

// Renders the song at 44,100 Hz: each track's notes into a buffer, then gain, pan and
// ducking into the mix and the effect sends, the delay and reverb returns, and the master
// limiter. Returns interleaved stereo samples (left, right, left, ...).
std::vector<float> renderSong(const Song& song);
