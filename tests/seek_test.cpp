// Seeking: the frame shown right after seekShow(T) is the frame tool's at T, whatever the
// show did before (another scene, another frame rate, forwards or back), with the
// checkpoints in place and without them; and laying the checkpoints down between passes
// leaves the show's own frames as they were. One playing of the show serves it all: the
// golden frames are the frame tool's at 60 frames per second.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/display.h"
#include "golden_frames.h"
#include "scenes/scene_table.h"
#include "show/checkpoint_worker.h"
#include "show/demo.h"
#include "show/seek.h"
#include "show/show_passes.h"
#include "show/simulated_show.h"
#include "show/timeline.h"
#include "test_support.h"

namespace {

// Passes of the show by the clock at a frame rate of their own, after the simulated ones.
class LivePasses {
public:
    LivePasses(DemoRun& run, uint32_t fromTicks) : run_(run), ticks_(fromTicks) {}
    void play(int passes, double fps) {
        for (int i = 0; i < passes; ++i) {
            ticks_ += static_cast<uint32_t>(1000.0 / fps);
            setSimulatedTicks(ticks_);
            runMainLoopPass(run_);
        }
    }

private:
    DemoRun& run_;
    uint32_t ticks_;
};

}  // namespace

TEST(ShowPasses, PassesAndRowStartsAreTheFrameToolsOwn) {
    EXPECT_EQ(passAtOrAfter(0.0, 60.0), 0);
    EXPECT_EQ(passAtOrAfter(0.1, 60.0), 6);
    EXPECT_EQ(passAtOrAfter(98.5, 60.0), 5910);
    EXPECT_EQ(passAtOrAfter(5911 / 60.0, 60.0), 5911);
    EXPECT_EQ(passAtOrAfter(98.49, 60.0), 5910);
    EXPECT_EQ(passAtOrAfter(-3.0, 60.0), 0);
    // A row begins a pass after the one on which its elapsed time equals its duration.
    EXPECT_EQ(firstPassOfRow(1, 60.0), 1801);
    EXPECT_EQ(placeOfPass(1800, 60.0).row, 0);
    EXPECT_EQ(placeOfPass(1801, 60.0).row, 1);
    EXPECT_EQ(placeOfPass(1000000, 60.0).row, kSceneCount - 1);
    // A scene's own time: from its first pass; nowhere past its end, the last scene's open.
    EXPECT_EQ(passAtSceneTime(1, 0.0, 60.0), 1801);
    EXPECT_EQ(passAtSceneTime(rowOfScene(6), 5.5, 60.0), -1);
    EXPECT_GT(passAtSceneTime(kSceneCount - 1, 600.0, 60.0), 0);
    EXPECT_EQ(passAtSceneTime(1, -1.0, 60.0), -1);
    EXPECT_EQ(passAtSceneTime(1, std::nan(""), 60.0), -1);
    EXPECT_EQ(passAtSceneTime(kSceneCount, 0.0, 60.0), -1);
}

TEST(Seeking, TheFrameAfterASeekIsTheFrameToolsFromAnywhere) {
    // The last scene checked up to 160 s: its passes are the dearest to replay.
    constexpr double kLastChecked = 160.0;
    SimulatedShow show(60.0);
    ASSERT_TRUE(show.start());
    prepareSeeking(kLastChecked);

    // The show itself, with checkpoints laid down between its passes (every seventh, the
    // live show's state set aside and put back each time): its frames stay the golden
    // ones, and its rows begin where the pass arithmetic says.
    std::vector<const GoldenFrame*> checked;
    std::vector<long> rowStarts(kSceneCount, -1);
    // The pass on which each row's scene time reaches this (after a last millisecond's
    // rounding, one pass later than row start + 4.9 s in several rows).
    constexpr double kSceneSecondsChecked = 4.9;
    std::vector<long> sceneTimeReached(kSceneCount, -1);
    for (const GoldenFrame& golden : kGolden) {
        if (golden.showSeconds > kLastChecked) break;
        checked.push_back(&golden);
        while (show.framesRun() == 0 || show.lastFrameSeconds() < golden.showSeconds) {
            show.step();
            if (rowStarts[currentScene] < 0) rowStarts[currentScene] = show.framesRun() - 1;
            if (sceneTimeReached[currentScene] < 0 &&
                clockSeconds() - sceneStartTime >= kSceneSecondsChecked)
                sceneTimeReached[currentScene] = show.framesRun() - 1;
            if (show.framesRun() % 7 == 0) buildCheckpoints(1.0);
        }
        ASSERT_EQ(hashFrameOnScreen(), golden.hash)
            << "laying checkpoints down changed the show's frame at " << golden.showSeconds;
    }
    for (int row = 0; row < kSceneCount; ++row) {
        EXPECT_EQ(rowStarts[row], firstPassOfRow(row, 60.0)) << "row " << row;
        EXPECT_EQ(sceneTimeReached[row], passAtSceneTime(row, kSceneSecondsChecked, 60.0))
            << "row " << row;
    }
    buildAllCheckpoints();

    // Seeks in a jumbled order, each after a few passes by the clock at another rate.
    LivePasses live(show.run(), ticksOfPass(show.framesRun(), 60.0));
    const double rates[] = {24.0, 60.0, 144.0, 9.0};
    for (size_t i = 0; i < checked.size(); ++i) {
        const GoldenFrame& golden = *checked[(i * 37) % checked.size()];
        live.play(3, rates[i % 4]);
        const SeekResult result = seekShow(golden.showSeconds);
        EXPECT_EQ(hashFrameOnScreen(), golden.hash) << "seek to " << golden.showSeconds;
        EXPECT_EQ(result.pass, passAtOrAfter(golden.showSeconds, 60.0));
        EXPECT_EQ(currentScene, result.row);
    }

    // Without checkpoints: a seek plays from the scene's beginning and lays them down as
    // it passes them, for the next seek and for the builder, which goes on from there.
    prepareSeeking(kLastChecked);
    const double times[] = {150.0, 148.0, 152.0, 4.0, 52.0};
    for (double seconds : times) {
        const GoldenFrame* golden = nullptr;
        for (const GoldenFrame* g : checked) {
            if (g->showSeconds == seconds) golden = g;
        }
        ASSERT_NE(golden, nullptr);
        seekShow(seconds);
        EXPECT_EQ(hashFrameOnScreen(), golden->hash) << "seek without checkpoints to " << seconds;
        buildCheckpoints(5.0);
        live.play(2, 30.0);
    }
    show.finish();
}

TEST(Seeking, InTheGentleShowASeekOrAHeldFrameIsTheFrameToolsGentleFrame) {
    // Inside scene 1's and scene 8's flashing and around it, where the limiter's history
    // decides the colours, and in calm scenes after a long stretch of history.
    const double moments[] = {3.0,  11.2, 15.3, 19.4,  23.0,  26.7,
                              28.5, 29.9, 31.0, 62.0, 134.6, 136.4};
    SimulatedShow show(60.0);
    DemoOptions gentle;
    gentle.gentle = true;
    ASSERT_TRUE(show.start(gentle));
    std::vector<uint64_t> hashes;
    for (double seconds : moments) {
        show.runUntil(seconds);
        hashes.push_back(hashFrameOnScreen());
    }
    prepareSeeking(moments[11]);

    // No checkpoints yet: the first seek replays every row before its own; later ones
    // find checkpoints or lay them. Each seek comes after live passes at some other rate,
    // and a held picture shown again later keeps its colours.
    LivePasses live(show.run(), ticksOfPass(show.framesRun(), 60.0));
    const int count = int(std::size(moments));
    for (int i = 0; i < 2 * count; ++i) {
        const int at = (i * 7 + 11) % count;
        live.play(4, i % 2 ? 144.0 : 25.0);
        seekShow(moments[at]);
        EXPECT_EQ(hashFrameOnScreen(), hashes[at]) << "seek to " << moments[at];
        setSimulatedTicks(clockTicks() + 2500);
        presentAgain();
        EXPECT_EQ(hashFrameOnScreen(), hashes[at]) << "held at " << moments[at];
        if (i == count - 1) buildAllCheckpoints();
    }
    show.finish();
}

TEST(Seeking, CheckpointsHandedOverByTheHelperProcessLandOnTheFrameToolsFrames) {
    // The helper (the demo itself, --lay-checkpoints) replays in a process of its own and
    // hands every checkpoint over whole, the gentle show's limiter history included: seeks
    // that start from them show the frame tool's frames, gentle and not.
    constexpr double kSpan = 70.0;
    const double moments[] = {11.2, 29.9, 31.0, 62.0};
    SimulatedShow show(60.0);
    DemoOptions gentle;
    gentle.gentle = true;
    gentle.dataFolder = dataDir();
    ASSERT_TRUE(show.start(gentle));
    std::vector<uint64_t> hashes;
    for (double seconds : moments) {
        show.runUntil(seconds);
        hashes.push_back(hashFrameOnScreen());
    }

    prepareSeeking(kSpan);
    CheckpointWorker worker;
    ASSERT_TRUE(startCheckpointWorker(worker, gentle, kSpan, DORMINAX_DEMO));
    while (pollCheckpointWorker(worker)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(checkpointsComplete()) << "the helper ended before every checkpoint came";
    EXPECT_GT(checkpointBytes(), 0.0);

    for (size_t i = 0; i < std::size(moments); ++i) {
        const size_t at = (i * 3 + 1) % std::size(moments);
        seekShow(moments[at]);
        EXPECT_EQ(hashFrameOnScreen(), hashes[at]) << "gentle seek to " << moments[at];
    }
    setGentleMode(false);
    int seeks = 0;
    for (size_t i = 0; i < kGoldenCount; ++i) {
        const GoldenFrame& golden = kGolden[(i * 37) % kGoldenCount];
        if (golden.showSeconds > kSpan) continue;
        seekShow(golden.showSeconds);
        EXPECT_EQ(hashFrameOnScreen(), golden.hash) << "seek to " << golden.showSeconds;
        ++seeks;
    }
    EXPECT_GT(seeks, 10);
    EXPECT_TRUE(checkpointsComplete());
    show.finish();
}

TEST(Seeking, AHelperThatCannotStartOrSendsNoRecordsLeavesTheCheckpointsToTheShow) {
    SimulatedShow show(60.0);
    ASSERT_TRUE(show.start());
    prepareSeeking(60.0);
    CheckpointWorker worker;
    EXPECT_FALSE(startCheckpointWorker(worker, DemoOptions{}, 60.0, "/nonexistent/dorminax"));
    EXPECT_FALSE(pollCheckpointWorker(worker));

    // Bytes that are no record, and a length past any record: nothing installed.
    const char* const bogus[] = {"printf '\\010\\000\\000\\000garbage!' >&3",
                                 "printf 'xxxxxxxxxxxxxxxx' >&3"};
    for (const char* script : bogus) {
        const char* const arguments[] = {"-c", script, nullptr};
        ASSERT_TRUE(platform::startWorker("/bin/sh", arguments, worker.process));
        worker.running = true;
        while (pollCheckpointWorker(worker))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(checkpointBytes(), 0.0) << script;
    }
    EXPECT_FALSE(checkpointsComplete());

    // The show lays them itself, and seeks land as ever.
    buildAllCheckpoints();
    EXPECT_TRUE(checkpointsComplete());
    for (const GoldenFrame& golden : kGolden) {
        if (golden.showSeconds > 40.0) break;
        seekShow(golden.showSeconds);
        EXPECT_EQ(hashFrameOnScreen(), golden.hash) << "seek to " << golden.showSeconds;
    }
    show.finish();
}
