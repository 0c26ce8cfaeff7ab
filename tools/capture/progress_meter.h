// Progress on standard error while a capture runs: a bar redrawn in place on a terminal,
// otherwise a line every few seconds, so that logs stay readable.
#pragma once

#include <chrono>
#include <cstdio>

class ProgressMeter {
public:
    // totalFrames: the frames the video will hold, at fps frames per second.
    ProgressMeter(long totalFrames, int fps, std::FILE* out = stderr);

    // Reports that `framesDone` frames are in the file; cheap when nothing is due. Once
    // the output cannot be written (a closed pipe), it prints nothing more.
    void update(long framesDone);

    // Clears the bar; the caller prints its own last line.
    void finish();

    // The seconds since the meter was made.
    double elapsedSeconds() const;

private:
    void print(long framesDone, double elapsed);

    using Clock = std::chrono::steady_clock;
    long total_;
    int fps_;
    std::FILE* out_;
    bool terminal_;
    Clock::time_point start_;
    double nextReport_;
    bool barShown_ = false;
    bool silenced_ = false;  // the output cannot be written: nothing more is printed
};
