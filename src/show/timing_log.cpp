// The timing log: a line for every presented frame, the music's position and seeks.
#include "show/timing_log.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

std::FILE* logFile = nullptr;
bool writeFailed = false;

void logLine(const char* kind, double value, double extra = -1.0) {
    if (!logFile) return;
    const int written = extra >= 0.0
        ? std::fprintf(logFile, "%s %.6f %.6f %.3f\n", kind, monotonicSeconds(), value, extra)
        : std::fprintf(logFile, "%s %.6f %.6f\n", kind, monotonicSeconds(), value);
    // A full disk is said once; the show plays on.
    if (written < 0 && !writeFailed) {
        writeFailed = true;
        std::fprintf(stderr, "timing log: %s\n", std::strerror(errno));
    }
}

}  // namespace

bool openTimingLog(const std::string& fileName) {
    closeTimingLog();
    logFile = std::fopen(fileName.c_str(), "w");
    if (!logFile) {
        std::fprintf(stderr, "timing log '%s': %s\n", fileName.c_str(), std::strerror(errno));
        return false;
    }
    writeFailed = false;
    return true;
}

void closeTimingLog() {
    if (!logFile) return;
    // A write that failed at the end (the buffer flushed) is said too.
    if (std::fclose(logFile) != 0 && !writeFailed)
        std::fprintf(stderr, "timing log: %s\n", std::strerror(errno));
    logFile = nullptr;
}

bool timingLogOpen() { return logFile != nullptr; }

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void logFramePresented(double showSeconds) { logLine("frame", showSeconds); }
void logAudioPosition(double musicSeconds) { logLine("audio", musicSeconds); }
void logSeek(double showSeconds, double milliseconds) { logLine("seek", showSeconds, milliseconds); }
