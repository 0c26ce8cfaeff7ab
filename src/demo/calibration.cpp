// The calibration screen: a click and a small square once a second.
#include "demo/calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/clock.h"
#include "core/display.h"
#include "platform/platform.h"
#include "show/music_clock.h"
#include "show/timing_log.h"

namespace {

constexpr int kSquare = 24;             // pixels a side: 0.75% of the frame
constexpr double kShownSeconds = 0.1;   // at the start of every second
constexpr double kClicksSeconds = 60.0;  // the clicks' length; then from the start again
constexpr double kStepMs = 5.0;
constexpr double kLongestOffsetMs = 1000.0;
constexpr uint8_t kWhite = 255;

struct Calibration {
    uint32_t stream = 0;
    double offsetMs = 0.0;
    float startTime = 0.0f;     // clock seconds at the clicks' second 0
    double lastPassAt = -1.0;   // monotonic, the latest pass that followed the clicks
};

void setCalibrationPalette() {
    Palette palette{};
    for (int c = 0; c < 3; ++c) palette.rgb[kWhite * 3 + c] = 255;
    setPalette(&palette);
}

void showOffset(const Calibration& c) {
    char title[96];
    std::snprintf(title, sizeof title, "Dorminax - audio offset %+.0f ms - Left, Right: move",
                  c.offsetMs);
    platform::setWindowTitle(title);
}

void startClicks(Calibration& c) {
    c.startTime = clockSeconds();
    if (c.stream != 0) platform::audioStreamPlay(c.stream, 0.0);
}

// False once quit.
bool answerMessages(Calibration& c) {
    platform::Message message;
    while (platform::pollMessage(message)) {
        if (message.type == platform::MessageType::Close ||
            message.type == platform::MessageType::Destroy)
            return false;
        if (message.type != platform::MessageType::KeyUp) continue;
        if (message.key == platform::kKeyEscape) return false;
        const double step = message.key == platform::kKeyRight  ? kStepMs
                            : message.key == platform::kKeyLeft ? -kStepMs
                                                                : 0.0;
        c.offsetMs = std::clamp(c.offsetMs + step, -kLongestOffsetMs, kLongestOffsetMs);
        if (step != 0.0) showOffset(c);
    }
    return true;
}

// The picture's clock kept with the clicks as heard, as the show's is with the music.
void followTheClicks(Calibration& c, double seconds) {
    const double now = monotonicSeconds();
    const double elapsed = c.lastPassAt < 0.0 ? 0.0 : now - c.lastPassAt;
    c.lastPassAt = -1.0;
    const double heard = c.stream != 0 ? platform::audioStreamPosition(c.stream) : -1.0;
    if (heard < 0.0) return;
    c.lastPassAt = now;
    nudgeClock(clockCorrection(seconds - (heard - c.offsetMs / 1000.0), elapsed) * 1000.0);
}

}  // namespace

void drawCalibrationFrame(double seconds, uint8_t* frame) {
    clearFrame(frame, 0);
    const double inSecond = seconds - std::floor(seconds);
    if (!(seconds >= 0.0) || inSecond >= kShownSeconds) return;  // NaN too
    const int left = (kFrameWidth - kSquare) / 2, top = (kFrameHeight - kSquare) / 2;
    for (int y = top; y < top + kSquare; ++y)
        std::fill(frame + y * kFrameWidth + left, frame + y * kFrameWidth + left + kSquare, kWhite);
}

namespace {

// At file level: in a browser the loop goes on after runCalibration has returned.
Calibration calibration;

bool calibrationPass() {
    Calibration& c = calibration;
    if (!answerMessages(c)) return false;
    double seconds = clockSeconds() - c.startTime;
    if (seconds >= kClicksSeconds) {
        startClicks(c);
        seconds = 0.0;
    }
    followTheClicks(c, seconds);
    drawCalibrationFrame(clockSeconds() - c.startTime, FrameBuffer);
    presentFrame(FrameBuffer);
    showPaletteChange();
    return true;
}

void endCalibration() {
    Calibration& c = calibration;
    closeDisplay();
    if (c.stream != 0) {
        platform::audioStreamFree(c.stream);
        platform::audioFree();
    }
    std::printf("audio offset: %.0f ms (play with --audio-offset %.0f)\n", c.offsetMs, c.offsetMs);
    std::fflush(stdout);
}

}  // namespace

int runCalibration(const DemoOptions& options) {
    const bool windowed = options.mode != DemoOptions::Mode::FullScreen;
    if (!openDisplay(windowed, options.windowScale)) return 1;
    Calibration& c = calibration;
    c = Calibration{};
    c.offsetMs = options.audioOffsetMs;
    if (platform::audioInit()) c.stream = platform::audioStreamCreateClicks();
    if (c.stream == 0) std::fputs("calibration: no clicks can be played here\n", stderr);
    setCalibrationPalette();
    showOffset(c);
    startClicks(c);
    platform::runMainLoop(calibrationPass, endCalibration);
    return 0;
}

double calibrationOffsetMs() { return calibration.offsetMs; }
