// The synthesizer's building blocks: oscillators, noise, envelopes and the resonant filter.
#pragma once

#include <cstdint>

#include "pi.h"

constexpr int kSampleRate = 44100;
constexpr float kSampleRateF = 44100.0f;

// The frequency of a MIDI note number (69 = A4 = 440 Hz; fractions detune).
float noteFrequency(float note);

// A phase running from 0 to 1 once per cycle; the waveforms below read it.
struct Oscillator {
    float phase = 0.0f;
    float increment = 0.0f;  // cycles per sample

    // Frequencies outside 0 .. 0.45 x sample rate are clamped, so the waveforms stay
    // band-limited and the phase never runs backwards.
    void setFrequency(float hz);
    void advance() {
        phase += increment;
        if (phase >= 1.0f) phase -= 1.0f;
    }
};

// Band-limited sawtooth, -1 .. 1 (polyBLEP smooths the step, so high notes do not alias).
float sawWave(const Oscillator& oscillator);
// Band-limited pulse, -1 .. 1, high for `width` of the cycle (0.5 = square).
float pulseWave(const Oscillator& oscillator, float width);
float sineWave(const Oscillator& oscillator);

// White noise from a fixed seed: the same sequence on every run.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    float next();  // -1 .. 1
};

// Attack, decay, sustain, release. The attack rises in a straight line; decay and release
// fall along exponential curves aimed a little past their end level, so they sound natural
// yet arrive in exactly the time they were given.
class Envelope {
public:
    enum class Stage { Idle, Attack, Decay, Sustain, Release };

    Envelope(float attackSeconds, float decaySeconds, float sustainLevel, float releaseSeconds);
    void noteOn() { stage_ = Stage::Attack; }  // rises from wherever it is: no click
    void noteOff();
    float next();
    float level() const { return level_; }
    Stage stage() const { return stage_; }

private:
    float attackStep_;
    float sustain_;
    float decayCoefficient_, decayTarget_;
    float releaseCoefficient_, releaseTarget_;
    float level_ = 0.0f;
    Stage stage_ = Stage::Idle;
};

// One exponential fall per sample from 1 toward 0: `seconds` is the time to fall by 60 dB.
float decayFactor(float seconds);

// Soft saturation: linear near 0, bends smoothly towards +-1 and never passes it.
float saturate(float x);

// Resonant two-pole state-variable filter in the trapezoidal (zero-delay feedback) form,
// which stays stable for every cutoff below Nyquist and every damping above zero; the
// setters clamp their inputs into that range, NaN included.
class ResonantFilter {
public:
    struct Outputs {
        float lowPass, bandPass, highPass;
    };

    ResonantFilter() { setCutoff(1000.0f, 0.0f); }
    // resonance 0 = gentle, 1 = at the edge of self-oscillation.
    void setCutoff(float hz, float resonance);
    Outputs process(float input);
    float lowPass(float input) { return process(input).lowPass; }

private:
    float g_ = 0.1f, k_ = 1.4f, a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f;
    float state1_ = 0.0f, state2_ = 0.0f;
};

// A one-pole low-pass for smoothing and damping.
struct OnePole {
    float coefficient = 1.0f;
    float state = 0.0f;
    void setCutoff(float hz);
    float process(float input) {
        state += coefficient * (input - state);
        return state;
    }
};
