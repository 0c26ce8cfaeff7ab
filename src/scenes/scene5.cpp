// Scene 5: a picture swirls and settles under the credits, used as a brightness map, then
// the frozen frame dissolves into black block by block in the order of a transition map.

#include <algorithm>
#include <cmath>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/box_blur.h"
#include "fx2d/grid_warp.h"
#include "fx2d/palette_tables.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace scene5 {
namespace {

constexpr int kBlockSize = 16;
constexpr int kBlockColumns = kFrameWidth / kBlockSize;  // 20
constexpr int kBlockRows = kFrameHeight / kBlockSize;    // 15

std::unique_ptr<uint8_t[]> transitionMap;  // 20x15, one threshold per block
std::unique_ptr<uint8_t[]> picture;        // 256x256 texture
std::unique_ptr<Palette> picturePalette;
std::unique_ptr<uint8_t[]> credits;        // 320x240 brightness levels
uint8_t shadeTable[kShadeTableSize];       // the picture's colours mixed toward white
WarpGrid grid;

// The warp grid: the plain picture stretched to the frame (u = 12.8 i, v = 17.07 j),
// swung by waves whose amplitude falls with the fade factor.
void buildGrid(float t, float f) {
    const double swingU = f * 500.0;
    const double swingV = f * 350.0;
    for (int j = 0; j < kGridRows; ++j) {
        for (int i = 0; i < kGridColumns; ++i) {
            const int point = j * kGridColumns + i;
            grid.u[point] = truncToInt(i * 256 * 0.05f + swingU * std::cos(2.3 * j - 1.43 * t));
            grid.v[point] =
                truncToInt(j * 256 * 0.06666667f + swingV * std::sin(2.3 * t - 1.7 * i));
        }
    }
}

// Until 5.5 s: blur the credits into the ScratchFrame, warp the picture into the
// FrameBuffer, and brighten it toward white where the credits are.
void renderWarpedCredits(float t) {
    blurHorizontal(FrameBuffer, credits.get(), horizontalBlurRadius(t));
    blurVertical(ScratchFrame, FrameBuffer, verticalBlurRadius(t));
    buildGrid(t, fadeFactor(t));
    gridWarp(grid.u, grid.v, picture.get(), FrameBuffer);
    for (int k = 0; k < kFrameSize; ++k)
        FrameBuffer[k] = shadeTable[ScratchFrame[k] * 256 + FrameBuffer[k]];
    presentFrame(FrameBuffer);
}

// Copies the part of one block that is still showing, inset by m on every side.
void copyBlock(int bx, int by, int m) {
    for (int y = by * kBlockSize + m; y < (by + 1) * kBlockSize - m; ++y) {
        const int first = y * kFrameWidth + bx * kBlockSize + m;
        std::copy(FrameBuffer + first, FrameBuffer + first + kBlockSize - 2 * m,
                  ScratchFrame + first);
    }
}

// After 5.5 s: the FrameBuffer keeps the last warped frame; its blocks shrink and vanish
// in the ScratchFrame, higher map values first.
void renderBlockDissolve(float t) {
    const int reach = dissolveReach(t);
    clearFrame(ScratchFrame, 0);
    for (int by = 0; by < kBlockRows; ++by) {
        for (int bx = 0; bx < kBlockColumns; ++bx) {
            const int m = blockInset(reach, transitionMap[by * kBlockColumns + bx]);
            if (m < kBlockSize / 2) copyBlock(bx, by, m);
        }
    }
    presentFrame(ScratchFrame);
}

void load() {
    transitionMap = loadPictureOfSize("gfx\\overgang1.gif", kBlockColumns, kBlockRows);
    picture = loadPictureOfSize("gfx\\_urk.gif", 256, 256);
    picturePalette = loadPalette("gfx\\_urk.gif");
    credits = loadPictureOfSize("gfx\\credits.gif", kFrameWidth, kFrameHeight);
    buildShadeTable(*picturePalette, shadeTable, 255, 255, 255);
}

void unload() {
    transitionMap.reset();
    picture.reset();
    picturePalette.reset();
    credits.reset();
}

void start() { setPalette(picturePalette.get()); }

// The FrameBuffer holds the last warped frame, which the dissolve takes apart.
void keepState(StateRecord& record) { record.keep(FrameBuffer, kFrameSize); }

void restoreState(StateRecord& record) { record.restore(FrameBuffer, kFrameSize); }

void render(float t) {
    if (t <= kFreezeTime)
        renderWarpedCredits(t);
    else
        renderBlockDissolve(t);
}

}  // namespace
}  // namespace scene5

extern const SceneEntry creditsScene = {
    scene5::load, scene5::unload, scene5::start, scene5::render, kSceneDurations[4],
    scene5::keepState, scene5::restoreState, "Credits",
};
