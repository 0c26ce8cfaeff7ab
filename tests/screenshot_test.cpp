// Screenshots: the BMP file's bytes, read back by an independent reader, and naming.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/display.h"
#include "show/window_proc.h"
#include "test_support.h"

namespace {

uint32_t u32At(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(bytes[at + i]);
    return v;
}

uint16_t u16At(const std::string& bytes, size_t at) {
    return uint16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8));
}

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openDisplay(true));
        screenshotCounter = 0;
        // A frame whose pixel (x, y) is (x + 3y) & 255, and a palette with distinct
        // channels so that a swapped channel order shows.
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) FrameBuffer[y * kFrameWidth + x] = uint8_t(x + 3 * y);
        for (int i = 0; i < 256; ++i) {
            palette.rgb[i * 3] = uint8_t(i);
            palette.rgb[i * 3 + 1] = uint8_t(255 - i);
            palette.rgb[i * 3 + 2] = uint8_t(i / 3);
        }
        setPalette(&palette);
        presentFrame(FrameBuffer);
    }
    void TearDown() override { closeDisplay(); }

    TemporaryDirectory directory;
    Palette palette;
};

TEST_F(ScreenshotTest, HeaderFieldsAndSize) {
    writeScreenshot();
    const std::string bytes = readFileBytes("screenshot000.bmp");
    ASSERT_EQ(bytes.size(), 77878u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(u32At(bytes, 2), 77878u);
    EXPECT_EQ(u32At(bytes, 6), 0u);
    EXPECT_EQ(u32At(bytes, 10), 1078u);
    EXPECT_EQ(u32At(bytes, 14), 40u);
    EXPECT_EQ(u32At(bytes, 18), 320u);
    EXPECT_EQ(u32At(bytes, 22), 240u);
    EXPECT_EQ(u16At(bytes, 26), 1);
    EXPECT_EQ(u16At(bytes, 28), 8);
    EXPECT_EQ(u32At(bytes, 30), 0u);
    EXPECT_EQ(u32At(bytes, 34), 76800u);
    EXPECT_EQ(u32At(bytes, 38), 100u);
    EXPECT_EQ(u32At(bytes, 42), 100u);
    EXPECT_EQ(u32At(bytes, 46), 256u);
    EXPECT_EQ(u32At(bytes, 50), 256u);
    // Colour table entries are blue, green, red, 0; the pixels start with the bottom row.
    EXPECT_EQ(uint8_t(bytes[54 + 4 * 9]), 3);
    EXPECT_EQ(uint8_t(bytes[54 + 4 * 9 + 1]), 246);
    EXPECT_EQ(uint8_t(bytes[54 + 4 * 9 + 2]), 9);
    EXPECT_EQ(uint8_t(bytes[54 + 4 * 9 + 3]), 0);
    EXPECT_EQ(uint8_t(bytes[1078 + 5]), uint8_t(5 + 3 * 239));
}

TEST_F(ScreenshotTest, ReadsBackUprightWithAStandardReader) {
    writeScreenshot();
    SDL_Surface* surface = SDL_LoadBMP("screenshot000.bmp");
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    ASSERT_EQ(surface->w, 320);
    ASSERT_EQ(surface->h, 240);
    ASSERT_EQ(surface->format->BitsPerPixel, 8);
    ASSERT_EQ(surface->format->palette->ncolors, 256);
    const auto* pixels = static_cast<const uint8_t*>(surface->pixels);
    for (int y = 0; y < 240; y += 7) {
        for (int x = 0; x < 320; x += 13) {
            const uint8_t index = pixels[y * surface->pitch + x];
            ASSERT_EQ(index, FrameBuffer[y * 320 + x]) << x << "," << y;
        }
    }
    const SDL_Color c = surface->format->palette->colors[200];
    EXPECT_EQ(c.r, 200);
    EXPECT_EQ(c.g, 55);
    EXPECT_EQ(c.b, 66);
    SDL_FreeSurface(surface);
}

// Scenes 3 to 6 present the ScratchFrame; the file must hold that picture, not the
// FrameBuffer that is no longer on screen.
TEST_F(ScreenshotTest, HoldsThePictureOnScreenWhenTheScratchFrameWasPresented) {
    for (int i = 0; i < kFrameSize; ++i) ScratchFrame[i] = uint8_t(i * 7 + i / 320);
    presentFrame(ScratchFrame);
    writeScreenshot();
    const std::string bytes = readFileBytes("screenshot000.bmp");
    ASSERT_EQ(bytes.size(), 77878u);
    for (int y = 0; y < kFrameHeight; ++y) {
        const size_t row = 1078 + size_t(kFrameHeight - 1 - y) * kFrameWidth;
        ASSERT_EQ(std::memcmp(bytes.data() + row, ScratchFrame + y * kFrameWidth, kFrameWidth), 0)
            << "row " << y;
    }
}

TEST_F(ScreenshotTest, FilesAreNumberedAndTheNumberWidens) {
    writeScreenshot();
    writeScreenshot();
    EXPECT_TRUE(std::filesystem::exists("screenshot000.bmp"));
    EXPECT_TRUE(std::filesystem::exists("screenshot001.bmp"));
    screenshotCounter = 1000;
    writeScreenshot();
    EXPECT_TRUE(std::filesystem::exists("screenshot1000.bmp"));
    EXPECT_EQ(screenshotCounter, 1001);
}

TEST_F(ScreenshotTest, NothingIsOverwrittenTheNextFreeNumberIsTaken) {
    // An earlier run's screenshot, a link named like the next one, something else in the way.
    writeFileBytes("screenshot000.bmp", "earlier run");
    writeFileBytes("target", "not a screenshot");
    std::filesystem::create_symlink("target", "screenshot001.bmp");
    std::filesystem::create_symlink("nowhere", "screenshot002.bmp");
    std::filesystem::create_directory("screenshot003.bmp");
    ASSERT_TRUE(writeScreenshot());
    EXPECT_EQ(readFileBytes("screenshot000.bmp"), "earlier run");
    EXPECT_EQ(readFileBytes("target"), "not a screenshot");
    EXPECT_FALSE(std::filesystem::exists("nowhere"));
    EXPECT_EQ(readFileBytes("screenshot004.bmp").size(), 77878u);
    EXPECT_EQ(screenshotCounter, 5);
}

TEST_F(ScreenshotTest, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
    // Root may write anywhere: a folder that is gone, and a file size limit standing in
    // for a full disk, fail for everyone.
    const std::string gone = directory.path() + "/gone";
    std::filesystem::create_directory(gone);
    EXPECT_EXIT(
        {
            if (chdir(gone.c_str()) != 0 || rmdir(gone.c_str()) != 0) std::exit(3);
            windowProc({platform::MessageType::KeyUp, platform::kKeyS});
            std::exit(screenshotFailed ? 1 : 0);  // the flag that makes a title say so
        },
        ::testing::ExitedWithCode(1),
        "^screenshot failed: cannot create screenshot000\\.bmp: No such file or directory\n$");
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit;
            limit.rlim_cur = limit.rlim_max = 4096;
            setrlimit(RLIMIT_FSIZE, &limit);
            const bool written = writeScreenshot();
            std::exit(!written && !std::filesystem::exists("screenshot000.bmp") ? 1 : 0);
        },
        ::testing::ExitedWithCode(1),
        "^screenshot failed: cannot write screenshot000\\.bmp: File too large\n$");
}

TEST_F(ScreenshotTest, SKeyReleaseWritesOne) {
    windowProc({platform::MessageType::KeyUp, platform::kKeyS});
    EXPECT_TRUE(std::filesystem::exists("screenshot000.bmp"));
    windowProc({platform::MessageType::KeyUp, 'T'});  // any other key: nothing
    EXPECT_EQ(screenshotCounter, 1);
}

}  // namespace
