// Presentation of the 8-bit frame. Windowed, each index expands through a table of 32-bit
// colours that a new palette fills for the next present. Full screen stands in for an
// 8-bit hardware palette: the frame on screen is kept, and a new palette that no present
// follows within the pass is shown on it at the end of the pass, as a hardware palette
// would show it. (Re-presenting at every setPalette would wait for two vertical syncs in
// the passes that change the palette and then draw.)
#include "core/display.h"

#include <cstring>

#include "core/clock.h"
#include "platform/platform.h"

uint8_t FrameBuffer[kFrameSize];
uint8_t ScratchFrame[kFrameSize];

namespace {

bool fullScreen = false;
uint32_t pixelTable[256];          // 0x00RRGGBB per palette index
uint32_t pixels32[kFrameSize];     // the expanded frame handed to the platform
uint8_t shownFrame[kFrameSize];    // the indices last presented
Palette latestPalette;
Palette tablePalette;               // the colours of pixelTable (the cube before any palette)
bool paletteChangeUnshown = false;  // full screen: set by setPalette, cleared by a present
bool presentationHidden = false;

bool gentle = false;
const PresentationLimiter* limiter = nullptr;  // installed by the program
Palette limitedPalette;        // gentle: the colours of the frame on screen
uint32_t limitedTable[256];
// The limiter's clock: the demo's clock shifted, or the replay's time for the pass.
double gentleClockShift = 0.0;
bool replaying = false;
double replaySeconds = 0.0;

Palette unseenPalette;  // the limiter's colours for a replayed picture no one sees

// The limiter's choice for a picture; without a limiter, the colours as they are.
void limitPicture(const uint8_t* frame, double seconds, Palette& shown) {
    if (limiter) limiter->limit(frame, tablePalette, seconds, shown);
    else shown = tablePalette;
}

// Its last choice again, for a held picture.
void reapplyLimit(Palette& shown) {
    if (limiter) limiter->reapply(tablePalette, shown);
    else shown = tablePalette;
}

void resetLimiter() {
    if (limiter) limiter->reset();
}

double gentleSeconds() { return replaying ? replaySeconds : clockSeconds() + gentleClockShift; }

const char* failureText(platform::DisplayFailure failure) {
    switch (failure) {
        case platform::DisplayFailure::Window: return "Error creating window";
        case platform::DisplayFailure::VideoInit: return "Error initializing direct draw";
        case platform::DisplayFailure::Renderer: return "Error creating primary surface";
        case platform::DisplayFailure::FullScreenMode:
            return "Error setting 320x240x8 - use window mode";
        case platform::DisplayFailure::Texture: return "Error creating secondary surface";
        case platform::DisplayFailure::None: break;
    }
    return "";
}

// The full-screen palette before any setPalette: a 3-3-2 colour cube.
void fillColourCube() {
    for (int i = 0; i < 256; ++i) {
        const uint32_t red = ((i >> 5) & 7) * 255 / 7;
        const uint32_t green = ((i >> 2) & 7) * 255 / 7;
        const uint32_t blue = (i & 3) * 85;
        pixelTable[i] = (red << 16) | (green << 8) | blue;
        tablePalette.rgb[i * 3] = red;
        tablePalette.rgb[i * 3 + 1] = green;
        tablePalette.rgb[i * 3 + 2] = blue;
    }
}

void fillTable(const Palette& palette, uint32_t table[256]) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = &palette.rgb[i * 3];
        table[i] = (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2];
    }
}

// Gentle mode: the table of the colours the limiter chose for this picture at this moment.
const uint32_t* tableFor(const uint8_t* frame) {
    if (!gentle) {
        if (replaying) limitPicture(frame, replaySeconds, unseenPalette);
        return pixelTable;
    }
    limitPicture(frame, gentleSeconds(), limitedPalette);
    fillTable(limitedPalette, limitedTable);
    return limitedTable;
}

void expandFrame(const uint8_t* frame, const uint32_t* table) {
    // Four pixels a step: over twice as fast as one at a time, measured (the processor
    // seems to hold each table read back behind the store before it).
    static_assert(kFrameSize % 4 == 0, "the frame is expanded four pixels at a time");
    for (int i = 0; i < kFrameSize; i += 4) {
        pixels32[i] = table[frame[i]];
        pixels32[i + 1] = table[frame[i + 1]];
        pixels32[i + 2] = table[frame[i + 2]];
        pixels32[i + 3] = table[frame[i + 3]];
    }
    platform::presentPixels(pixels32);
}

void expandAndPresent(const uint8_t* frame) { expandFrame(frame, tableFor(frame)); }

}  // namespace

bool openDisplay(bool windowed, int windowScale) {
    fullScreen = !windowed;
    std::memset(pixelTable, 0, sizeof pixelTable);
    std::memset(shownFrame, 0, sizeof shownFrame);
    std::memset(&latestPalette, 0, sizeof latestPalette);
    std::memset(&tablePalette, 0, sizeof tablePalette);
    paletteChangeUnshown = false;
    presentationHidden = false;
    resetLimiter();
    gentleClockShift = 0.0;
    replaying = false;
    const platform::DisplayFailure failure =
        platform::openWindow(fullScreen, windowScale, "--== Dorminax ==--");
    if (failure != platform::DisplayFailure::None) {
        platform::showErrorBox(failureText(failure), "Error");
        return false;
    }
    if (fullScreen) fillColourCube();
    return true;
}

void closeDisplay() { platform::closeWindow(); }

void presentFrame(const uint8_t* frame) {
    if (presentationHidden) {
        // A seek's unseen passes: what the frame tool's show would have shown.
        if (replaying) limitPicture(frame, replaySeconds, unseenPalette);
        return;
    }
    std::memcpy(shownFrame, frame, kFrameSize);
    paletteChangeUnshown = false;
    expandAndPresent(frame);
}

void showPaletteChange() {
    if (!paletteChangeUnshown || presentationHidden) return;
    paletteChangeUnshown = false;
    expandAndPresent(shownFrame);
}

void setPalette(const Palette* palette) {
    latestPalette = *palette;
    tablePalette = *palette;
    fillTable(*palette, pixelTable);
    // A hidden palette change is the screen's only once a frame shows it.
    if (fullScreen && !presentationHidden) paletteChangeUnshown = true;
}

void hidePresentation(bool hidden) { presentationHidden = hidden; }

void presentAgain() {
    if (presentationHidden) return;
    paletteChangeUnshown = false;
    if (!gentle) {
        expandAndPresent(shownFrame);
        return;
    }
    // A held picture in the colours the limiter last chose, as the frame tool shows it.
    reapplyLimit(limitedPalette);
    fillTable(limitedPalette, limitedTable);
    expandFrame(shownFrame, limitedTable);
}

void clearFrame(uint8_t* frame, int colour) {
    std::memset(frame, colour & 0xFF, kFrameSize);
}

void copyFrame(uint8_t* destination, const uint8_t* source) {
    std::memcpy(destination, source, kFrameSize);
}

const Palette& currentPalette() { return latestPalette; }

void setGentleMode(bool on) {
    gentle = on;
    resetLimiter();
}

bool gentleMode() { return gentle; }

void installPresentationLimiter(const PresentationLimiter* installed) { limiter = installed; }

void restartGentleLimiter() { resetLimiter(); }

void replayGentleAt(double seconds) {
    replaying = true;
    replaySeconds = seconds;
}

void runGentleClockOn() {
    replaying = false;
    const double last = limiter ? limiter->lastSeconds() : 0.0;
    gentleClockShift = last - clockSeconds();
}

void endGentleReplay() { replaying = false; }

const Palette& paletteOnScreen() { return gentle ? limitedPalette : latestPalette; }

const uint8_t* frameOnScreen() { return shownFrame; }
