// What the gentle show does to the picture, measured over the whole show at 60 frames a
// second. The limiter changes only the colours, so each frame is measured twice: in the
// palette drawn (the default show) and in the colours shown. Over the spans where the
// limiter acts it prints the mean relative luminance of the darkest tenth of the pixels,
// drawn and shown, and the largest frame-to-frame jump of a region's mean luminance that
// the limiter itself adds (the change shown less the change drawn).
//
// usage: dorminax-gentle-measure [--data DIR] [--until SECONDS] [--list] [--trace FROM TO]
// (--list: every frame whose added jump exceeds 0.05, region by region; --trace: every
// frame from FROM to TO seconds, the limiter's choice and the light drawn and shown)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/display.h"
#include "safety/flash_limiter.h"
#include "safety/frame_light.h"
#include "safety/gentle_limiter.h"
#include "show/simulated_show.h"
#include "show/timeline.h"

namespace {

constexpr double kFps = 60.0;
constexpr double kSpanGap = 0.5;  // acting frames closer than this make one span
constexpr double kJumpLimit = 0.05;

// The mean relative luminance of the darkest tenth of the frame's pixels in a palette.
double darkestTenth(const uint8_t* frame, const Palette& palette) {
    long count[256] = {};
    for (int i = 0; i < kFrameSize; ++i) ++count[frame[i]];
    std::vector<std::pair<float, int>> order;
    for (int c = 0; c < 256; ++c) {
        if (count[c] == 0) continue;
        const uint8_t* rgb = &palette.rgb[c * 3];
        order.push_back({relativeLuminance(rgb[0], rgb[1], rgb[2]), c});
    }
    std::sort(order.begin(), order.end());
    long wanted = kFrameSize / 10;
    double sum = 0.0;
    for (const auto& [luminance, c] : order) {
        const long taken = std::min(wanted, count[c]);
        sum += double(luminance) * taken;
        wanted -= taken;
        if (wanted == 0) break;
    }
    return sum / (kFrameSize / 10);
}

// One frame's line of --trace: the limiter's contrast and lift, the whole frame's light
// drawn and shown, the darkest tenth drawn and shown, the added jump, and each window's
// light shown.
void trace(double t, const uint8_t* frame, const Palette& drawn, const Palette& shown,
           double jump) {
    const FrameLight drawnLight = lightInPalette(frame, drawn);
    const FrameLight shownLight = lightInPalette(frame, shown);
    std::printf("%.3f s scene %d  k %.3f b %.3f  light %.3f drawn %.3f shown  darkest tenth "
                "%.3f drawn %.3f shown  added jump %.3f |",
                t, currentScene + 1, gentleLimiter().contrast(), gentleLimiter().lift(),
                drawnLight.luminance[0], shownLight.luminance[0], darkestTenth(frame, drawn),
                darkestTenth(frame, shown), jump);
    for (int r = 1; r < kLightRegionCount; ++r) std::printf(" %.2f", shownLight.luminance[r]);
    std::printf("\n");
}

struct Span {
    double from = 0.0, to = 0.0;
    long frames = 0;
    double darkDrawn = 0.0, darkShown = 0.0;  // sums over the frames
    double jump = 0.0, jumpAt = 0.0;
    long jumpsOver = 0;  // frames whose added jump exceeds kJumpLimit
};

void print(const char* name, const Span& s) {
    std::printf("%-14s %7.2f-%.2f s  %5ld frames  darkest tenth %.3f drawn, %.3f shown  "
                "largest added jump %.3f at %.2f s (%ld over %.2f)\n",
                name, s.from, s.to, s.frames, s.darkDrawn / std::max(s.frames, 1L),
                s.darkShown / std::max(s.frames, 1L), s.jump, s.jumpAt, s.jumpsOver, kJumpLimit);
}

void add(Span& total, const Span& s) {
    if (total.frames == 0) total.from = s.from;
    total.to = s.to;
    total.frames += s.frames;
    total.darkDrawn += s.darkDrawn;
    total.darkShown += s.darkShown;
    total.jumpsOver += s.jumpsOver;
    if (s.jump > total.jump) {
        total.jump = s.jump;
        total.jumpAt = s.jumpAt;
    }
}

}  // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    options.gentle = true;
    options.mode = DemoOptions::Mode::Window;
    double until = 184.0;
    bool list = false;
    double traceFrom = 0.0, traceTo = -1.0;
    for (int i = 1; i < argc; ++i) {
        const bool one = i + 1 < argc, two = i + 2 < argc;
        if (!std::strcmp(argv[i], "--list")) list = true;
        else if (one && !std::strcmp(argv[i], "--data")) options.dataFolder = argv[++i];
        else if (one && !std::strcmp(argv[i], "--until")) until = std::atof(argv[++i]);
        else if (two && !std::strcmp(argv[i], "--trace")) {
            traceFrom = std::atof(argv[++i]);
            traceTo = std::atof(argv[++i]);
        }
    }
    SimulatedShow show(kFps);
    if (!show.start(options)) return 1;

    std::vector<Span> spans;
    FrameLight lastShown = {}, lastDrawn = {};
    bool lastActed = false;
    double burnEnd = 0.0, brightestBefore = 0.0, brightestAt = 0.0;
    for (show.step(); show.lastFrameSeconds() < until; show.step()) {
        const double t = show.lastFrameSeconds();
        const uint8_t* frame = frameOnScreen();
        const Palette& drawn = currentPalette();
        const Palette& shown = paletteOnScreen();
        const FrameLight drawnLight = lightInPalette(frame, drawn);
        const FrameLight shownLight = lightInPalette(frame, shown);
        if (t == 0.0) lastShown = shownLight, lastDrawn = drawnLight;
        if (currentScene == 0 && t >= 29.0) {
            burnEnd = std::max(burnEnd, double(shownLight.luminance[0]));
        } else if (currentScene == 0 && shownLight.luminance[0] > brightestBefore) {
            brightestBefore = shownLight.luminance[0];
            brightestAt = t;
        }
        double jump = 0.0;
        for (int r = 0; r < kLightRegionCount; ++r) {
            const double shownChange = shownLight.luminance[r] - lastShown.luminance[r];
            const double drawnChange = drawnLight.luminance[r] - lastDrawn.luminance[r];
            const double added = shownChange * drawnChange < 0
                                     ? std::fabs(shownChange)
                                     : std::fabs(shownChange) - std::fabs(drawnChange);
            jump = std::max(jump, added);
            if (list && added > kJumpLimit)
                std::printf("  %.3f s region %d: shown %+.3f, drawn %+.3f\n", t, r, shownChange,
                            drawnChange);
        }
        if (t >= traceFrom && t <= traceTo) trace(t, frame, drawn, shown, jump);
        lastShown = shownLight;
        lastDrawn = drawnLight;
        const bool acts = std::memcmp(drawn.rgb, shown.rgb, sizeof drawn.rgb) != 0;
        if (acts || lastActed) {
            if (spans.empty() || t - spans.back().to > kSpanGap) spans.push_back({t, t});
            Span& s = spans.back();
            s.to = t;
            ++s.frames;
            s.darkDrawn += darkestTenth(frame, drawn);
            s.darkShown += darkestTenth(frame, shown);
            if (jump > s.jump) {
                s.jump = jump;
                s.jumpAt = t;
            }
            if (jump > kJumpLimit) ++s.jumpsOver;
        }
        lastActed = acts;
    }
    show.finish();

    Span total;
    for (const Span& s : spans) {
        print("span", s);
        add(total, s);
    }
    print("all spans", total);
    std::printf("scene 1's burn: brightest frame from 29 s %.3f, before %.3f at %.2f s "
                "(whole frame's mean)\n", burnEnd, brightestBefore, brightestAt);
    return 0;
}
