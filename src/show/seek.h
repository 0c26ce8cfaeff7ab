// Seeking: the show put at any moment exactly as the frame tool draws it there. Scenes
// hand state from frame to frame (the ScratchFrame and FrameBuffer of the wipes, the
// dissolve and the trails, the rings, the particles...), so a seek plays the scene's passes
// up to the moment at the frame tool's 60 frames per second, unseen, and shows the last.
// The passes start from the scene's beginning or from a checkpoint: the scene's state set
// aside whenever the passes since the last took 30 ms to play, laid down in the background
// as the show plays (a seek beyond them lays them down on its way), so that no seek
// replays for longer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A checkpoint whenever the passes since the last took this long to play: no seek then
// replays for longer, in whichever scene, on whatever machine laid them down.
constexpr double kReplayMsPerCheckpoint = 30.0;
// Closer in a helper process: its passes run on a core of their own, faster than the
// show's seeks replay them beside the show's frames (and the machine's other work).
constexpr double kHelperReplayMsPerCheckpoint = 20.0;

// After loading: each scene's state as loaded, which its first visit starts from (a later
// visit may start otherwise: some of it carries over), and the span the checkpoints cover:
// the whole show, the last scene up to showSeconds; checkpoints every msPerCheckpoint.
void prepareSeeking(double showSeconds, double msPerCheckpoint = kReplayMsPerCheckpoint);
// A longer span for the last scene's checkpoints (the music's length became known).
void extendSeekingSpan(double showSeconds);

struct SeekResult {
    long pass;            // the pass shown: the first at or after the time asked for
    double showSeconds;   // its show time, pass / 60
    int row;              // the timeline's row, now current
    float sceneSeconds;   // its scene time, from which the scene clock now runs on
};

// Presents the frame of the first pass at or after showSeconds, as the frame tool draws it
// (at 60 frames per second), and makes its row current with the scene clock on it, so
// that the show runs on from there by the clock.
SeekResult seekShow(double showSeconds);

// The show time at which a row's first frame is drawn (the frame tool's pass / 60); the
// show time of a moment in a row is that plus its scene time.
double rowShowSeconds(int row);

// Lays down checkpoints for about this long, the current row's first, then the others in
// show order; the live show's state is set aside meanwhile and put back. False once every
// checkpoint is in place.
bool buildCheckpoints(double budgetMilliseconds);
// All of them, for as long as it takes.
void buildAllCheckpoints();
// What the checkpoints in place hold, in bytes.
double checkpointBytes();
// The passes a seek replays the most for: each row's first and last, and the pass before
// each checkpoint (for the benchmark).
std::vector<long> dearestSeekPasses();

// Checkpoints laid down by a helper process and handed over. In the helper: the records of
// every checkpoint laid since the last call, and of each row's end, in show order. In the
// show: one installed (a copy, no replay); false for a record that is not one. Records
// of passes the show's own replay has reached already are left out.
void collectLaidRecords(std::vector<std::vector<uint8_t>>& records);
bool installLaidRecord(const uint8_t* bytes, size_t size);
// True once every checkpoint is in place.
bool checkpointsComplete();
