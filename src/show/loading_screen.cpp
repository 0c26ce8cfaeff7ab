// The loading screen. The bar's ramp is drawn through the nearest colours of the
// picture's own palette, so no palette change happens while the scenes load.
#include "show/loading_screen.h"

#include <cstdint>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "show/timeline.h"
#include "fx2d/bilinear.h"
#include "fx2d/palette_tables.h"
#include "scenes/scene_table.h"

namespace {

constexpr int kBarLeft = 60;
constexpr int kBarTop = 110;
constexpr int kBarRows = 20;
constexpr int kBarLength = 200;
constexpr float kLoadingStep = 0.09090909f;  // 1/11: one start-up step, nine loads, one end

std::unique_ptr<uint8_t[]> loadingPicture;
uint8_t barColours[256];  // picture index nearest to ramp colour (i, i, 0)

}  // namespace

void beginLoadingScreen() {
    const std::unique_ptr<Palette> palette = loadPalette(kLoadingPictureName);
    loadingPicture = loadPictureOfSize(kLoadingPictureName, kFrameWidth, kFrameHeight);

    Palette ramp;
    for (int i = 0; i < 256; ++i) {
        ramp.rgb[i * 3] = static_cast<uint8_t>(i);
        ramp.rgb[i * 3 + 1] = static_cast<uint8_t>(i);
        ramp.rgb[i * 3 + 2] = 0;
    }
    buildRemapTable(*palette, ramp, barColours);
    setPalette(palette.get());
}

void drawLoadingProgress(float fraction) {
    copyFrame(FrameBuffer, loadingPicture.get());  // the picture under the bar comes back
    const int length = truncToInt(fraction * 200.0f);
    for (int y = kBarTop; y < kBarTop + kBarRows; ++y) {
        uint8_t* row = FrameBuffer + y * kFrameWidth + kBarLeft;
        for (int i = 0; i < length && i < kBarLength; ++i) row[i] = barColours[(i * 256) / 200];
    }
    presentFrame(FrameBuffer);
}

void endLoadingScreen() { loadingPicture.reset(); }

void loadScenes() {
    beginLoadingScreen();
    buildBilinearWeights();
    drawLoadingProgress(kLoadingStep);
    for (int i = 1; i <= timelineRowCount; ++i) {
        timelineRows[i - 1].load();
        drawLoadingProgress(static_cast<float>(i) * kLoadingStep);
    }
    drawLoadingProgress(1.0f);
    endLoadingScreen();
}
