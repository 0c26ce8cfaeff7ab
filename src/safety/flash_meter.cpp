// The flash meter: transitions per region, counted over sliding seconds, and the spans
// of the show that fail or warn.
#include "safety/flash_meter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/state_record.h"

const TransitionRule kLuminanceTransition = {0.1f, 0.8f};
const TransitionRule kRedTransition = {20.0f, std::numeric_limits<float>::infinity()};

namespace {

constexpr int kFailAbove = 6;         // transitions in a second
constexpr int kWarnFrom = 4;
constexpr double kExtendedWindow = 5.0;  // seconds
constexpr double kExtendedBusy = 4.0;    // seconds of four or more a second within it
// Frames come at n / fps; a second back from one frame lands on another up to rounding.
constexpr double kTimeTolerance = 1e-7;

constexpr float kInfinity = std::numeric_limits<float>::infinity();
// A move back smaller than this share of the threshold is noise (the last bits of a mean
// summed in another order, a dithered pixel): the run goes on through it.
constexpr float kNoiseShare = 0.02f;

}  // namespace

bool TransitionDetector::completes(float from, float to) const {
    return std::fabs(to - from) >= rule_.threshold && std::min(from, to) < rule_.darkLimit;
}

float TransitionDetector::noise() const { return rule_.threshold * kNoiseShare; }

bool TransitionDetector::add(float value) {
    if (!started_) {
        started_ = true;
        runStart_ = peak_ = value;
        return false;
    }
    if (direction_ == 0) {
        if (value == runStart_) return false;
        direction_ = value > runStart_ ? 1 : -1;
    }
    const float beyondPeak = (value - peak_) * direction_;
    if (beyondPeak >= 0) {
        peak_ = value;  // on the same way
    } else if (-beyondPeak > noise()) {
        runStart_ = peak_;  // it turns: a new run from the turning point
        peak_ = value;
        direction_ = -direction_;
        counted_ = false;
    }
    if (counted_ || !completes(runStart_, value)) return false;
    counted_ = true;
    return true;
}

void TransitionDetector::quietRange(float& low, float& high) const {
    low = -kInfinity;
    high = kInfinity;
    if (!started_) return;
    // Going on the same way extends the current run from its start; turning back starts
    // a new one from the peak (still, both start at runStart_). Rising to v completes a
    // transition when v - from >= threshold and from is dark; falling, when from - v >=
    // threshold and v is dark.
    const float riseFrom = direction_ < 0 ? peak_ : runStart_;
    const float fallFrom = direction_ > 0 ? peak_ : runStart_;
    const bool riseCounted = direction_ > 0 && counted_;
    const bool fallCounted = direction_ < 0 && counted_;
    if (!riseCounted && riseFrom < rule_.darkLimit) high = riseFrom + rule_.threshold;
    if (!fallCounted) low = std::min(fallFrom - rule_.threshold, rule_.darkLimit);
}

TransitionCounter::TransitionCounter(const TransitionRule& rule, int capacity)
    : detector_(rule), times_(std::max(capacity, 1)) {}

void TransitionCounter::clear() {
    detector_ = TransitionDetector(detector_.rule());
    newest_ = -1;
    stored_ = 0;
}

bool TransitionCounter::add(double seconds, float value) {
    if (!detector_.add(value)) return false;
    newest_ = (newest_ + 1) % int(times_.size());
    times_[newest_] = seconds;
    stored_ = std::min(stored_ + 1, int(times_.size()));
    return true;
}

void TransitionCounter::keep(StateRecord& record) const {
    record.keep(detector_);
    record.keep(newest_);
    record.keep(stored_);
    record.keep(times_.data(), times_.size() * sizeof(double));
}

void TransitionCounter::restore(StateRecord& record) {
    record.restore(detector_);
    record.restore(newest_);
    record.restore(stored_);
    record.restore(times_.data(), times_.size() * sizeof(double));
}

int TransitionCounter::inSecondTo(double seconds) const {
    int count = 0;
    for (int i = 0, at = newest_; i < stored_; ++i) {
        if (times_[at] <= seconds - 1.0 + kTimeTolerance) break;
        ++count;
        at = at == 0 ? int(times_.size()) - 1 : at - 1;
    }
    return count;
}

double TransitionCounter::firstInSecondTo(double seconds) const {
    double first = seconds;
    for (int i = 0, at = newest_; i < stored_; ++i) {
        if (times_[at] <= seconds - 1.0 + kTimeTolerance) break;
        first = times_[at];
        at = at == 0 ? int(times_.size()) - 1 : at - 1;
    }
    return first;
}

double TransitionCounter::lastInSecondTo(double seconds) const {
    if (stored_ == 0 || times_[newest_] <= seconds - 1.0 + kTimeTolerance) return seconds;
    return times_[newest_];
}

FlashMeter::FlashMeter(double fps) : fps_(fps) {
    // Every frame may complete a transition; a second holds at most fps + 1 of them.
    const int capacity = static_cast<int>(std::ceil(fps)) + 1;
    for (int r = 0; r < kLightRegionCount; ++r) {
        luminance_.emplace_back(kLuminanceTransition, capacity);
        red_.emplace_back(kRedTransition, capacity);
    }
}

void FlashMeter::addCounts(double seconds, std::vector<TransitionCounter>& counters,
                           const float* values, std::vector<FrameCount>& counts) {
    FrameCount frame = {seconds, 0, seconds, seconds};
    for (int r = 0; r < kLightRegionCount; ++r) {
        TransitionCounter& counter = counters[r];
        counter.add(seconds, values[r]);
        const int n = counter.inSecondTo(seconds);
        if (n > frame.count)
            frame = {seconds, n, counter.firstInSecondTo(seconds), counter.lastInSecondTo(seconds)};
    }
    counts.push_back(frame);
}

void FlashMeter::addFrame(double seconds, const FrameLight& light) {
    addCounts(seconds, luminance_, light.luminance, luminanceCounts_);
    addCounts(seconds, red_, light.red, redCounts_);
}

namespace {

struct Second {
    int count;  // transitions in the second that ends at a frame
    double first;
    double last;
};

// The first frame at or after a time.
size_t frameAt(const std::vector<double>& times, double seconds) {
    return std::lower_bound(times.begin(), times.end(), seconds - kTimeTolerance) - times.begin();
}

// Each frame's standing: the worst level of any second that marks it, and that second's
// count. A second marks its frames from its first transition to its last.
struct Mark {
    FlashLevel level;
    int count;  // 0: not marked
};

bool worse(FlashLevel a, FlashLevel b) {
    auto rank = [](FlashLevel l) { return l == FlashLevel::Fail ? 2 : l == FlashLevel::Extended ? 1 : 0; };
    return rank(a) > rank(b);
}

void markSecond(const std::vector<double>& times, const Second& second, FlashLevel level,
                std::vector<Mark>& marks) {
    const size_t end = frameAt(times, second.last);
    for (size_t i = frameAt(times, second.first); i <= end && i < times.size(); ++i) {
        Mark& m = marks[i];
        if (m.count == 0 || worse(level, m.level)) m = {level, second.count};
        else if (level == m.level) m.count = std::max(m.count, second.count);
    }
}

// More than six transitions in a second fail, four to six warn; and four or more a second
// for at least four seconds of any five fail as extended flashing.
std::vector<Mark> markFrames(const std::vector<double>& times, const std::vector<Second>& seconds,
                             double fps) {
    std::vector<Mark> marks(times.size(), Mark{FlashLevel::Warning, 0});
    std::vector<long> busyBefore(times.size() + 1, 0);
    for (size_t n = 0; n < times.size(); ++n) {
        const Second& s = seconds[n];
        if (s.count > kFailAbove) markSecond(times, s, FlashLevel::Fail, marks);
        else if (s.count >= kWarnFrom) markSecond(times, s, FlashLevel::Warning, marks);
        busyBefore[n + 1] = busyBefore[n] + (s.count >= kWarnFrom ? 1 : 0);
    }
    for (size_t n = 0; n < times.size(); ++n) {
        const size_t first = frameAt(times, times[n] - kExtendedWindow + 2 * kTimeTolerance);
        const long busy = busyBefore[n + 1] - busyBefore[first];
        if (busy / fps + kTimeTolerance < kExtendedBusy) continue;
        for (size_t i = first; i <= n; ++i)
            if (seconds[i].count >= kWarnFrom) markSecond(times, seconds[i], FlashLevel::Extended, marks);
    }
    return marks;
}

// Runs of frames with the same mark become spans.
void addSpans(const std::vector<double>& times, const std::vector<Mark>& marks, FlashKind kind,
              std::vector<FlashSpan>& spans) {
    for (size_t n = 0; n < times.size();) {
        const Mark& m = marks[n];
        if (m.count == 0) {
            ++n;
            continue;
        }
        FlashSpan span = {times[n], times[n], kind, m.level, 0};
        for (; n < times.size() && marks[n].count > 0 && marks[n].level == m.level; ++n) {
            span.to = times[n];
            span.worstPerSecond = std::max(span.worstPerSecond, marks[n].count);
        }
        spans.push_back(span);
    }
}

}  // namespace

FlashReport FlashMeter::report() const {
    FlashReport report;
    report.fps = fps_;
    report.frames = static_cast<long>(luminanceCounts_.size());
    std::vector<double> times;
    for (const FrameCount& f : luminanceCounts_) times.push_back(f.seconds);
    std::vector<bool> failing(times.size(), false);

    const FlashKind kinds[] = {FlashKind::Luminance, FlashKind::Red};
    for (FlashKind kind : kinds) {
        const bool isLuminance = kind == FlashKind::Luminance;
        std::vector<int>& perSecond = isLuminance ? report.luminancePerSecond : report.redPerSecond;
        std::vector<Second> seconds;
        for (const FrameCount& f : isLuminance ? luminanceCounts_ : redCounts_) {
            seconds.push_back({f.count, f.first, f.last});
            const size_t second = static_cast<size_t>(std::max(0.0, f.seconds + kTimeTolerance));
            if (perSecond.size() <= second) perSecond.resize(second + 1, 0);
            perSecond[second] = std::max(perSecond[second], f.count);
        }
        const std::vector<Mark> marks = markFrames(times, seconds, fps_);
        addSpans(times, marks, kind, report.spans);
        for (size_t n = 0; n < times.size(); ++n)
            if (marks[n].count > 0 && marks[n].level != FlashLevel::Warning) failing[n] = true;
    }
    report.failingFrames = static_cast<long>(std::count(failing.begin(), failing.end(), true));
    std::stable_sort(report.spans.begin(), report.spans.end(),
                     [](const FlashSpan& a, const FlashSpan& b) { return a.from < b.from; });
    return report;
}

bool FlashReport::warns() const {
    return std::any_of(spans.begin(), spans.end(),
                       [](const FlashSpan& s) { return s.level == FlashLevel::Warning; });
}

const char* flashKindName(FlashKind kind) {
    return kind == FlashKind::Luminance ? "luminance" : "red";
}

const char* flashLevelName(FlashLevel level) {
    switch (level) {
        case FlashLevel::Warning: return "warning";
        case FlashLevel::Fail: return "fail";
        case FlashLevel::Extended: return "extended fail";
    }
    return "";
}
