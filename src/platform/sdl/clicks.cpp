// A minute of clicks as a WAV file in memory.
#include "platform/sdl/clicks.h"

#include <cmath>

namespace {

constexpr int kRate = 22050;
constexpr int kSeconds = 60;
constexpr int kClickSamples = kRate / 100;  // 10 ms: short, and clearly heard
constexpr double kPi = 3.14159265358979323846;

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

void putText(std::vector<uint8_t>& out, const char* text) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(text[i]));
}

}  // namespace

std::vector<uint8_t> clicksWave() {
    const uint32_t dataBytes = uint32_t(kRate) * kSeconds * 2;
    std::vector<uint8_t> wave;
    wave.reserve(44 + dataBytes);
    putText(wave, "RIFF");
    put32(wave, 36 + dataBytes);
    putText(wave, "WAVE");
    putText(wave, "fmt ");
    put32(wave, 16);
    put16(wave, 1);  // PCM
    put16(wave, 1);  // mono
    put32(wave, kRate);
    put32(wave, kRate * 2);
    put16(wave, 2);
    put16(wave, 16);
    putText(wave, "data");
    put32(wave, dataBytes);
    for (int i = 0; i < kRate * kSeconds; ++i) {
        const int inClick = i % kRate;
        double sample = 0.0;
        // A 2 kHz tone under a falling envelope: its start is sharp, to the sample.
        if (inClick < kClickSamples)
            sample = 0.5 * std::sin(2.0 * kPi * 2000.0 * inClick / kRate) *
                     (1.0 - double(inClick) / kClickSamples);
        put16(wave, uint16_t(int16_t(std::lround(sample * 32767.0))));
    }
    return wave;
}
