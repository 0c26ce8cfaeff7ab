// The sequencer's mixer: plays every track of a song and mixes it down to stereo.
#include "music/mixer.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "music/dsp.h"
#include "music/effects.h"
#include "music/instruments.h"

namespace {

// Curves are read once per block and ramped in between.
constexpr int kBlock = 64;

// How deep and how long the mix dips under a kick.
constexpr float kDuckDepth = 0.5f;
constexpr float kDuckSeconds = 0.22f;

// The buses every track feeds: the dry mix and the mono sends to the shared effects.
struct Buses {
    std::vector<float> left, right, delay, reverb;
    explicit Buses(int frames)
        : left(frames, 0.0f), right(frames, 0.0f), delay(frames, 0.0f), reverb(frames, 0.0f) {}
};

// The gain under the kicks: 1 between them, dipping at each kick and recovering.
std::vector<float> kickDucking(const Song& song, int frames) {
    std::vector<float> dip(frames, 0.0f);
    const float recovery = decayFactor(kDuckSeconds);
    for (const Track& track : song.tracks) {
        if (track.instrument != Instrument::Kick) continue;
        for (const Note& kick : track.notes) {
            const int begin = truncToInt(kick.start * kSampleRate + 0.5);
            float depth = kDuckDepth * kick.velocity;
            for (int i = std::max(begin, 0); i < frames && depth > 0.001f; ++i) {
                dip[i] = std::max(dip[i], depth);
                depth *= recovery;
            }
        }
    }
    for (float& gain : dip) gain = 1.0f - gain;
    return dip;
}

// Constant-power panning: the same loudness anywhere from left to right.
void panGains(float pan, float& left, float& right) {
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * kPiFloat;
    left = std::cos(angle) * std::sqrt(2.0f);
    right = std::sin(angle) * std::sqrt(2.0f);
}

void mixTrack(const Track& track, const StereoBuffer& sound, const std::vector<float>& ducking,
              Buses& buses) {
    float panLeft, panRight;
    panGains(track.pan, panLeft, panRight);
    const int frames = sound.frames();
    for (int block = 0; block < frames; block += kBlock) {
        const int blockEnd = std::min(block + kBlock, frames);
        const float from = track.gain * track.level.valueAt(block / kSampleRateF);
        const float to = track.gain * track.level.valueAt(blockEnd / kSampleRateF);
        const float step = (to - from) / kBlock;
        for (int i = block; i < blockEnd; ++i) {
            float gain = from + step * (i - block);
            if (track.duckedByKick) gain *= ducking[i];
            const float left = sound.left[i] * gain;
            const float right = sound.right[i] * gain;
            buses.left[i] += left * panLeft;
            buses.right[i] += right * panRight;
            const float mono = 0.5f * (left + right);
            buses.delay[i] += mono * track.delaySend;
            buses.reverb[i] += mono * track.reverbSend;
        }
    }
}

// The delay's echoes also go into the reverb, so they sit in the same space.
void addEffectReturns(Buses& buses) {
    PingPongDelay delay(0.375f, 0.42f, 3500.0f);  // a dotted eighth at 120 BPM
    Reverb reverb(0.8f, 0.35f);
    const int frames = static_cast<int>(buses.left.size());
    for (int i = 0; i < frames; ++i) {
        const StereoSample echo = delay.process(buses.delay[i]);
        const StereoSample room = reverb.process(buses.reverb[i] + 0.3f * (echo.left + echo.right));
        buses.left[i] += 0.6f * echo.left + room.left;
        buses.right[i] += 0.6f * echo.right + room.right;
    }
}

std::vector<float> masterOutput(const Song& song, const Buses& buses) {
    Limiter limiter(0.75f, 0.65f, kMasterCeiling, 0.15f);
    const int frames = static_cast<int>(buses.left.size());
    std::vector<float> output(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const float level = song.masterLevel.valueAt(i / kSampleRateF);
        const StereoSample out = limiter.process({buses.left[i] * level, buses.right[i] * level});
        output[2 * size_t(i)] = out.left;
        output[2 * size_t(i) + 1] = out.right;
    }
    return output;
}

constexpr uint32_t kFirstNoteSeed = 1;

}  // namespace

std::vector<float> renderSong(const Song& song) {
    const int frames = std::max(0, truncToInt(song.seconds * kSampleRateF));
    Buses buses(frames);
    const std::vector<float> ducking = kickDucking(song, frames);
    StereoBuffer sound(frames);
    // Every note its own seed, counted up from the first through the whole song, so that
    // no two notes share their noise or their oscillators' start phases.
    uint32_t seed = kFirstNoteSeed;
    for (const Track& track : song.tracks) {
        std::fill(sound.left.begin(), sound.left.end(), 0.0f);
        std::fill(sound.right.begin(), sound.right.end(), 0.0f);
        for (const Note& note : track.notes)
            renderNote(track.instrument, note, track.brightness, seed++, sound);
        mixTrack(track, sound, ducking, buses);
    }
    addEffectReturns(buses);
    return masterOutput(song, buses);
}
