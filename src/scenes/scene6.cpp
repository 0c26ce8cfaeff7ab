// Scene 6: a picture builds up out of black, one 16x16 block at a time. A 20x15
// transition map gives each block its threshold; a block appears once the reveal level
// passes it and grows from its centre to full size over eight levels.

#include <cstdint>
#include <cstring>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "scenes/scene_table.h"

namespace {

constexpr int kBlockSize = 16;
constexpr int kBlockColumns = kFrameWidth / kBlockSize;  // 20
constexpr int kBlockRows = kFrameHeight / kBlockSize;    // 15
constexpr int kGrowLevels = 8;       // levels from a block's first pixels to its full size
constexpr int kLastLevel = 264;      // 255 + 1 + 8: every block whole
constexpr float kLevelsPerSecond = 58.666668f;  // reaches the last level at t = 4.5

std::unique_ptr<uint8_t[]> transitionMap;  // 20x15 thresholds, lower appears first
std::unique_ptr<Palette> picturePalette;
std::unique_ptr<uint8_t[]> picture;        // 320x240

// Copies the square of block (bx, by) that lies m pixels inside its edges.
void copyBlockInset(int bx, int by, int m) {
    const int left = bx * kBlockSize + m;
    const int width = kBlockSize - 2 * m;
    for (int y = by * kBlockSize + m; y < (by + 1) * kBlockSize - m; ++y) {
        std::memcpy(ScratchFrame + y * kFrameWidth + left, picture.get() + y * kFrameWidth + left,
                    width);
    }
}


void load() {
    transitionMap = loadPictureOfSize("gfx\\overgang2.gif", kBlockColumns, kBlockRows);
    picturePalette = loadPalette("gfx\\cool.gif");
    picture = loadPictureOfSize("gfx\\cool.gif", kFrameWidth, kFrameHeight);
}

void unload() {
    picturePalette.reset();
    picture.reset();
    transitionMap.reset();
}

void start() { setPalette(picturePalette.get()); }

void render(float t) {
    // 1. The reveal level R: 0 at t = 0, capped once every block is whole.
    int level = truncToInt(t * kLevelsPerSecond);
    if (level > kLastLevel) level = kLastLevel;

    // 2. Black, then every block that the level has passed, inset by what is left to grow.
    clearFrame(ScratchFrame, 0);
    for (int by = 0; by < kBlockRows; ++by) {
        for (int bx = 0; bx < kBlockColumns; ++bx) {
            const int d = level - transitionMap[by * kBlockColumns + bx];
            if (d < 0) continue;
            const int inset = d > kGrowLevels ? 0 : kGrowLevels - d;
            if (inset < kGrowLevels) copyBlockInset(bx, by, inset);
        }
    }
    presentFrame(ScratchFrame);
}

}  // namespace

extern const SceneEntry revealScene = {
    load, unload, start, render, kSceneDurations[5], nullptr, nullptr, "Reveal",
};
