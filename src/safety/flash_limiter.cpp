// The flash limiter: each picture's contrast chosen so that no region of the screen makes
// more transitions of light than the budget allows.
#include "safety/flash_limiter.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "core/state_record.h"

namespace {

constexpr int kBudget = 3;                 // transitions a region may make in a second
// While softening, a region's last transition of its budget is kept for when no picture
// could be shown without it: one global change of contrast cannot keep every region quiet
// when their light moves opposite ways, and then the region with none left would flash.
constexpr int kPlannedBudget = kBudget - 1;
// ... and for this long after the last softened picture: flashing comes in bursts.
constexpr double kReserveMemory = 2.0;
// Kept between a region's light and a transition: the chosen colours are rounded to sRGB
// values, which moves a region's mean luminance by up to half a step (0.0045).
constexpr float kLuminanceMargin = 0.01f;
// Preferred when it can be had: a region kept well inside its bounds leaves the next
// picture room to differ, whichever way it goes.
constexpr float kHeadroomMargin = 0.035f;
constexpr float kRedMargin = 2.0f;
// Under pressure the regions' light is kept within this much of each other where it can
// be: then even a flat grey (k = 0) stays open to the next picture, whichever way it goes.
constexpr double kCalmSpread = 0.06;
constexpr double kRecoveryPerSecond = 1.0;  // how fast the contrast climbs back to 1
// A lift comes in and goes out over time where the budget allows: a sudden one would be a
// jump of the whole picture's light that the drawing never made.
constexpr double kLiftPerSecond = 2.0;
constexpr double kLargestLiftStep = 0.03;  // in one picture, whatever the frame rate
// So does a change of contrast, measured by the change it makes to a region's light: a cut
// of contrast from near 1 to a calm one in a single picture was the largest jump of all.
constexpr double kContrastChangePerSecond = 1.2;
constexpr double kLargestContrastChange = 0.02;  // in one picture
// A picture mostly white (its mean above this) is kept as bright as the budget allows,
// by a lift, rather than dimmed: a burn to white stays a burn, not a grey.
constexpr double kBrightPicture = 0.6;
// The lift such pictures brought in stays as the least lift, for this long after the last
// of them and then fading at this rate: between the white flashes of a burn the picture
// keeps its light, and the burn ends brighter than it began, not back at grey each time.
constexpr double kGlowHold = 0.6;
constexpr double kGlowFallPerSecond = 1.0;
// The most a change of the limiter's own may move a region's light in one picture, beyond
// the drawing's own change: a lift step and a contrast step. Changes made at once are held
// to it where some quiet choice allows.
constexpr double kLargestStray = kLargestLiftStep + kLargestContrastChange;
// Where only a change at once keeps every region quiet, a little weight on the lift and on
// the contrast preferred picks among the changes that stray least from the drawing.
constexpr double kLiftWeight = 0.05;
constexpr double kPreferenceWeight = 0.01;
constexpr int kSearchSteps = 32;
constexpr int kSteadiestSteps = 24;
constexpr int kRedSteps = 12;

struct Range {
    double low;
    double high;
    bool empty() const { return !(low <= high); }
};

// The lifts b that keep every region inside its bounds at contrast k (and the colours
// inside 0..1).
template <typename Bounds>
Range liftsAt(double k, const float* light, const Bounds& bounds) {
    Range range = {0.0, 1.0 - k};
    for (int r = 0; r < kLightRegionCount; ++r) {
        range.low = std::max(range.low, bounds.low[r] - k * light[r]);
        range.high = std::min(range.high, bounds.high[r] - k * light[r]);
    }
    return range;
}

// The contrasts k among the allowed ones that keep every region inside its bounds at lift b.
template <typename Bounds>
Range contrastsAt(double b, const float* light, const Bounds& bounds, Range allowed) {
    Range range = {allowed.low, std::min(allowed.high, 1.0 - b)};
    for (int r = 0; r < kLightRegionCount; ++r) {
        const double l = std::max(double(light[r]), 1e-9);  // a black region only moves by b
        range.low = std::max(range.low, (bounds.low[r] - b) / l);
        range.high = std::min(range.high, (bounds.high[r] - b) / l);
    }
    return range;
}

// The least lift at which some contrast keeps every region quiet: a softened picture is a
// dimmer one, its blacks still black, unless keeping a region quiet needs them raised.
// The width of the contrasts is concave in b (a minimum of lines less a maximum of
// lines), so the quiet lifts form one interval: its widest point by ternary search, then
// its lower end by bisection. False when no lift is quiet; b is then the nearest miss.
template <typename Bounds>
bool leastQuietLift(const float* light, const Bounds& bounds, Range contrasts, double& b) {
    auto width = [&](double lift) {
        const Range k = contrastsAt(lift, light, bounds, contrasts);
        return k.high - k.low;
    };
    b = 0.0;
    if (width(0.0) >= 0) return true;
    double low = 0.0;
    double high = 1.0;
    for (int step = 0; step < kSearchSteps; ++step) {
        const double a = low + (high - low) / 3;
        const double c = high - (high - low) / 3;
        if (width(a) < width(c)) low = a;
        else high = c;
    }
    double quiet = (low + high) / 2;
    b = quiet;
    if (width(quiet) < 0) return false;
    double loud = 0.0;
    for (int step = 0; step < kSearchSteps; ++step) {
        const double middle = (quiet + loud) / 2;
        if (width(middle) >= 0) quiet = middle;
        else loud = middle;
    }
    b = quiet;
    return true;
}

// The least quiet lift within a window of lifts. False when there is none in it.
template <typename Bounds>
bool leastQuietLiftWithin(const float* light, const Bounds& bounds, Range contrasts, Range window,
                          double& b) {
    if (!leastQuietLift(light, bounds, contrasts, b)) return false;
    if (b >= window.low) return b <= window.high;
    // The quiet lifts form one interval: is the window's lower end still in it?
    const Range k = contrastsAt(window.low, light, bounds, contrasts);
    b = window.low;
    return k.high >= k.low;
}

// The highest quiet lift from a quiet one up to a limit (the quiet lifts are one interval).
template <typename Bounds>
double highestQuietLift(const float* light, const Bounds& bounds, Range contrasts, double quiet,
                        double limit) {
    auto isQuiet = [&](double lift) {
        const Range k = contrastsAt(lift, light, bounds, contrasts);
        return k.high >= k.low;
    };
    if (isQuiet(limit)) return limit;
    double loud = limit;
    for (int step = 0; step < kSearchSteps; ++step) {
        const double middle = (quiet + loud) / 2;
        if (isQuiet(middle)) quiet = middle;
        else loud = middle;
    }
    return quiet;
}

// How far apart the regions' light is (never 0, so that it can divide).
double spreadOf(const float* light) {
    const auto [low, high] = std::minmax_element(light, light + kLightRegionCount);
    return std::max(double(*high - *low), 1e-6);
}

template <typename Bounds>
bool constrained(const Bounds& bounds) {
    for (int r = 0; r < kLightRegionCount; ++r)
        if (std::isfinite(bounds.low[r]) || std::isfinite(bounds.high[r])) return true;
    return false;
}

bool inside(const float* values, const float* low, const float* high) {
    for (int r = 0; r < kLightRegionCount; ++r)
        if (!(values[r] > low[r] && values[r] < high[r])) return false;
    return true;
}

// How far a region's change of light shown strays from its change drawn: a change against
// the drawing's, or beyond it, is the limiter's own. Convex in the change shown.
double strayOf(double shownChange, double drawnChange) {
    if (shownChange * drawnChange < 0) return std::fabs(shownChange);
    return std::max(std::fabs(shownChange) - std::fabs(drawnChange), 0.0);
}

// The least of a convex function over an interval, by ternary search: where it lies.
template <typename Function>
double leastOf(Function f, Range range) {
    double low = range.low;
    double high = range.high;
    for (int step = 0; step < kSteadiestSteps; ++step) {
        const double a = low + (high - low) / 3;
        const double c = high - (high - low) / 3;
        if (f(a) <= f(c)) high = c;
        else low = a;
    }
    return (low + high) / 2;
}

// The contrasts a picture may take after one shown at contrast k, elapsed seconds before:
// the change of contrast times a region's light, its own change of the region, stays small.
Range contrastWindow(const float* light, double k, double cap, double elapsed) {
    const double brightest = *std::max_element(light, light + kLightRegionCount);
    const double change = std::min(kContrastChangePerSecond * elapsed, kLargestContrastChange);
    const double step = change / std::max(brightest, 0.01);
    return {std::max(k - step, 0.0), std::min(k + step, cap)};
}

// The greys a flat picture could take next without a region of spent budget making a
// transition, after one whose regions show this light (none: the last one): empty when there
// is none. The limiter keeps such a grey open after every picture, so that whatever the next
// one draws, it stays quiet shown flat: a region fallen back from its peak while another
// is held from rising can otherwise leave no picture that keeps both quiet.
Range flatEscape(const std::vector<TransitionCounter>& counters, double seconds,
                 const float* shown) {
    Range greys = {0.0, 1.0};
    for (int r = 0; r < kLightRegionCount; ++r) {
        TransitionDetector detector = counters[r].detector();
        const bool completes = shown && detector.add(shown[r]);
        const int count = counters[r].inSecondTo(seconds) + (completes ? 1 : 0);
        if (count < kBudget) continue;
        float low, high;
        detector.quietRange(low, high);
        greys.low = std::max(greys.low, double(low) + kLuminanceMargin);
        greys.high = std::min(greys.high, double(high) - kLuminanceMargin);
    }
    return greys;
}

}  // namespace

void softenPalette(const Palette& palette, double k, double b, Palette& shown) {
    for (int i = 0; i < 256 * 3; ++i) {
        const double lifted = k * linearFromSrgb(palette.rgb[i]) + b;
        shown.rgb[i] = srgbFromLinear(static_cast<float>(lifted));
    }
}

FlashLimiter::FlashLimiter() {
    for (int r = 0; r < kLightRegionCount; ++r) {
        luminance_.emplace_back(kLuminanceTransition, kBudget + 1);
        red_.emplace_back(kRedTransition, kBudget + 1);
    }
}

void FlashLimiter::keep(StateRecord& record) const {
    for (const TransitionCounter& counter : luminance_) counter.keep(record);
    for (const TransitionCounter& counter : red_) counter.keep(record);
    record.keep(started_);
    record.keep(lastSeconds_);
    record.keep(contrast_);
    record.keep(lift_);
    record.keep(lastSoftened_);
    record.keep(softenedEver_);
    record.keep(glow_);
    record.keep(lastBright_);
    record.keep(lastHeld_);
    record.keep(heldEver_);
    record.keep(lastDrawn_);
    record.keep(lastShown_);
}

void FlashLimiter::restore(StateRecord& record) {
    for (TransitionCounter& counter : luminance_) counter.restore(record);
    for (TransitionCounter& counter : red_) counter.restore(record);
    record.restore(started_);
    record.restore(lastSeconds_);
    record.restore(contrast_);
    record.restore(lift_);
    record.restore(lastSoftened_);
    record.restore(softenedEver_);
    record.restore(glow_);
    record.restore(lastBright_);
    record.restore(lastHeld_);
    record.restore(heldEver_);
    record.restore(lastDrawn_);
    record.restore(lastShown_);
}

void FlashLimiter::reset() {
    for (int r = 0; r < kLightRegionCount; ++r) {
        luminance_[r].clear();
        red_[r].clear();
    }
    started_ = false;
    contrast_ = 1.0;
    lift_ = 0.0;
    glow_ = 0.0;
    lastBright_ = 0.0;
    softenedEver_ = false;
    heldEver_ = false;
    std::fill(std::begin(lastDrawn_), std::end(lastDrawn_), 0.0f);
    std::fill(std::begin(lastShown_), std::end(lastShown_), 0.0f);
}

void FlashLimiter::reapply(const Palette& palette, Palette& shown) const {
    if (contrast_ == 1.0 && lift_ == 0.0) shown = palette;
    else softenPalette(palette, contrast_, lift_, shown);
}

FlashLimiter::Bounds FlashLimiter::quietBounds(const std::vector<TransitionCounter>& counters,
                                               double seconds, float margin,
                                               int budget) const {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    Bounds bounds;
    for (int r = 0; r < kLightRegionCount; ++r) {
        bounds.low[r] = -kInfinity;
        bounds.high[r] = kInfinity;
        // A region with budget left may make its transition; one without must stay quiet.
        if (counters[r].inSecondTo(seconds) < budget) continue;
        counters[r].detector().quietRange(bounds.low[r], bounds.high[r]);
        bounds.low[r] += margin;
        bounds.high[r] -= margin;
    }
    return bounds;
}

void FlashLimiter::record(double seconds, const FrameLight& drawnLight,
                          const FrameLight& shownLight) {
    for (int r = 0; r < kLightRegionCount; ++r) {
        luminance_[r].add(seconds, shownLight.luminance[r]);
        red_[r].add(seconds, shownLight.red[r]);
        lastDrawn_[r] = drawnLight.luminance[r];
        lastShown_[r] = shownLight.luminance[r];
    }
    lastSeconds_ = seconds;
}

double FlashLimiter::glowAt(double seconds) const {
    const double fading = std::max(seconds - lastBright_ - kGlowHold, 0.0);
    return std::max(glow_ - kGlowFallPerSecond * fading, 0.0);
}

bool FlashLimiter::pressed(double seconds) const {
    if (!heldEver_ || seconds - lastHeld_ >= kReserveMemory) return false;
    for (int r = 0; r < kLightRegionCount; ++r)
        if (luminance_[r].inSecondTo(seconds) > 0) return true;
    return false;
}

double FlashLimiter::climbCap(const Bounds& bounds, double elapsed) const {
    // While any region must stay quiet the contrast does not climb: a picture with more of
    // it might leave no contrast that keeps every region quiet.
    if (constrained(bounds)) return contrast_;
    return std::min(1.0, contrast_ + kRecoveryPerSecond * elapsed);
}

double FlashLimiter::stray(const float* light, double k, double b) const {
    double most = 0.0;
    for (int r = 0; r < kLightRegionCount; ++r)
        most = std::max(most, strayOf(k * light[r] + b - lastShown_[r],
                                      double(light[r]) - lastDrawn_[r]));
    return most;
}

FlashLimiter::Choice FlashLimiter::steadiest(const float* light, const Bounds& bounds,
                                             double cap, double preferred) const {
    Choice choice = {0.0, 0.0, false};
    const Range contrasts = {0.0, cap};
    double least = 0.0;
    if (!leastQuietLift(light, bounds, contrasts, least)) return choice;
    const Range lifts = {least, highestQuietLift(light, bounds, contrasts, least, 1.0)};
    // Jointly convex in the contrast and the lift (each region's light shown is linear in
    // both), over the quiet ones, a convex set: the least at each lift, and of those the least.
    auto cost = [&](double k, double b) {
        return stray(light, k, b) + kLiftWeight * b + kPreferenceWeight * std::fabs(k - preferred);
    };
    auto bestContrast = [&](double b) {
        return leastOf([&](double k) { return cost(k, b); },
                       contrastsAt(b, light, bounds, contrasts));
    };
    choice.b = leastOf([&](double b) { return cost(bestContrast(b), b); }, lifts);
    const Range k = contrastsAt(choice.b, light, bounds, contrasts);
    if (k.empty()) return choice;  // the search's rounding left the quiet lifts
    choice.k = std::clamp(bestContrast(choice.b), k.low, k.high);
    choice.b = std::clamp(choice.b, 0.0, 1.0 - choice.k);
    choice.quiet = true;
    return choice;
}

FlashLimiter::Choice FlashLimiter::choose(const float* light, const Bounds& bounds,
                                          const Bounds& climbStops, double elapsed,
                                          const Pressure& pressure, Step step) const {
    const double cap = climbCap(climbStops, elapsed);
    double preferred = cap;
    // A picture that is quiet as drawn is shown as drawn. Otherwise, under pressure, the
    // contrast goes to a calm spread of light, as far as the least quiet lift allows; and
    // so it does ahead of need, while a region held back lately has made a transition in
    // the last second: the contrast is then low before the next flash needs it low.
    const Range asDrawn = liftsAt(1.0, light, bounds);
    const bool quietAsDrawn = cap == 1.0 && !asDrawn.empty() && asDrawn.low == 0.0;
    if ((constrained(bounds) && !quietAsDrawn) || pressure.anticipate)
        preferred = std::min(cap, kCalmSpread / spreadOf(light));
    if (step == Step::Steadiest) return steadiest(light, bounds, cap, preferred);
    // The least quiet lift, and at it the contrast nearest to the one preferred.
    Choice choice;
    Range contrasts = {0.0, cap};
    if (step == Step::Gradual) {
        // The lift and the contrast move by small steps, the lift no lower than the glow.
        const double liftStep = std::min(kLiftPerSecond * elapsed, kLargestLiftStep);
        const Range window = {std::max(lift_ - liftStep, std::min(pressure.glow, lift_)),
                              std::min(lift_ + liftStep, 1.0)};
        contrasts = contrastWindow(light, contrast_, cap, elapsed);
        choice.quiet = leastQuietLiftWithin(light, bounds, contrasts, window, choice.b);
        // A region with nothing left: the contrast is cut at once, but only as far as
        // keeping it quiet needs; the calm one preferred is still approached by steps.
        preferred = std::clamp(preferred, contrasts.low, contrasts.high);
        if (!choice.quiet && pressure.spent) {
            contrasts.low = 0.0;
            choice.quiet = leastQuietLiftWithin(light, bounds, contrasts, window, choice.b);
        }
        if (!choice.quiet) return choice;
        const double keepsItsLight = light[0] * (1.0 - contrast_);
        if (light[0] > kBrightPicture && keepsItsLight > choice.b)
            choice.b = highestQuietLift(light, bounds, contrasts, choice.b,
                                        std::min(keepsItsLight, window.high));
    } else {
        choice.quiet = leastQuietLift(light, bounds, contrasts, choice.b);
    }
    const Range k = contrastsAt(choice.b, light, bounds, contrasts);
    choice.k = choice.quiet ? std::clamp(preferred, k.low, k.high)
                            : std::clamp((k.low + k.high) / 2, 0.0, cap);
    choice.b = std::clamp(choice.b, 0.0, 1.0 - choice.k);
    return choice;
}

void FlashLimiter::limit(const uint8_t* frame, const Palette& palette, double seconds,
                         Palette& shown) {
    if (started_ && seconds < lastSeconds_) reset();
    const FrameLight light = lightInPalette(frame, palette);
    const double elapsed = started_ ? seconds - lastSeconds_ : 0.0;
    started_ = true;

    // Most room first: every region with its last transition kept back, with headroom;
    // then with none; then the last transitions spent, with headroom and without. The lift
    // changes gradually unless only a sudden change keeps every region quiet, which comes
    // before spending a region's reserve.
    struct Try {
        int budget;
        float margin;
        Step step;
    };
    const Try tries[] = {{kPlannedBudget, kHeadroomMargin, Step::Gradual},
                         {kPlannedBudget, kLuminanceMargin, Step::Gradual},
                         {kPlannedBudget, kHeadroomMargin, Step::Steadiest},
                         {kPlannedBudget, kHeadroomMargin, Step::Sudden},
                         {kPlannedBudget, kLuminanceMargin, Step::Steadiest},
                         {kPlannedBudget, kLuminanceMargin, Step::Sudden},
                         {kBudget, kHeadroomMargin, Step::Gradual},
                         {kBudget, kLuminanceMargin, Step::Gradual},
                         {kBudget, kHeadroomMargin, Step::Steadiest},
                         {kBudget, kHeadroomMargin, Step::Sudden},
                         {kBudget, kLuminanceMargin, Step::Steadiest},
                         {kBudget, kLuminanceMargin, Step::Sudden}};
    // A picture left as drawn so far spends its whole budget: what makes three
    // transitions a second is no flash, and is shown as drawn.
    const Bounds spent = quietBounds(luminance_, seconds, kHeadroomMargin, kBudget);
    const bool softening = contrast_ < 1.0 || lift_ > 0.0 ||
                           (softenedEver_ && seconds - lastSoftened_ < kReserveMemory);
    // While softening, the contrast climbs only while every region keeps its reserve.
    const Bounds climbStops = softening ? quietBounds(luminance_, seconds, kHeadroomMargin,
                                                      kPlannedBudget)
                                        : spent;
    const Pressure pressure = {pressed(seconds), constrained(spent), glowAt(seconds)};
    // The first choice in that order that keeps every region quiet, leaves a flat grey open
    // and strays from the drawing no further than a gradual change would; failing that, of
    // those that are quiet and leave the grey open, the one that strays least: safety first,
    // then smoothness, then room.
    struct Found {
        Choice choice;
        Bounds bounds = {};
        double stray = std::numeric_limits<double>::infinity();
    };
    Found found;
    for (const Try& t : tries) {
        if (t.budget == kPlannedBudget && !softening) continue;
        const Bounds tried = quietBounds(luminance_, seconds, t.margin, t.budget);
        const Choice c = choose(light.luminance, tried, climbStops, elapsed, pressure, t.step);
        if (!c.quiet) continue;
        float next[kLightRegionCount];
        for (int r = 0; r < kLightRegionCount; ++r)
            next[r] = float(c.k * light.luminance[r] + c.b);
        if (flatEscape(luminance_, seconds, next).empty()) continue;
        const double strays = stray(light.luminance, c.k, c.b);
        if (strays < found.stray) found = {c, tried, strays};
        if (strays <= kLargestStray) break;
    }
    const bool escapes = found.stray < std::numeric_limits<double>::infinity();
    Choice choice = found.choice;
    const Bounds& bounds = found.bounds;
    // None leaves a flat grey open: this picture is shown flat, in the grey the last one
    // left open nearest to its own mean light. Every region stays quiet, and a flat
    // picture keeps its own grey open.
    if (!escapes) {
        const Range greys = flatEscape(luminance_, seconds, nullptr);
        const double mean = light.luminance[0];
        const double grey = greys.empty() ? (greys.low + greys.high) / 2
                                          : std::clamp(mean, greys.low, greys.high);
        choice = {0.0, std::clamp(grey, 0.0, 1.0), true};
    }
    double k = choice.k;
    double b = choice.b;
    FrameLight shownLight = light;
    if (k == 1.0 && b == 0.0) {
        shown = palette;
    } else {
        softenPalette(palette, k, b, shown);
        shownLight = lightInPalette(frame, shown);  // as the rounded colours really show it
    }

    // Saturated red does not follow k and b in a straight line: the chosen colours are
    // measured, and k halved while they would make a red transition the budget forbids (a
    // flat picture has no red to take away).
    const Bounds redBounds = quietBounds(red_, seconds, kRedMargin, kBudget);
    for (int step = 0;
         escapes && step < kRedSteps && !inside(shownLight.red, redBounds.low, redBounds.high);
         ++step) {
        k /= 2;
        b = std::clamp(liftsAt(k, light.luminance, bounds).low, 0.0, 1.0 - k);
        softenPalette(palette, k, b, shown);
        shownLight = lightInPalette(frame, shown);
    }
    if (light.luminance[0] > kBrightPicture) {
        glow_ = std::max(pressure.glow, b);
        lastBright_ = seconds;
    }
    contrast_ = k;
    lift_ = b;
    if (k < 1.0 || b > 0.0) {
        lastSoftened_ = seconds;
        softenedEver_ = true;
        if (constrained(bounds)) {  // softened because a region had to be held back
            lastHeld_ = seconds;
            heldEver_ = true;
        }
    }
    record(seconds, light, shownLight);
}
