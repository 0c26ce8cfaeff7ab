// The seek's checkpoints fitted around the frames.
#include "show/checkpoint_pacing.h"

#include <algorithm>

namespace {

// Left for presenting the frame and for the machine's hiccups.
constexpr double kMarginMs = 1.5;

}  // namespace

void notePassEnd(CheckpointPacing& pacing, double seconds) {
    pacing.passEnds[pacing.count % CheckpointPacing::kKept] = seconds;
    ++pacing.count;
}

double refreshMs(const CheckpointPacing& pacing) {
    if (pacing.count < CheckpointPacing::kKept) return 0.0;
    double shortest = 1e9;
    for (int i = pacing.count - CheckpointPacing::kKept + 1; i < pacing.count; ++i) {
        const double step = pacing.passEnds[i % CheckpointPacing::kKept] -
                            pacing.passEnds[(i - 1) % CheckpointPacing::kKept];
        shortest = std::min(shortest, step);
    }
    return shortest * 1000.0;
}

double checkpointBudgetMs(bool paced, double refresh, double drawMs) {
    if (!paced || !(refresh > 0.0) || !(drawMs >= 0.0)) return kCheckpointMsPerPass;
    return std::clamp(refresh - drawMs - kMarginMs, 0.0, kCheckpointMsPerPass);
}
