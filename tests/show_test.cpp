// The whole show under the headless backend: every row of the timeline loads, plays and
// unloads, twice round, the first time by the clock and the second by Space skips.
#include <gtest/gtest.h>

#include <vector>

#include "core/clock.h"
#include "platform/headless/headless.h"
#include "scenes/scene_table.h"
#include "show/demo.h"
#include "show/simulated_show.h"
#include "show/timeline.h"

namespace {

constexpr uint32_t kBootTicks = 500000;
constexpr uint32_t kFrameMs = 100;        // 10 frames a second
constexpr float kLastRowSeconds = 30.0f;  // the last row never ends by itself

class ShowTest : public ::testing::Test {
protected:
    // One pass of the main loop a frame later; records each row as it becomes current.
    bool pass() {
        showMs += kFrameMs;
        headless::setTicks(kBootTicks + showMs);
        const bool running = runMainLoopPass(run);
        if (rowsSeen.empty() || rowsSeen.back() != currentScene) rowsSeen.push_back(currentScene);
        return running;
    }
    void pressSpace() { headless::pushMessage(platform::MessageType::KeyUp, platform::kKeySpace); }
    float secondsInRow() const { return (kBootTicks + showMs) * 0.001f - sceneStartTime; }

    DemoRun run;
    uint32_t showMs = 0;
    std::vector<int> rowsSeen;
};

}  // namespace

TEST_F(ShowTest, EveryRowPlaysTwiceRoundWithSpaceSkips) {
    headless::setYesNoAnswer(false);
    headless::setTicks(kBootTicks);
    ASSERT_TRUE(startDemo(run));
    beginShow(run);
    const int presentedBefore = headless::presentCount();
    const int lastRow = kSceneCount - 1;

    // First round by the clock; the last row plays half a minute, then Space wraps round.
    while (!(currentScene == lastRow && secondsInRow() >= kLastRowSeconds)) ASSERT_TRUE(pass());
    pressSpace();
    ASSERT_TRUE(pass());
    ASSERT_EQ(currentScene, 0);

    // Second round: a few frames of each row, then Space, until the show wraps again.
    for (int row = 0; row < kSceneCount; ++row) {
        for (int frame = 0; frame < 5; ++frame) ASSERT_TRUE(pass());
        pressSpace();
    }
    ASSERT_TRUE(pass());

    std::vector<int> expected;
    for (int round = 0; round < 2; ++round)
        for (int row = 0; row < kSceneCount; ++row) expected.push_back(row);
    expected.push_back(0);
    EXPECT_EQ(rowsSeen, expected);
    EXPECT_EQ(headless::presentCount() - presentedBefore, static_cast<int>(showMs / kFrameMs));

    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeyEscape);
    EXPECT_TRUE(pass());  // the release posts the quit message, the next pass takes it
    EXPECT_FALSE(pass());
    EXPECT_EQ(finishDemo(run), 0);
}

TEST(SimulatedShowTest, SceneTimeCountsFromThePassThatReallyBeganTheScene) {
    // Each scene begins a pass after the one before has run strictly longer than its
    // duration, so by scene 6 its real start lies passes after the table's sum.
    const double fps = 10.0;
    const int row = rowOfScene(6);
    SimulatedShow show(fps);
    ASSERT_TRUE(show.start());
    ASSERT_TRUE(show.runUntilSceneTime(row, 0.01));
    EXPECT_EQ(currentScene, row);
    const float sceneTime = clockSeconds() - sceneStartTime;
    EXPECT_GE(sceneTime, 0.01f);
    EXPECT_LT(sceneTime, 0.01 + 1.0 / fps);  // the first such pass, not a later one
    EXPECT_GT(show.lastFrameSeconds(), showTimeOfRow(row) + 1.0 / fps);
    // A time past the scene's end is never reached in it.
    EXPECT_FALSE(show.runUntilSceneTime(row, SceneTable[row].duration + 1.0));
    EXPECT_NE(currentScene, row);
    show.finish();
}
