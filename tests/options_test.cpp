// The demo's command line: the accepted forms, and each bad input refused with exit code 2,
// one line naming it and then the usage, before anything else runs.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "demo/options.h"
#include "test_support.h"

namespace {

DemoOptions parse(std::initializer_list<std::string> arguments) {
    std::vector<std::string> words{"dorminax"};
    words.insert(words.end(), arguments);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return parseDemoOptions(int(words.size()), argv.data());
}

TEST(DemoOptions, WithoutOptionsTheQuestionIsAskedAtScaleOneFromSceneOne) {
    const DemoOptions options = parse({});
    EXPECT_EQ(options.mode, DemoOptions::Mode::Ask);
    EXPECT_EQ(options.windowScale, 1);
    EXPECT_EQ(options.firstScene, 1);
    EXPECT_EQ(options.dataFolder, "");  // the tests run in the data folder
}

TEST(DemoOptions, AcceptedForms) {
    const DemoOptions options =
        parse({"--window", "--scale", "8", "--scene", "9", "--data", dataDir()});
    EXPECT_EQ(options.mode, DemoOptions::Mode::Window);
    EXPECT_EQ(options.windowScale, 8);
    EXPECT_EQ(options.firstScene, 9);
    EXPECT_EQ(options.dataFolder, dataDir());
    EXPECT_EQ(parse({"--fullscreen", "--scale", "1", "--scene", "1"}).mode,
              DemoOptions::Mode::FullScreen);
    const DemoOptions held = parse({"--start", "98.5", "--paused"});
    EXPECT_EQ(held.startSeconds, 98.5);
    EXPECT_TRUE(held.startPaused);
    EXPECT_LT(options.startSeconds, 0.0);  // none: the show's own start
    EXPECT_FALSE(options.startPaused);
}

TEST(DemoOptionsDeathTest, BadInputsExitWithCodeTwoNamingTheFaultThenTheUsage) {
    const std::string usage = "\nusage: dorminax ";
    EXPECT_EXIT(parse({"--bogus"}), testing::ExitedWithCode(2),
                "^dorminax: unknown option '--bogus'" + usage);
    EXPECT_EXIT(parse({"--scale", "0"}), testing::ExitedWithCode(2),
                "^dorminax: option '--scale' takes a whole number from 1 to 8, not '0'" + usage);
    EXPECT_EXIT(parse({"--scale", "9"}), testing::ExitedWithCode(2),
                "^dorminax: option '--scale' takes a whole number from 1 to 8, not '9'" + usage);
    EXPECT_EXIT(parse({"--scale", "2x"}), testing::ExitedWithCode(2),
                "^dorminax: option '--scale' takes a whole number from 1 to 8, not '2x'" + usage);
    EXPECT_EXIT(parse({"--scene", "10"}), testing::ExitedWithCode(2),
                "^dorminax: option '--scene' takes a whole number from 1 to 9, not '10'" + usage);
    EXPECT_EXIT(parse({"--window", "--scene"}), testing::ExitedWithCode(2),
                "^dorminax: option '--scene' needs a whole number" + usage);
    EXPECT_EXIT(parse({"--data"}), testing::ExitedWithCode(2),
                "^dorminax: option '--data' needs a value" + usage);
    EXPECT_EXIT(parse({"--scene", "6", "--start", "98"}), testing::ExitedWithCode(2),
                "^dorminax: options '--scene' and '--start' cannot be used together" + usage);
    EXPECT_EXIT(parse({"--start", "-1"}), testing::ExitedWithCode(2),
                "^dorminax: option '--start' takes a number from 0 to 86400, not '-1'" + usage);
    EXPECT_EXIT(parse({"scene6"}), testing::ExitedWithCode(2),
                "^dorminax: unexpected argument 'scene6'" + usage);
    TemporaryDirectory empty;
    EXPECT_EXIT(parse({"--data", empty.path()}), testing::ExitedWithCode(2),
                "^dorminax: '" + empty.path() + "' does not hold the data set" + usage);
}

}  // namespace
