// Counting flashes as the photosensitivity guidelines do (ITU-R BT.1702, WCAG 2.x). A
// transition is a change of a region's light by at least a threshold, accumulated while it
// moves one way: for luminance 0.1 where the darker of the two states is below 0.8, for
// saturated red 20. A flash is a pair of opposite transitions. More than six transitions
// within one second fail; four to six warn; four or more a second for four seconds of any
// five fail as extended flashing.
#pragma once

#include <vector>

#include "safety/frame_light.h"

class StateRecord;

struct TransitionRule {
    float threshold;
    float darkLimit;  // the darker state must be below this for the change to count
};
extern const TransitionRule kLuminanceTransition;
extern const TransitionRule kRedTransition;

// One region's signal, value by value: where its current run began, how far it has gone,
// and which way. A move back of less than 2% of the threshold does not end a run.
class TransitionDetector {
public:
    explicit TransitionDetector(const TransitionRule& rule) : rule_(rule) {}
    const TransitionRule& rule() const { return rule_; }

    // True when this value completes a transition.
    bool add(float value);

    // The next values that would complete none: above low and below high (either may be
    // infinite).
    void quietRange(float& low, float& high) const;

private:
    bool completes(float from, float to) const;
    float noise() const;

    TransitionRule rule_;
    bool started_ = false;
    float runStart_ = 0.0f;  // the value where the current run turned
    float peak_ = 0.0f;      // the farthest it has gone since
    int direction_ = 0;      // +1 rising, -1 falling, 0 not moved since the start
    bool counted_ = false;   // the current run has completed its transition
};

// A detector and the times of its recent transitions, for counts over the last second.
class TransitionCounter {
public:
    // capacity: the most transitions a second that need telling apart.
    TransitionCounter(const TransitionRule& rule, int capacity);

    // Forgets every value and transition (without giving back its memory).
    void clear();

    // The value at the time (seconds, never decreasing); true when it completes a transition.
    bool add(double seconds, float value);

    // Transitions in the second that ends at the time, (seconds - 1, seconds].
    int inSecondTo(double seconds) const;
    // The earliest and the latest of them (the time itself when there is none).
    double firstInSecondTo(double seconds) const;
    double lastInSecondTo(double seconds) const;

    const TransitionDetector& detector() const { return detector_; }

    // Set aside and put back (in another process of this program: same capacity).
    void keep(StateRecord& record) const;
    void restore(StateRecord& record);

private:
    TransitionDetector detector_;
    std::vector<double> times_;  // a ring of the latest transition times
    int newest_ = -1;
    int stored_ = 0;
};

enum class FlashKind { Luminance, Red };
enum class FlashLevel { Warning, Fail, Extended };

struct FlashSpan {
    double from;  // seconds: the first and the last transition of the span's seconds
    double to;
    FlashKind kind;
    FlashLevel level;
    int worstPerSecond;  // the most transitions in one second within the span
};

struct FlashReport {
    double fps = 0.0;
    long frames = 0;
    long failingFrames = 0;               // in a failing or extended span
    std::vector<int> luminancePerSecond;  // second s: the most transitions in any one
    std::vector<int> redPerSecond;        // second that ends within [s, s + 1)
    std::vector<FlashSpan> spans;         // in time order, failures and warnings
    bool passes() const { return failingFrames == 0; }
    bool warns() const;
};

// The meter over a run of frames at a fixed rate.
class FlashMeter {
public:
    explicit FlashMeter(double fps);
    void addFrame(double seconds, const FrameLight& light);
    FlashReport report() const;

private:
    struct FrameCount {
        double seconds;
        int count;     // the most transitions of any region in the second to here
        double first;  // the first and last of them, in that region
        double last;
    };
    void addCounts(double seconds, std::vector<TransitionCounter>& counters, const float* values,
                   std::vector<FrameCount>& counts);

    double fps_;
    std::vector<TransitionCounter> luminance_;
    std::vector<TransitionCounter> red_;
    std::vector<FrameCount> luminanceCounts_;
    std::vector<FrameCount> redCounts_;
};

const char* flashKindName(FlashKind kind);
const char* flashLevelName(FlashLevel level);
