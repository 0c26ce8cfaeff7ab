// The gentle mode's flash limiter. It watches the light of the pictures on their way to the
// screen, region by region, with the flash meter's own detectors, and lets each region
// make at most three transitions in any second (the guidelines warn from four and fail
// beyond six). When a picture would make one more, it is shown with less contrast: every
// colour, in linear light, is scaled and lifted,
//     shown = k x colour + b,   0 <= k <= 1, 0 <= b <= 1 - k,
// by the least lift b that keeps every region short of a transition (mostly none, so a
// softened picture is a dimmer one, its blacks still black), and at that lift the k
// nearest to a calm one, where the regions' light lies close together. The picture keeps
// its shapes and its motion; only its swing of light is smaller. k and b change by small
// steps a second where the budget allows, and k stays calm while a region held back lately
// goes on changing; a mostly white picture keeps its lift a while (a burn stays a burn).
// Where only a change at once keeps every region quiet, it is the one whose change of each
// region's light strays least from the drawing's own change.
// Every picture leaves a flat grey open that keeps the regions with no budget left quiet,
// so the next picture always has a quiet choice: shown flat in that grey if nothing softer.
// Once the flashing has passed, k climbs back to 1 (the picture exactly as drawn) at a
// unit a second. The frame's palette indices are never touched, so screenshots and
// captures show what the screen shows.
//
// Everything depends on the clock's seconds, not on frames: it holds at any frame rate.
#pragma once

#include <vector>

#include "core/frame_format.h"
#include "safety/flash_meter.h"
#include "safety/frame_light.h"

class FlashLimiter {
public:
    FlashLimiter();

    // Forgets every earlier picture: the next one is shown as it is.
    void reset();

    // The colours to show the frame in at the time: the palette itself while the light
    // changes gently, else a softened one. Once per presented picture, times never
    // decreasing (an earlier time starts afresh).
    void limit(const uint8_t* frame, const Palette& palette, double seconds, Palette& shown);

    // The colours of the last picture again, for a palette shown on a held picture: the
    // last choice of contrast and lift, the limiter's history untouched (a held picture
    // makes no transitions, and the time it is held is no time of the show's).
    void reapply(const Palette& palette, Palette& shown) const;

    // The contrast of the last picture: 1 when it was shown as drawn.
    double contrast() const { return contrast_; }
    // The lift of the last picture: 0 when its blacks were shown black.
    double lift() const { return lift_; }
    // The time of the last picture; 0 before the first.
    double lastSeconds() const { return started_ ? lastSeconds_ : 0.0; }

    // Its whole history set aside and put back, in this process or another of this
    // program (a seek's checkpoints are laid down in one).
    void keep(StateRecord& record) const;
    void restore(StateRecord& record);

private:
    struct Bounds {
        float low[kLightRegionCount];
        float high[kLightRegionCount];
    };
    Bounds quietBounds(const std::vector<TransitionCounter>& counters, double seconds,
                       float margin, int budget) const;
    double climbCap(const Bounds& bounds, double elapsed) const;
    double glowAt(double seconds) const;
    bool pressed(double seconds) const;
    struct Pressure {
        bool anticipate;  // the contrast goes calm ahead of need
        bool spent;       // a region has no transition left: the contrast may drop at once
        double glow;      // the least lift while the lift changes gradually
    };
    struct Choice {
        double k = 1.0;
        double b = 0.0;
        bool quiet = false;
    };
    // How a picture's contrast and lift may differ from the last one's.
    enum class Step {
        Gradual,    // by small steps, the lift no lower than the glow
        Steadiest,  // at once, by the least change of light of the limiter's own
        Sudden,     // at once, to the least lift
    };
    // climbStops: the bounds of the regions whose transitions stop the contrast's climb.
    Choice choose(const float* light, const Bounds& bounds, const Bounds& climbStops, double elapsed,
                  const Pressure& pressure, Step step) const;
    // How far the picture at contrast k and lift b changes a region's light beyond the
    // drawing's own change, at most.
    double stray(const float* light, double k, double b) const;
    Choice steadiest(const float* light, const Bounds& bounds, double cap,
                     double preferred) const;
    void record(double seconds, const FrameLight& drawnLight, const FrameLight& shownLight);

    // Its history: every member below goes into keep and restore.
    std::vector<TransitionCounter> luminance_;
    std::vector<TransitionCounter> red_;
    bool started_ = false;
    double lastSeconds_ = 0.0;
    double contrast_ = 1.0;    // k
    double lift_ = 0.0;        // b
    double lastSoftened_ = 0.0;  // the time of the last picture not shown as drawn
    bool softenedEver_ = false;
    double glow_ = 0.0;        // the lift bright pictures brought in: the least lift shown
    double lastBright_ = 0.0;  // the time of the last of them
    double lastHeld_ = 0.0;  // the time of the last picture a region's budget held back
    bool heldEver_ = false;
    float lastDrawn_[kLightRegionCount] = {};  // the last picture's regions, as drawn
    float lastShown_[kLightRegionCount] = {};  // ... and as shown
};

// The palette with every colour, in linear light, scaled by k and lifted by b (each
// component rounded to the nearest sRGB value).
void softenPalette(const Palette& palette, double k, double b, Palette& shown);
