// The timing log (--timing-log FILE): for every presented frame, when it was presented
// (the monotonic clock, seconds) and the show time it drew; for the music, where the
// backend says the listener is at that moment. One record a line:
//   frame MONOTONIC SHOW_SECONDS
//   audio MONOTONIC MUSIC_SECONDS
//   seek MONOTONIC SHOW_SECONDS MILLISECONDS   (a seek, and how long it took)
// Readers: the synchronisation test and scripts/timing-report.
#pragma once

#include <string>

// Starts writing to the file; false (and standard error says why) when it cannot be
// opened. Without a call nothing is logged.
bool openTimingLog(const std::string& fileName);
void closeTimingLog();
bool timingLogOpen();

// The monotonic clock the log uses, in seconds (CLOCK_MONOTONIC on Linux).
double monotonicSeconds();

void logFramePresented(double showSeconds);
void logAudioPosition(double musicSeconds);
void logSeek(double showSeconds, double milliseconds);
