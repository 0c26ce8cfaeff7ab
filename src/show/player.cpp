// The player.
#include "show/player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/clock.h"
#include "core/display.h"
#include "show/seek.h"
#include "show/show_passes.h"
#include "show/timeline.h"
#include "show/timing_log.h"
#include "show/window_proc.h"
#include "platform/data_path.h"
#include "platform/platform.h"
#include "scenes/scene_table.h"

namespace {

constexpr double kSkipSeconds = 5.0;          // Left and Right
constexpr float kTimeLineSeconds = 2.0f;      // the time line stays this long after a seek
constexpr float kGentleNoticeSeconds = 2.0f;  // the title says the gentle show's switch

int sceneNumberOfRow(int row) { return row + 1; }

// The row on screen; before the first pass, the first.
int rowOnScreen() { return currentScene < 0 ? 0 : currentScene; }

double showSecondsOfScene(int sceneNumber) { return rowShowSeconds(rowOfScene(sceneNumber)); }

// The pass of the frame held, frameSteps passes on: from the seek's own pass when the
// frame held is one, else from the live frame's place between two passes.
long passSteppedFrom(const PlayerState& p, int frameSteps) {
    if (p.shownPass >= 0) return p.shownPass + frameSteps;
    const double at = p.heldShowSeconds * kSeekFps;
    return frameSteps > 0 ? long(std::floor(at)) + frameSteps : long(std::ceil(at)) + frameSteps;
}

void stepFrame(DemoRun& run, int frameSteps) {
    if (!run.player.paused) return;  // frame by frame only while held
    const long pass = passSteppedFrom(run.player, frameSteps);
    if (pass >= 0) seekPlayer(run, pass / kSeekFps);
}

// Five seconds on or back. From a frame a seek drew, whole passes, so that Right then
// Left comes back to the very frame (time arithmetic could land one pass off).
void skip(DemoRun& run, int direction) {
    const PlayerState& p = run.player;
    const double now = showSeconds(run);
    // Past the length (the last scene plays on) there is nowhere further to go.
    if (direction > 0 && now >= showLength(run)) return;
    const long passes = std::lround(kSkipSeconds * kSeekFps);
    if (p.paused && p.shownPass >= 0) {
        seekPlayer(run, std::max(p.shownPass + direction * passes, 0L) / kSeekFps);
        return;
    }
    seekPlayer(run, now + direction * kSkipSeconds);
}

// The gentle show on or off mid-show. On, the limiter starts with the picture on screen, as
// drawn, so that switching makes no jump of its own; the title says which for a while.
void toggleGentle(DemoRun& run) {
    setGentleMode(!gentleMode());
    runGentleClockOn();
    setTitle(run, gentleMode() ? "Gentle show on" : "Gentle show off");
    run.flashEndTime = clockSeconds() + kGentleNoticeSeconds;
}

void answerKey(DemoRun& run, int key) {
    const int row = rowOnScreen();
    switch (key) {
        case platform::kKeyP: setPaused(run, !run.player.paused); return;
        case platform::kKeyG: toggleGentle(run); return;
        case platform::kKeyLeft: skip(run, -1); return;
        case platform::kKeyRight: skip(run, 1); return;
        case platform::kKeyUp:
        case platform::kKeyPageUp: seekPlayer(run, rowShowSeconds(std::max(row - 1, 0))); return;
        case platform::kKeyDown:
        case platform::kKeyPageDown:
            if (row + 1 < timelineRowCount) seekPlayer(run, rowShowSeconds(row + 1));
            return;
        case platform::kKeyHome: seekPlayer(run, 0.0); return;
        case platform::kKeyComma: stepFrame(run, -1); return;
        case platform::kKeyPeriod: stepFrame(run, 1); return;
        default: break;
    }
    if (key >= platform::kKey1 && key <= platform::kKey9) {
        const int sceneRow = rowOfScene(key - platform::kKey1 + 1);
        if (sceneRow >= 0 && sceneRow < timelineRowCount) seekPlayer(run, rowShowSeconds(sceneRow));
    }
}

// The passes stopped (a tab in the background) while the music played on: the picture
// goes to where the music is, without the passes it missed.
void catchUpWithTheMusic(DemoRun& run) {
    if (run.player.paused) return;
    const double length = showLength(run);
    // Past the music's end the last scene plays on by itself, as it always has.
    if (rowShowSeconds(rowOnScreen()) + run.player.lastSceneSeconds >= length) return;
    const double music = run.stream != 0 ? platform::audioStreamPosition(run.stream) : -1.0;
    const double target = std::min(music >= 0.0 ? music : showSeconds(run), length);
    const bool moveMusic = music < 0.0;
    seekShow(target);
    ++run.player.seeks;
    run.player.shownPass = -1;
    run.player.lastSceneSeconds = clockSeconds() - sceneStartTime;
    if (moveMusic && run.stream != 0) platform::audioStreamPlay(run.stream, target);
}

// "1:38.5", to the nearest tenth of a second.
void formatClock(double seconds, bool tenths, char* text, size_t size) {
    if (tenths) {
        const long tenthsTotal = std::lround(std::max(0.0, seconds) * 10.0);
        std::snprintf(text, size, "%ld:%02ld.%ld", tenthsTotal / 600, tenthsTotal / 10 % 60,
                      tenthsTotal % 10);
    } else {
        const long whole = std::lround(std::max(0.0, seconds));
        std::snprintf(text, size, "%ld:%02ld", whole / 60, whole % 60);
    }
}

}  // namespace

double showSeconds(const DemoRun& run) {
    const PlayerState& p = run.player;
    if (p.paused) return p.heldShowSeconds;
    if (currentScene < 0) return run.musicStart;
    return rowShowSeconds(currentScene) + (clockSeconds() - sceneStartTime);
}

double shownShowSeconds(const DemoRun& run) {
    const PlayerState& p = run.player;
    if (p.paused) return p.heldShowSeconds;
    if (p.shownPass >= 0) return p.shownPass / kSeekFps;
    return rowShowSeconds(rowOnScreen()) + p.lastSceneSeconds;
}

double showLength(const DemoRun& run) {
    // A longer music file lengthens the show; a shorter one (cut short) does not shorten it.
    return std::max(run.player.musicSeconds, kShowSeconds);
}

void seekPlayer(DemoRun& run, double seconds) {
    if (!(seconds > 0.0)) seconds = 0.0;  // NaN too
    const double began = monotonicSeconds();
    const SeekResult result = seekShow(std::min(seconds, showLength(run)));
    logSeek(result.showSeconds, (monotonicSeconds() - began) * 1000.0);
    PlayerState& p = run.player;
    ++p.seeks;
    p.shownPass = result.pass;
    p.heldShowSeconds = result.showSeconds;
    p.heldSceneSeconds = result.sceneSeconds;
    p.lastSceneSeconds = result.sceneSeconds;
    if (!p.paused && run.stream != 0) platform::audioStreamPlay(run.stream, result.showSeconds);
    showTimeLine(run);
}

void showTimeLine(DemoRun& run) {
    run.player.timeLineEndTime = clockSeconds() + kTimeLineSeconds;
    showRestingTitle(run);
}

void setPaused(DemoRun& run, bool paused) {
    PlayerState& p = run.player;
    if (p.paused == paused) return;
    const float now = clockSeconds();
    if (paused) {
        // The frame on screen is the latest pass's (or the seek's, exactly).
        p.heldSceneSeconds = p.lastSceneSeconds;
        p.heldShowSeconds = shownShowSeconds(run);
        p.pausedSince = now;
        if (run.stream != 0) platform::audioStreamPause(run.stream);
    } else {
        p.pausedSeconds += now - p.pausedSince;
        sceneStartTime = now - p.heldSceneSeconds;  // the scene clock runs on from there
        run.framesAtWindowStart = run.frames;       // the statistics count afresh
        run.windowStartTime = now;
        if (run.stream != 0) platform::audioStreamPlay(run.stream, p.heldShowSeconds);
        runGentleClockOn();
    }
    p.paused = paused;
    showRestingTitle(run);
}

bool answerPlayerRequest(DemoRun& run) {
    const PlayerRequest request = playerRequest;
    playerRequest = PlayerRequest{};
    const long seeksBefore = run.player.seeks;
    switch (request.kind) {
        case PlayerRequest::Kind::None: break;
        case PlayerRequest::Kind::Key: answerKey(run, request.key); break;
        case PlayerRequest::Kind::SeekTo: seekPlayer(run, request.seconds); break;
        case PlayerRequest::Kind::Resync: catchUpWithTheMusic(run); break;
    }
    return run.player.seeks != seeksBefore;
}

void seekNextSceneWrapping(DemoRun& run) {
    const int next = rowOnScreen() + 1;
    seekPlayer(run, rowShowSeconds(next < timelineRowCount ? next : 0));
}

void setTitle(DemoRun& run, const char* text) {
    if (!run.windowed || run.title == text) return;
    run.title = text;
    platform::setWindowTitle(text);
}

void showRestingTitle(DemoRun& run) {
    if (!timeLineShown(run)) {
        setTitle(run, kWindowTitle);
        return;
    }
    char line[160];
    formatTimeLine(run, line, sizeof line);
    setTitle(run, line);
}

bool timeLineShown(const DemoRun& run) {
    return run.player.paused || clockSeconds() < run.player.timeLineEndTime;
}

void formatTimeLine(const DemoRun& run, char* text, size_t size) {
    char at[32], length[32];
    formatClock(showSeconds(run), true, at, sizeof at);
    formatClock(showLength(run), false, length, sizeof length);
    const int scene = sceneNumberOfRow(rowOnScreen());
    std::snprintf(text, size, "Dorminax - scene %d %s - %s / %s%s", scene, sceneName(scene), at,
                  length, run.player.paused ? " - paused" : "");
}

void reportChapters() {
    platform::Chapter chapters[kSceneCount];
    int count = 0;
    for (int scene = 1; scene <= kSceneCount && rowOfScene(scene) < timelineRowCount; ++scene)
        chapters[count++] = {showSecondsOfScene(scene), sceneName(scene)};
    platform::showChapters(chapters, count);
}

void reportPlayerPosition(const DemoRun& run) {
    platform::showPlayerPosition({showSeconds(run), showLength(run),
                                  sceneNumberOfRow(rowOnScreen()), run.player.paused});
}

void refreshMusicLength(DemoRun& run) {
    if (run.stream == 0 || run.player.musicSeconds > 0.0) return;
    const double length = platform::audioStreamLength(run.stream);
    if (!(length > 0.0)) return;
    run.player.musicSeconds = length;
    if (length < kShowSeconds - 0.05) {
        std::fprintf(stderr, "%s ends at %.1f s, the show lasts %.0f s\n",
                     hostPath(kMusicName).c_str(), length, kShowSeconds);
    }
    extendSeekingSpan(length);
}
