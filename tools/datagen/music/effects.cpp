// The mix's shared effects: a ping-pong delay, a small room reverb and the master limiter.
#include "music/effects.h"

#include <cmath>

#include "core/numeric.h"

namespace {

// Comb and all-pass lengths in samples at 44.1 kHz: mutually prime-ish so their echoes
// do not pile up into a pitch. The right side is 23 samples longer for width.
constexpr int kCombLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllPassLengths[] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr float kReverbInputGain = 0.015f;

float finiteOrSilence(float x) { return isFiniteValue(x) ? x : 0.0f; }

}  // namespace

PingPongDelay::PingPongDelay(float delaySeconds, float feedback, float dampingHz)
    : left_(truncToInt(delaySeconds * kSampleRateF + 0.5f)),
      right_(truncToInt(delaySeconds * kSampleRateF + 0.5f)),
      feedback_(feedback) {
    dampLeft_.setCutoff(dampingHz);
    dampRight_.setCutoff(dampingHz);
}

StereoSample PingPongDelay::process(float input) {
    const float left = left_.read();
    const float right = right_.read();
    // The input enters on the left; each echo crosses to the other side.
    left_.write(input + feedback_ * dampRight_.process(right));
    right_.write(feedback_ * dampLeft_.process(left));
    return {left, right};
}

Reverb::Reverb(float roomSize, float damping)
    : feedback_(0.7f + 0.28f * roomSize), damping_(damping) {
    for (int spread : {0, kStereoSpread}) {
        Side& side = spread == 0 ? left_ : right_;
        for (int length : kCombLengths) side.combs.push_back({DelayLine(length + spread)});
        for (int length : kAllPassLengths) side.allPasses.emplace_back(length + spread);
    }
}

float Reverb::processSide(Side& side, float input) {
    float sum = 0.0f;
    for (Comb& comb : side.combs) {
        const float delayed = comb.line.read();
        comb.filterState = delayed + damping_ * (comb.filterState - delayed);
        comb.line.write(input + feedback_ * comb.filterState);
        sum += delayed;
    }
    for (DelayLine& allPass : side.allPasses) {
        const float delayed = allPass.read();
        allPass.write(sum + 0.5f * delayed);
        sum = delayed - sum;
    }
    return sum;
}

StereoSample Reverb::process(float input) {
    const float scaled = input * kReverbInputGain;
    return {processSide(left_, scaled), processSide(right_, scaled)};
}

Limiter::Limiter(float threshold, float kneeStart, float ceiling, float releaseSeconds)
    : threshold_(threshold), kneeStart_(kneeStart), ceiling_(ceiling),
      release_(1.0f - decayFactor(releaseSeconds)) {}

float Limiter::softKnee(float x) const {
    const float magnitude = std::fabs(x);
    if (magnitude <= kneeStart_) return x;
    const float range = ceiling_ - kneeStart_;
    const float bent = kneeStart_ + range * std::tanh((magnitude - kneeStart_) / range);
    return x < 0.0f ? -bent : bent;
}

StereoSample Limiter::process(StereoSample input) {
    const float left = finiteOrSilence(input.left);
    const float right = finiteOrSilence(input.right);
    gain_ += (1.0f - gain_) * release_;
    const float peak = std::fmax(std::fabs(left), std::fabs(right));
    if (peak * gain_ > threshold_) gain_ = threshold_ / peak;
    return {softKnee(left * gain_), softKnee(right * gain_)};
}
