// How long the seek's checkpoints may take after a pass of the live show. A window that
// plays as fast as it can gives them a few milliseconds a pass; a display that paces the
// frames (full screen, --vsync) gives them only what is left of the refresh once the
// next frame has been drawn, so that no frame misses its refresh for them (at 240 Hz a
// fixed few milliseconds would be most of the 4.2 ms a frame has).
#pragma once

constexpr double kCheckpointMsPerPass = 4.0;

struct CheckpointPacing {
    static constexpr int kKept = 32;   // the latest passes' intervals
    double passEnds[kKept] = {};       // monotonic seconds
    int count = 0;
    double drawMs = 0.0;               // the latest frame's drawing
};

// A pass has ended (its frame presented) at this monotonic second.
void notePassEnd(CheckpointPacing& pacing, double seconds);
// The refresh period the passes keep to: the shortest of the latest intervals (a pass
// that missed a refresh takes two); 0 until there are enough.
double refreshMs(const CheckpointPacing& pacing);
// The checkpoints' time after this pass.
double checkpointBudgetMs(bool paced, double refreshMs, double drawMs);
