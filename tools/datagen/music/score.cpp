// The score the sequencer plays: automation curves.
#include "music/score.h"

#include <algorithm>

float Curve::valueAt(float seconds) const {
    if (points_.empty()) return 0.0f;
    const auto after = std::upper_bound(
        points_.begin(), points_.end(), seconds,
        [](float t, const Point& point) { return t < point.seconds; });
    if (after == points_.begin()) return points_.front().value;
    if (after == points_.end()) return points_.back().value;
    const Point& a = *(after - 1);
    const Point& b = *after;
    const float t = (seconds - a.seconds) / (b.seconds - a.seconds);
    return a.value + (b.value - a.value) * t;
}
