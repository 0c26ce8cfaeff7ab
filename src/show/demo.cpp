// Program entry, the main loop and its statistics, and the exit sequence.
#include "show/demo.h"

#include <algorithm>
#include <cstdio>

#include "assets/data_file.h"
#include "core/clock.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/bilinear.h"
#include "platform/data_path.h"
#include "platform/platform.h"
#include "safety/gentle_limiter.h"
#include "scenes/scene_table.h"
#include "show/checkpoint_pacing.h"
#include "show/checkpoint_worker.h"
#include "show/loading_screen.h"
#include "show/music_clock.h"
#include "show/player.h"
#include "show/seek.h"
#include "show/timeline.h"
#include "show/timing_log.h"
#include "show/window_proc.h"

namespace {

// The helper that lays the seek's checkpoints down; it loads as the show does.
CheckpointWorker checkpointWorker;

constexpr float kFlashSeconds = 1.0f;  // how long the title says a screenshot failed
constexpr float kStatisticsInterval = 0.1f;
// The seek's checkpoints are laid down between passes (checkpoint_pacing.h says how long),
// and for longer while the show is held and has nothing else to do.
constexpr double kCheckpointMsPerHeldPass = 12.0;
constexpr uint32_t kHeldPassRestMs = 10;  // a held show with every checkpoint in place

// A music file that is there but no regular file is refused, as any data file would be
// (opened, a FIFO would hold the demo for ever); a missing one means a silent show. True
// when it is there.
bool checkMusicFile() {
    std::string whyNot;
    std::FILE* file = openDataFile(kMusicName, &whyNot);
    if (file) std::fclose(file);
    else if (whyNot != "missing") failDataFile("Error loading file", kMusicName, whyNot);
    return file != nullptr;
}

void startAudio(DemoRun& run) {
    run.stream = 0;
    const bool musicThere = checkMusicFile();
    if (!platform::audioInit()) return;  // silent show: the backend has said so
    platform::audioStart();
    run.stream = platform::audioStreamCreateFile(kMusicName);
    // There but not music (empty, text, another format): said, not played in silence.
    if (run.stream == 0 && musicThere)
        std::fprintf(stderr, "cannot decode %s: playing silent\n", hostPath(kMusicName).c_str());
}

void advanceTimelineIfDue() {
    if (advanceRequested) {
        advanceRequested = false;
        advanceScene();
    }
    if (currentScene == -1) {
        advanceScene();
    } else if (clockSeconds() - sceneStartTime > timelineRows[currentScene].duration) {
        advanceScene();  // an unordered comparison (NaN) does not advance
    }
}

// Every 0.1 s: with Shift held, the scene, its time and the frame rate; released, the
// window title comes back (the player's time line, when it has one to show). Held, the
// counts stop: the text keeps the held frame's scene time and the last rate.
void updateStatistics(DemoRun& run) {
    const bool held = run.player.paused;
    if (!held) {
        const float now = clockSeconds();
        run.player.lastRate =
            (run.frames - run.framesAtWindowStart) / double(now - run.windowStartTime);
    }
    if (platform::isShiftHeld()) {
        run.titleChanged = true;
        const double sceneTime =
            held ? run.player.heldSceneSeconds : double(clockSeconds() - sceneStartTime);
        char text[128];
        std::snprintf(text, sizeof text, "%d/%d, %f, %f", currentScene + 1, timelineRowCount,
                      sceneTime, run.player.lastRate);
        if (run.windowed) {
            setTitle(run, text);
        } else {
            platform::debugOutput(text);
            platform::debugOutput("\n");
        }
    } else if (run.titleChanged || run.flashEndTime == 0.0f) {
        showRestingTitle(run);
        run.titleChanged = false;
    }
    run.framesAtWindowStart = run.frames;
    run.windowStartTime = clockSeconds();
}

// The window scale asked for, or the largest that fits on the screen, which is then said.
int fittingScale(int wanted) {
    if (wanted <= 1) return wanted;
    const int largest = platform::largestWindowScale();
    if (largest == 0 || wanted <= largest) return wanted;
    std::fprintf(stderr, "--scale %d: the window would not fit on the screen; scale %d instead\n",
                 wanted, largest);
    return largest;
}

// A screenshot that could not be written (standard error has said why) shows in the
// window's title for a second.
void flashScreenshotFailure(DemoRun& run) {
    const float now = clockSeconds();
    if (screenshotFailed) {
        screenshotFailed = false;
        if (!run.windowed) return;
        setTitle(run, "screenshot failed");
        run.flashEndTime = now + kFlashSeconds;
    } else if (run.flashEndTime > 0.0f && now >= run.flashEndTime) {
        run.flashEndTime = 0.0f;
        showRestingTitle(run);
    }
}

// A held pass: the picture shown again, no frame drawn or counted; Space shows the next
// scene, held.
void holdPicture(DemoRun& run) {
    if (advanceRequested) {
        advanceRequested = false;
        seekNextSceneWrapping(run);
    }
    presentAgain();
    if (clockSeconds() - run.windowStartTime >= kStatisticsInterval) updateStatistics(run);
}

void logPass(const DemoRun& run) {
    if (!timingLogOpen()) return;
    logFramePresented(shownShowSeconds(run));
    const double music = run.stream != 0 ? platform::audioStreamPosition(run.stream) : -1.0;
    if (music >= 0.0) logAudioPosition(music);
}

}  // namespace

bool startDemo(DemoRun& run, const DemoOptions& options) {
    run = DemoRun{};
    run.title = kWindowTitle;
    run.player.startSeconds = options.startSeconds;
    run.player.startPaused = options.startPaused;
    // Held from the start with --scene N: that scene's first frame, as its key shows it.
    if (options.startPaused && options.startSeconds < 0.0)
        run.player.startSeconds = rowShowSeconds(rowOfScene(options.firstScene));
    if (!options.timingLog.empty() && !openTimingLog(options.timingLog)) return false;
    setDataFolder(options.dataFolder);
    resetTimeline(rowOfScene(options.firstScene));
    run.musicStart = showTimeOfRow(rowOfScene(options.firstScene));
    run.audioOffsetSeconds = options.audioOffsetMs / 1000.0;
    screenshotCounter = 0;
    switch (options.mode) {
        case DemoOptions::Mode::Ask:
            run.windowed = platform::askYesNo("Window Mode?", "Dorminax");
            break;
        case DemoOptions::Mode::Window: run.windowed = true; break;
        case DemoOptions::Mode::FullScreen: run.windowed = false; break;
    }
    // A browser paces every pass by the display: the checkpoints there get only the time
    // the loop would otherwise wait.
    const bool windowPaced = platform::paceWindowByDisplay(options.vsync);
    run.paced = !run.windowed || windowPaced;
    if (!openDisplay(run.windowed,
                     run.windowed ? fittingScale(options.windowScale) : options.windowScale))
        return false;
    installGentleLimiter();  // presentation passes the gentle show's pictures through it
    setGentleMode(options.gentle);
    startAudio(run);
    refreshMusicLength(run);
    if (options.checkpointHelper)
        startCheckpointWorker(checkpointWorker, options, showLength(run));
    loadScenes();
    prepareSeeking(showLength(run));
    return true;
}

void beginShow(DemoRun& run) {
    advanceRequested = false;
    run.frames = 0;
    run.framesAtWindowStart = 0;
    run.windowStartTime = clockSeconds();
    run.loopStartTime = run.windowStartTime;
    restartGentleLimiter();  // the show's first picture owes nothing to the loading screen's
    reportChapters();
    PlayerState& player = run.player;
    if (player.startSeconds >= 0.0 || player.startPaused) {
        // A show that starts at a moment of its own: the frame tool's frame there.
        player.paused = player.startPaused;
        player.pausedSince = clockSeconds();
        seekPlayer(run, std::max(player.startSeconds, 0.0));
        run.windowStartTime = clockSeconds();
    } else if (run.stream != 0) {
        platform::audioStreamPlay(run.stream, run.musicStart);
    }
}

bool runMainLoopPass(DemoRun& run) {
    if (!pumpOneMessage()) return false;
    flashScreenshotFailure(run);
    const bool seekDrew = answerPlayerRequest(run);  // a seek draws the pass's frame itself
    if (run.player.paused) {
        holdPicture(run);
    } else {
        if (!seekDrew) {
            const bool nextSceneAsked = advanceRequested;
            followTheMusic(run);
            advanceTimelineIfDue();
            const float t = clockSeconds() - sceneStartTime;
            run.player.lastSceneSeconds = t;
            run.player.shownPass = -1;
            const double drawStart = monotonicSeconds();
            currentRender(t);
            run.pacing.drawMs = (monotonicSeconds() - drawStart) * 1000.0;
            showPaletteChange();
            run.frames += 1;
            if (nextSceneAsked) showTimeLine(run);  // where Space went, as a seek says it
        }
        if (clockSeconds() - run.windowStartTime >= kStatisticsInterval) updateStatistics(run);
    }
    logPass(run);
    reportPlayerPosition(run);
    return true;
}

int finishDemo(DemoRun& run) {
    // The rate covers the whole loop, from the music's start to the quit message.
    const float endTime = clockSeconds();
    for (int i = 0; i < timelineRowCount; ++i) timelineRows[i].unload();
    // Time held is no time of the loop's frames.
    double held = run.player.pausedSeconds;
    if (run.player.paused) held += endTime - run.player.pausedSince;
    const double span = endTime - run.loopStartTime - held;
    const int rate = span > 0.0 ? truncToInt(run.frames / span) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "fps = %d", rate);
    platform::debugOutput(text);
    platform::debugOutput("\n");
    closeDisplay();
    closeTimingLog();
    if (run.stream != 0) {
        platform::audioStreamFree(run.stream);
        platform::audioStop();
        platform::audioFree();
    }
    return 0;
}

namespace {

// At file level: in a browser the loop goes on after runDemo has returned.
DemoRun loopRun;
int loopExitCode = 0;

// After a pass of the live show: a turn of the seek's checkpoints, and the music's
// length once the platform knows it.
void betweenPasses(DemoRun& run) {
    if (run.frames % 16 == 0) refreshMusicLength(run);
    const bool held = run.player.paused;
    notePassEnd(run.pacing, monotonicSeconds());
    if (pollCheckpointWorker(checkpointWorker)) {  // the helper lays them: no replay here
        if (held) platform::idle(kHeldPassRestMs);
        return;
    }
    const double budget =
        held ? kCheckpointMsPerHeldPass
             : checkpointBudgetMs(run.paced, refreshMs(run.pacing), run.pacing.drawMs);
    const bool more = buildCheckpoints(budget);
    if (held && !more) platform::idle(kHeldPassRestMs);
}

}  // namespace

int runDemo(const DemoOptions& options) {
    DemoOptions withHelper = options;
    withHelper.checkpointHelper = true;
    if (!startDemo(loopRun, withHelper)) return 1;
    beginShow(loopRun);
    platform::runMainLoop(
        [] {
            if (!runMainLoopPass(loopRun)) return false;
            betweenPasses(loopRun);
            return true;
        },
        [] {
            stopCheckpointWorker(checkpointWorker);
            loopExitCode = finishDemo(loopRun);
        });
    return loopExitCode;
}
