// The progress bar and its plain-text form.
#include "progress_meter.h"

#include <unistd.h>

#include <string>

namespace {

constexpr double kTerminalInterval = 0.25;  // seconds between redraws of the bar
constexpr double kLogInterval = 5.0;        // seconds between lines in a log
constexpr int kBarWidth = 30;

std::string minutesAndSeconds(double seconds) {
    const long whole = seconds > 0.0 ? static_cast<long>(seconds + 0.5) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

ProgressMeter::ProgressMeter(long totalFrames, int fps, std::FILE* out)
    : total_(totalFrames > 0 ? totalFrames : 1),
      fps_(fps),
      out_(out),
      terminal_(isatty(fileno(out)) != 0),
      start_(Clock::now()),
      nextReport_(terminal_ ? 0.0 : kLogInterval) {}

double ProgressMeter::elapsedSeconds() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

void ProgressMeter::update(long framesDone) {
    if (silenced_) return;
    const double elapsed = elapsedSeconds();
    if (elapsed < nextReport_) return;
    nextReport_ = elapsed + (terminal_ ? kTerminalInterval : kLogInterval);
    print(framesDone, elapsed);
}

void ProgressMeter::print(long framesDone, double elapsed) {
    const double fraction = static_cast<double>(framesDone) / total_;
    // Video seconds made per second of work, and the time the rest takes at that pace.
    const double speed = elapsed > 0.0 ? framesDone / double(fps_) / elapsed : 0.0;
    const std::string left =
        framesDone > 0 ? minutesAndSeconds(elapsed * (total_ - framesDone) / framesDone) : "-:--";
    const int percent = static_cast<int>(fraction * 100.0);
    if (terminal_) {
        const int filled = static_cast<int>(fraction * kBarWidth);
        const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '-');
        std::fprintf(out_, "\r[%s] %3d%%  %ld/%ld frames  %.2fx real time  %s left ",
                     bar.c_str(), percent, framesDone, total_, speed, left.c_str());
        barShown_ = true;
    } else {
        std::fprintf(out_, "dorminax-capture: %d%%, %ld/%ld frames, %.2fx real time, %s left\n",
                     percent, framesDone, total_, speed, left.c_str());
    }
    // A reader that has gone (standard error piped into `head`, closed): the capture goes
    // on without its progress.
    if (std::fflush(out_) != 0 || std::ferror(out_)) {
        silenced_ = true;
        barShown_ = false;
    }
}

void ProgressMeter::finish() {
    if (barShown_ && !silenced_) std::fputs("\r\033[K", out_);  // back to the line start, and clear it
    barShown_ = false;
}
