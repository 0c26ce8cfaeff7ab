// The main loop and the timeline, driven with a simulated clock and injected key
// releases over a table of recording scenes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "scenes/scene_table.h"
#include "show/demo.h"
#include "show/timeline.h"

namespace {

std::vector<std::string> calls;
std::vector<float> renderTimes;

template <int Row>
struct RecordingScene {
    static void load() { calls.push_back("load" + std::to_string(Row)); }
    static void unload() { calls.push_back("unload" + std::to_string(Row)); }
    static void start() { calls.push_back("start" + std::to_string(Row)); }
    static void render(float t) {
        calls.push_back("render" + std::to_string(Row));
        renderTimes.push_back(t);
    }
};

template <int Row>
constexpr SceneEntry row(float duration) {
    return {RecordingScene<Row>::load, RecordingScene<Row>::unload, RecordingScene<Row>::start,
            RecordingScene<Row>::render, duration};
}

const SceneEntry kRows[] = {row<1>(2.0f), row<2>(0.5f), row<3>(1.0f)};

class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        useSceneRows(kRows, 3);
        calls.clear();
        renderTimes.clear();
        headless::setShiftHeld(false);
        headless::setYesNoAnswer(false);
        headless::setTicks(1000000);  // the machine has been up a while
    }
    void TearDown() override { useSceneRows(SceneTable, kSceneCount); }

    void start() {
        ASSERT_TRUE(startDemo(run));
        beginShow(run);
        calls.clear();
    }
    // One pass at `ms` milliseconds after the show began.
    bool passAt(uint32_t ms) {
        headless::setTicks(1000000 + ms);
        return runMainLoopPass(run);
    }

    DemoRun run;
};

TEST_F(TimelineTest, StartUpLoadsEveryRowInOrderBehindTheLoadingScreen) {
    ASSERT_TRUE(startDemo(run));
    EXPECT_EQ(calls, (std::vector<std::string>{"load1", "load2", "load3"}));
    EXPECT_EQ(currentScene, -1);
}

TEST_F(TimelineTest, FirstPassStartsRowOneBeforeItsFirstRender) {
    start();
    passAt(0);
    EXPECT_EQ(calls, (std::vector<std::string>{"start1", "render1"}));
    EXPECT_EQ(currentScene, 0);
    EXPECT_FLOAT_EQ(renderTimes[0], 0.0f);
}

TEST_F(TimelineTest, SwitchesOnlyWhenElapsedTimeExceedsTheDuration) {
    start();
    passAt(0);
    passAt(2000);  // exactly 2 s: row 1 stays
    EXPECT_EQ(currentScene, 0);
    EXPECT_FLOAT_EQ(renderTimes.back(), 2.0f);
    passAt(2001);
    EXPECT_EQ(currentScene, 1);
    EXPECT_EQ(calls.back(), "render2");
    EXPECT_FLOAT_EQ(renderTimes.back(), 0.0f);
}

TEST_F(TimelineTest, EachSpaceReleaseAdvancesExactlyOneRow) {
    start();
    passAt(0);
    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeySpace);
    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeySpace);
    passAt(10);
    EXPECT_EQ(currentScene, 1);
    passAt(20);
    EXPECT_EQ(currentScene, 2);
    passAt(30);
    EXPECT_EQ(currentScene, 2);
}

TEST_F(TimelineTest, LastRowWrapsToTheFirstWithoutLoadingAgain) {
    start();
    passAt(0);
    passAt(2001);  // row 2
    passAt(2600);  // row 3
    passAt(3700);  // back to row 1
    EXPECT_EQ(currentScene, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"start1", "render1", "start2", "render2", "start3",
                                               "render3", "start1", "render1"}));
}

TEST_F(TimelineTest, EscapeEndsTheLoopAndEveryRowUnloads) {
    start();
    passAt(0);
    headless::clearDebugText();
    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeyEscape);
    EXPECT_TRUE(passAt(500));  // the release posts the quit message...
    EXPECT_FALSE(passAt(1000));  // ...which the next pass takes
    calls.clear();
    EXPECT_EQ(finishDemo(run), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"unload1", "unload2", "unload3"}));
    EXPECT_STREQ(headless::debugText(), "fps = 2\n");  // two renders in one second
    EXPECT_FALSE(headless::windowOpen());
}

TEST_F(TimelineTest, ClosingTheWindowEndsTheLoop) {
    start();
    passAt(0);
    headless::pushMessage(platform::MessageType::Close);
    passAt(10);
    EXPECT_FALSE(passAt(20));
}

TEST_F(TimelineTest, ShiftShowsStatisticsInTheTitleAtMostTenTimesASecond) {
    headless::setYesNoAnswer(true);  // windowed
    start();
    passAt(0);
    headless::setShiftHeld(true);
    passAt(50);
    EXPECT_STREQ(headless::windowTitle(), "--== Dorminax ==--");
    passAt(150);  // (at this uptime a tenth of a second reads as 0.09998: wait 0.15)
    EXPECT_EQ(std::string(headless::windowTitle()).rfind("1/3, 0.1", 0), 0u)
        << headless::windowTitle();
    headless::setShiftHeld(false);
    passAt(200);
    EXPECT_NE(std::string(headless::windowTitle()), "--== Dorminax ==--");
    passAt(300);
    EXPECT_STREQ(headless::windowTitle(), "--== Dorminax ==--");
}

TEST_F(TimelineTest, FullScreenStatisticsGoToTheDebugOutput) {
    start();
    passAt(0);
    headless::clearDebugText();
    headless::setShiftHeld(true);
    passAt(150);
    const std::string text = headless::debugText();
    EXPECT_EQ(text.rfind("1/3, 0.1", 0), 0u) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_STREQ(headless::windowTitle(), "--== Dorminax ==--");
}

// Each scene's file defines its own row: the table must still list them in show order,
// each with its own duration and its name as the show calls it.
TEST(SceneTable, RowsRunInShowOrderWithTheirDurationsAndNames) {
    const char* const names[kSceneCount] = {
        "Ring flight", "Deforming sphere", "Knot over the pond", "Swirl",          "Credits",
        "Reveal",      "Metaballs",        "Supertoroid",        "Attractor trails",
    };
    for (int scene = 1; scene <= kSceneCount; ++scene) {
        const SceneEntry& row = SceneTable[rowOfScene(scene)];
        EXPECT_EQ(row.duration, kSceneDurations[scene - 1]) << scene;
        EXPECT_STREQ(sceneName(scene), names[scene - 1]);
        EXPECT_NE(row.render, nullptr) << scene;
    }
    EXPECT_STREQ(sceneName(0), "");
    EXPECT_STREQ(sceneName(kSceneCount + 1), "");
}

}  // namespace
