// The demo's music, "demotuin.ogg": rendered by the synthesizer, encoded as Ogg Vorbis.
#pragma once

#include <cstdint>
#include <vector>

// The Vorbis quality the track is encoded at (0 = smallest .. 1 = best).
constexpr float kSoundtrackQuality = 0.5f;

// The whole soundtrack at 44,100 Hz, interleaved stereo.
std::vector<float> renderSoundtrack();

// Encodes interleaved stereo samples at 44,100 Hz as an Ogg Vorbis stream in memory.
// Deterministic: the stream's serial number is fixed, so the same samples always give the
// same bytes. Empty when the quality is outside -0.1 .. 1 or the encoder refuses it.
std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& interleavedStereo,
                                     float quality);
