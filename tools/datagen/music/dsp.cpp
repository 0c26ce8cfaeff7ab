// The synthesizer's building blocks: oscillators, noise, envelopes and the resonant filter.
#include "music/dsp.h"

#include <cmath>

namespace {

// How far past their end level decay and release aim: small values give long, curved
// tails; this one sounds like an analogue envelope while still arriving on time.
constexpr float kEnvelopeOvershoot = 0.01f;

// The polyBLEP residual: a two-sample polynomial that rounds off a unit step at phase 0.
float polyBlep(float phase, float increment) {
    if (phase < increment) {
        const float t = phase / increment;
        return t + t - t * t - 1.0f;
    }
    if (phase > 1.0f - increment) {
        const float t = (phase - 1.0f) / increment;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

float samplesFor(float seconds) {
    const float samples = seconds * kSampleRateF;
    return samples >= 1.0f ? samples : 1.0f;  // NaN and zero times become one sample
}

// The coefficient that carries an exponential from `distanceStart` to `distanceEnd` away
// from its target in the given number of samples.
float exponentialCoefficient(float distanceStart, float distanceEnd, float samples) {
    return std::exp(-std::log(distanceStart / distanceEnd) / samples);
}

}  // namespace

float noteFrequency(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }

void Oscillator::setFrequency(float hz) {
    float step = hz / kSampleRateF;
    if (!(step >= 0.0f)) step = 0.0f;
    if (step > 0.45f) step = 0.45f;
    increment = step;
}

float sawWave(const Oscillator& o) {
    return 2.0f * o.phase - 1.0f - polyBlep(o.phase, o.increment);
}

float pulseWave(const Oscillator& o, float width) {
    float shifted = o.phase + 1.0f - width;
    if (shifted >= 1.0f) shifted -= 1.0f;
    const float naive = o.phase < width ? 1.0f : -1.0f;
    return naive + polyBlep(o.phase, o.increment) - polyBlep(shifted, o.increment);
}

float sineWave(const Oscillator& o) { return std::sin(2.0f * kPiFloat * o.phase); }

float Noise::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

Envelope::Envelope(float attackSeconds, float decaySeconds, float sustainLevel,
                   float releaseSeconds) {
    sustain_ = sustainLevel >= 0.0f ? (sustainLevel <= 1.0f ? sustainLevel : 1.0f) : 0.0f;
    attackStep_ = 1.0f / samplesFor(attackSeconds);
    decayTarget_ = sustain_ - kEnvelopeOvershoot;
    decayCoefficient_ = exponentialCoefficient(1.0f - decayTarget_, kEnvelopeOvershoot,
                                               samplesFor(decaySeconds));
    releaseTarget_ = -kEnvelopeOvershoot;
    releaseCoefficient_ = exponentialCoefficient(1.0f + kEnvelopeOvershoot,
                                                 kEnvelopeOvershoot, samplesFor(releaseSeconds));
}

void Envelope::noteOff() {
    if (stage_ != Stage::Idle) stage_ = Stage::Release;
}

float Envelope::next() {
    switch (stage_) {
    case Stage::Idle:
    case Stage::Sustain:
        break;
    case Stage::Attack:
        level_ += attackStep_;
        if (level_ >= 1.0f) {
            level_ = 1.0f;
            stage_ = Stage::Decay;
        }
        break;
    case Stage::Decay:
        level_ = decayTarget_ + (level_ - decayTarget_) * decayCoefficient_;
        if (level_ <= sustain_) {
            level_ = sustain_;
            stage_ = Stage::Sustain;
        }
        break;
    case Stage::Release:
        level_ = releaseTarget_ + (level_ - releaseTarget_) * releaseCoefficient_;
        if (level_ <= 0.0f) {
            level_ = 0.0f;
            stage_ = Stage::Idle;
        }
        break;
    }
    return level_;
}

float decayFactor(float seconds) { return std::exp(-6.9077553f / samplesFor(seconds)); }

float saturate(float x) {
    if (x >= 3.0f) return 1.0f;
    if (x <= -3.0f) return -1.0f;
    const float x2 = x * x;
    return x * (27.0f + x2) / (27.0f + 9.0f * x2);  // a rational tanh, exact at +-3
}

void ResonantFilter::setCutoff(float hz, float resonance) {
    constexpr float kLowest = 10.0f;
    constexpr float kHighest = 0.45f * kSampleRateF;
    if (!(hz >= kLowest)) hz = kLowest;
    if (hz > kHighest) hz = kHighest;
    if (!(resonance >= 0.0f)) resonance = 0.0f;
    if (resonance > 1.0f) resonance = 1.0f;
    g_ = std::tan(kPiFloat * hz / kSampleRateF);
    k_ = 2.0f - 1.96f * resonance;  // damping never reaches 0: the filter cannot run away
    a1_ = 1.0f / (1.0f + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

ResonantFilter::Outputs ResonantFilter::process(float input) {
    const float v3 = input - state2_;
    const float v1 = a1_ * state1_ + a2_ * v3;
    const float v2 = state2_ + a2_ * state1_ + a3_ * v3;
    state1_ = 2.0f * v1 - state1_;
    state2_ = 2.0f * v2 - state2_;
    return {v2, v1, input - k_ * v1 - v2};
}

void OnePole::setCutoff(float hz) {
    coefficient = 1.0f - std::exp(-2.0f * kPiFloat * hz / kSampleRateF);
}
