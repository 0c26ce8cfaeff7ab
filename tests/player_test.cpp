// The player in a run of the real show under the headless backend: held, the picture and
// the statistics stop and the music with them; the keys seek (and the music follows, the
// backend noting each call); the title carries the time line while held or just after a
// seek. The frames a seek shows are the seek suite's business.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/display.h"
#include "platform/headless/headless.h"
#include "scenes/scene_table.h"
#include "show/demo.h"
#include "show/player.h"
#include "show/seek.h"
#include "show/timeline.h"

namespace {

constexpr uint32_t kBootTicks = 3000000;

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::setYesNoAnswer(true);  // windowed: the title is the player's to write
        headless::setAudioAvailable(true, 184.0);
        headless::setTicks(kBootTicks);
    }
    void TearDown() override {
        headless::pushMessage(platform::MessageType::KeyUp, platform::kKeyEscape);
        pass(10);
        EXPECT_FALSE(pass(10));
        finishDemo(run);
        headless::setAudioAvailable(false);
    }
    void start(const DemoOptions& options) {
        ASSERT_TRUE(startDemo(run, options));
        beginShow(run);
    }
    // One pass of the main loop, ms later.
    bool pass(uint32_t ms) {
        now += ms;
        headless::setTicks(kBootTicks + now);
        return runMainLoopPass(run);
    }
    bool press(int key, uint32_t ms = 10) {
        headless::pushMessage(platform::MessageType::KeyUp, key);
        return pass(ms);
    }
    std::vector<uint8_t> frameShown() const {
        return std::vector<uint8_t>(frameOnScreen(), frameOnScreen() + kFrameSize);
    }
    std::string title() const { return headless::windowTitle(); }

    DemoRun run;
    uint32_t now = 0;
};

TEST_F(PlayerTest, HeldThePictureStatisticsAndMusicStopAndFramesStepOneByOne) {
    DemoOptions options;
    options.startSeconds = 98.5;
    options.startPaused = true;
    start(options);
    EXPECT_EQ(title(), "Dorminax - scene 6 Reveal - 1:38.5 / 3:04 - paused");
    EXPECT_STREQ(headless::audioCalls(), "");  // held from the start: no music yet

    // Held: a second of passes draws nothing new and counts no frame.
    const std::vector<uint8_t> held = frameShown();
    for (int i = 0; i < 50; ++i) pass(20);
    EXPECT_EQ(frameShown(), held);
    EXPECT_EQ(run.frames, 0u);
    EXPECT_EQ(headless::playerPosition().seconds, 98.5);
    EXPECT_TRUE(headless::playerPosition().paused);

    // Right: five seconds on, still held; then a frame back and forth.
    press(platform::kKeyRight);
    EXPECT_EQ(title(), "Dorminax - scene 7 Metaballs - 1:43.5 / 3:04 - paused");
    EXPECT_NE(frameShown(), held);
    press(platform::kKeyPeriod);
    EXPECT_EQ(run.player.shownPass, 6211);
    press(platform::kKeyComma);
    press(platform::kKeyComma);
    EXPECT_EQ(run.player.shownPass, 6209);
    EXPECT_STREQ(headless::audioCalls(), "");

    // Played: the music from the frame held; the scene clock and the statistics run on.
    press(platform::kKeyP);
    EXPECT_STREQ(headless::audioCalls(), "play 103.483; ");
    for (int i = 0; i < 25; ++i) pass(20);
    EXPECT_EQ(run.frames, 26u);  // the pass that let go drew one too
    EXPECT_NEAR(platform::audioStreamPosition(1), showSeconds(run), 0.001);
    EXPECT_NEAR(showSeconds(run), 103.483 + 0.5, 0.03);
    for (int i = 0; i < 100; ++i) pass(20);
    EXPECT_EQ(title(), "--== Dorminax ==--");  // the time line leaves two seconds after

    // Held again: the music stops; Space shows the next scene's first frame, held.
    headless::clearAudioCalls();
    press(platform::kKeyP);
    EXPECT_STREQ(headless::audioCalls(), "pause; ");
    EXPECT_LT(platform::audioStreamPosition(1), 0.0);
    press(platform::kKeySpace);
    EXPECT_EQ(currentScene, rowOfScene(8));
    EXPECT_EQ(showSeconds(run), rowShowSeconds(rowOfScene(8)));
    EXPECT_EQ(title().rfind("Dorminax - scene 8 Supertoroid - 2:00.1 / 3:04 - paused", 0), 0u)
        << title();
    EXPECT_STREQ(headless::audioCalls(), "pause; ");
}

// Held on a frame whose time does not survive adding and taking away five seconds
// (5.8666... s): Right then Left comes back to that very frame.
TEST_F(PlayerTest, HeldRightThenLeftComesBackToTheSameFrame) {
    DemoOptions options;
    options.startSeconds = 352 / 60.0;
    options.startPaused = true;
    start(options);
    ASSERT_EQ(run.player.shownPass, 352);
    press(platform::kKeyRight);
    EXPECT_EQ(run.player.shownPass, 652);
    press(platform::kKeyLeft);
    EXPECT_EQ(run.player.shownPass, 352);
}

TEST_F(PlayerTest, SceneKeysSeekAndTheMusicFollows) {
    start(DemoOptions{});
    EXPECT_STREQ(headless::audioCalls(), "play 0; ");
    pass(0);
    for (int i = 0; i < 100; ++i) pass(20);  // two seconds in
    EXPECT_EQ(title(), "--== Dorminax ==--");

    headless::clearAudioCalls();
    press(platform::kKey1 + 2);  // 3: scene 3's first frame, the music there
    EXPECT_EQ(currentScene, rowOfScene(3));
    EXPECT_EQ(run.player.shownPass, 3002);
    EXPECT_STREQ(headless::audioCalls(), "play 50.0333; ");
    EXPECT_EQ(title().rfind("Dorminax - scene 3 Knot over the pond - 0:50.0 / 3:04", 0), 0u)
        << title();
    press(platform::kKeyUp);
    EXPECT_EQ(currentScene, rowOfScene(2));
    press(platform::kKeyPageDown);
    press(platform::kKeyDown);
    EXPECT_EQ(currentScene, rowOfScene(4));
    press(platform::kKeyHome);
    EXPECT_EQ(run.player.shownPass, 0);
    press(platform::kKeyLeft);  // nothing before the start
    EXPECT_EQ(run.player.shownPass, 0);

    // The platform's own player asks for a moment: there, the music too.
    headless::clearAudioCalls();
    headless::pushSeek(5.0);
    pass(10);
    EXPECT_EQ(run.player.shownPass, 300);
    EXPECT_STREQ(headless::audioCalls(), "play 5; ");
    EXPECT_EQ(headless::playerPosition().scene, 1);
    EXPECT_DOUBLE_EQ(headless::playerPosition().lengthSeconds, 184.0);
}

TEST_F(PlayerTest, BackFromAStopOfThePassesThePictureCatchesUpWithTheMusic) {
    DemoOptions options;
    options.startSeconds = 68.0;
    start(options);
    for (int i = 0; i < 50; ++i) pass(20);
    // Ten seconds without a pass (a tab in the background), the music playing on.
    now += 10000;
    headless::pushMessage(platform::MessageType::Returned);
    pass(0);
    const double music = platform::audioStreamPosition(1);
    EXPECT_NEAR(music, 79.0, 0.05);
    EXPECT_EQ(run.player.seeks, 2) << "one seek to start, one to catch up";
    EXPECT_NEAR(showSeconds(run), music, 1.0 / 60);
    EXPECT_EQ(currentScene, rowOfScene(4));
    pass(20);
    EXPECT_NEAR(showSeconds(run), platform::audioStreamPosition(1), 1.0 / 60);
}

// --scene N with --paused holds scene N's first frame, as the key N shows it; played, Space
// says where it went in the title, as the keys that seek do.
TEST_F(PlayerTest, HeldOnTheSceneAskedForAndSpaceShowsWhereItWent) {
    DemoOptions options;
    options.firstScene = 6;
    options.startPaused = true;
    start(options);
    EXPECT_EQ(currentScene, rowOfScene(6));
    EXPECT_EQ(showSeconds(run), rowShowSeconds(rowOfScene(6)));
    EXPECT_EQ(title().rfind("Dorminax - scene 6 Reveal - 1:3", 0), 0u) << title();

    press(platform::kKeyP);
    for (int i = 0; i < 150; ++i) pass(20);  // past the two seconds of the time line
    EXPECT_EQ(title(), "--== Dorminax ==--");
    press(platform::kKeySpace, 20);
    EXPECT_EQ(currentScene, rowOfScene(7));
    EXPECT_EQ(title().rfind("Dorminax - scene 7 Metaballs - 1:4", 0), 0u) << title();
    for (int i = 0; i < 150; ++i) pass(20);
    EXPECT_EQ(title(), "--== Dorminax ==--");
}

// The show's length is the timeline's whatever the sound: without a device, and with a
// music file cut short (which is said on standard error), it lasts 3:04 and seeks go there.
TEST_F(PlayerTest, TheShowKeepsItsLengthWithoutSoundAndWithMusicCutShort) {
    headless::setAudioAvailable(false);
    DemoOptions options;
    options.startSeconds = 150.0;
    options.startPaused = true;
    start(options);
    EXPECT_EQ(title(), "Dorminax - scene 9 Attractor trails - 2:30.0 / 3:04 - paused");
    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeyEscape);
    pass(10);
    ASSERT_FALSE(pass(10));
    finishDemo(run);

    headless::setAudioAvailable(true, 27.0);
    options.startSeconds = 170.0;
    testing::internal::CaptureStderr();
    start(options);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("demotuin.ogg ends at 27.0 s, the show lasts 184 s\n"),
              std::string::npos) << said;
    EXPECT_EQ(title(), "Dorminax - scene 9 Attractor trails - 2:50.0 / 3:04 - paused");
    press(platform::kKeyRight);
    press(platform::kKeyRight);
    press(platform::kKeyRight);
    EXPECT_EQ(title(), "Dorminax - scene 9 Attractor trails - 3:04.0 / 3:04 - paused");
}

}  // namespace

// G mid-show: the gentle show comes on from the picture on screen, shown as drawn, then
// softens the flashing; the title says so for two seconds. G again: off.
TEST_F(PlayerTest, GSwitchesTheGentleShowOnFromThePictureOnScreenAndOff) {
    DemoOptions options;
    options.startSeconds = 26.0;  // scene 1's flashing
    start(options);
    for (int i = 0; i < 150; ++i) pass(16);
    ASSERT_FALSE(gentleMode());

    press(platform::kKeyG, 16);
    EXPECT_TRUE(gentleMode());
    EXPECT_EQ(title(), "Gentle show on");
    EXPECT_EQ(std::memcmp(paletteOnScreen().rgb, currentPalette().rgb, sizeof(Palette)), 0)
        << "switching on changed the picture on screen at once";
    int softened = 0;
    for (int i = 0; i < 60; ++i) {
        pass(16);
        softened += std::memcmp(paletteOnScreen().rgb, currentPalette().rgb, sizeof(Palette)) != 0;
    }
    EXPECT_GT(softened, 0);
    EXPECT_EQ(title(), "Gentle show on");
    for (int i = 0; i < 70; ++i) pass(16);
    EXPECT_EQ(title(), "--== Dorminax ==--");

    press(platform::kKeyG, 16);
    EXPECT_FALSE(gentleMode());
    EXPECT_EQ(title(), "Gentle show off");
    EXPECT_EQ(std::memcmp(paletteOnScreen().rgb, currentPalette().rgb, sizeof(Palette)), 0);
}
