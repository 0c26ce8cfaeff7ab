// What the gentle show does to the picture, measured over the whole show at 60 frames a
// second. The limiter changes only the colours, so each frame is measured twice: in the
// palette drawn (the default show) and in the colours shown. Over the spans where the
// limiter acts it prints the mean relative luminance of the darkest tenth of the pixels,
// drawn and shown, and the largest frame-to-frame jump of a region's mean luminance that
// the limiter itself adds (the change shown less the change drawn).
//
// usage: dorminax-gentle-measure [--data DIR] [--until SECONDS] [--list]
// (--list: every frame whose added jump exceeds 0.05, region by region)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/display.h"
#include "safety/frame_light.h"
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
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--list")) list = true;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--data")) options.dataFolder = argv[i + 1];
        else if (!std::strcmp(argv[i], "--until")) until = std::atof(argv[i + 1]);
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
        if (currentScene == 0) {
            if (t < 29.0 && shownLight.luminance[0] > brightestBefore) {
                brightestBefore = shownLight.luminance[0];
                brightestAt = t;
            }
            else burnEnd = std::max(burnEnd, double(shownLight.luminance[0]));
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
