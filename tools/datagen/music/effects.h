// The mix's shared effects: a ping-pong delay, a small room reverb and the master limiter.
#pragma once

#include <vector>

#include "music/dsp.h"

struct StereoSample {
    float left, right;
};

// A circular delay line of fixed length, allocated once.
class DelayLine {
public:
    explicit DelayLine(int length) : buffer_(length > 0 ? length : 1, 0.0f) {}
    float read() const { return buffer_[position_]; }  // the sample written `length` ago
    void write(float value) {
        buffer_[position_] = value;
        if (++position_ == static_cast<int>(buffer_.size())) position_ = 0;
    }

private:
    std::vector<float> buffer_;
    int position_ = 0;
};

// Echoes that bounce left, right, left..., each darker and quieter than the last.
class PingPongDelay {
public:
    PingPongDelay(float delaySeconds, float feedback, float dampingHz);
    StereoSample process(float input);

private:
    DelayLine left_, right_;
    float feedback_;
    OnePole dampLeft_, dampRight_;
};

// A Schroeder-Moorer reverb: parallel damped combs into series all-passes, with slightly
// different lengths on each side for width.
class Reverb {
public:
    Reverb(float roomSize, float damping);
    StereoSample process(float input);

private:
    struct Comb {
        DelayLine line;
        float filterState = 0.0f;
    };
    struct Side {
        std::vector<Comb> combs;
        std::vector<DelayLine> allPasses;
    };
    float processSide(Side& side, float input);

    Side left_, right_;
    float feedback_;
    float damping_;
};

// The master limiter: gain falls at once to hold peaks at `threshold` and recovers over
// `releaseSeconds`; a soft knee above `kneeStart` then rounds what remains, so the output
// never passes `ceiling` whatever comes in. Non-finite input is taken as silence.
class Limiter {
public:
    Limiter(float threshold, float kneeStart, float ceiling, float releaseSeconds);
    StereoSample process(StereoSample input);

private:
    float softKnee(float x) const;

    float threshold_, kneeStart_, ceiling_;
    float release_;
    float gain_ = 1.0f;
};
