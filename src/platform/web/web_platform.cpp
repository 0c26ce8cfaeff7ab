// The web backend: the page's canvas, its keys and its error box, Web Audio for the music,
// the browser's clock, and a main loop driven by the browser's animation frames. The
// browser* functions are the page side, in browser.js.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/data_path.h"
#include "platform/platform.h"

extern "C" {
int browserOpenCanvas(int fullScreen);
void browserCloseCanvas();
void browserPutFrame(const uint8_t* rgba);
void browserSetTitle(const char* title);
int browserTakeMessage();
double browserTakeSeekSeconds();
int browserShiftHeld();
void browserShowErrorBox(const char* text, const char* caption);
void browserDebugOutput(const char* text);
void browserLoopState(int running);
int browserAudioAvailable();
void browserAudioDecode(const uint8_t* bytes, int size);
int browserAudioClicks();
void browserAudioPlay(double fromSeconds);
void browserAudioPause();
double browserAudioPosition();
double browserAudioLength();
void browserAudioStop();
void browserAudioClose();
void browserOfferFile(const char* name, const uint8_t* bytes, int size);
void browserClearChapters();
void browserAddChapter(double seconds, const char* name);
void browserShowPosition(double seconds, double lengthSeconds, int scene, int paused);
}

namespace {

constexpr int kPixelCount = kFrameSize;

// The latest frame presented, and whether the canvas has yet to show it. The browser
// paints at most once per animation frame, so the canvas takes only the last frame of
// each (the fixed frames run many passes in one).
uint32_t latestFrame[kPixelCount];
bool framePending = false;
// The frame as the canvas takes it: red, green, blue and opaque alpha, byte by byte.
uint8_t canvasPixels[kPixelCount * 4];

void showPendingFrame() {
    if (!framePending) return;
    framePending = false;
    for (int i = 0; i < kPixelCount; ++i) {
        const uint32_t rgb = latestFrame[i];
        uint8_t* out = canvasPixels + i * 4;
        out[0] = (rgb >> 16) & 0xFF;
        out[1] = (rgb >> 8) & 0xFF;
        out[2] = rgb & 0xFF;
        out[3] = 0xFF;
    }
    browserPutFrame(canvasPixels);
}

// The loop's two functions, kept for the browser's calls.
bool (*loopPass)() = nullptr;
void (*loopDone)() = nullptr;

void runOneAnimationFrame() {
    const bool more = loopPass();
    showPendingFrame();
    if (more) return;
    emscripten_cancel_main_loop();
    loopDone();
    showPendingFrame();
    browserLoopState(0);
}

// The whole of a small file, or nothing when it cannot be read.
std::vector<uint8_t> readWholeFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t block[4096];
    size_t count;
    while ((count = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + count);
    std::fclose(file);
    return bytes;
}

}  // namespace

namespace platform {

// The page asks "Window Mode?" itself and passes the answer on the command line, since a
// call cannot wait for a click; a question asked here gets the answer of a machine with
// no display.
bool askYesNo(const char*, const char*) { return false; }

void showErrorBox(const char* text, const char* caption) {
    showPendingFrame();  // the picture behind the box, as on the desktop
    browserShowErrorBox(text, caption);
}

// Full screen was asked of the browser by the page while it handled the answer (browsers
// grant it only then); when it was refused, the show plays in the page.
bool paceWindowByDisplay(bool) { return true; }

DisplayFailure openWindow(bool fullScreen, int, const char* title) {
    if (!browserOpenCanvas(fullScreen)) return DisplayFailure::Renderer;
    browserSetTitle(title);
    return DisplayFailure::None;
}

// The page scales the canvas to fit by itself.
int largestWindowScale() { return 0; }

void closeWindow() {
    showPendingFrame();
    browserCloseCanvas();
}

void presentPixels(const uint32_t* pixels) {
    std::memcpy(latestFrame, pixels, sizeof latestFrame);
    framePending = true;
}

void setWindowTitle(const char* title) { browserSetTitle(title); }

bool pollMessage(Message& message) {
    // The page encodes a message as its type times 256 plus its key; -1 for none.
    const int taken = browserTakeMessage();
    if (taken < 0) return false;
    message.type = static_cast<MessageType>(taken >> 8);
    message.key = taken & 0xFF;
    message.seconds = message.type == MessageType::SeekTo ? browserTakeSeekSeconds() : 0.0;
    return true;
}

bool isShiftHeld() { return browserShiftHeld() != 0; }

void runMainLoop(bool (*pass)(), void (*done)()) {
    loopPass = pass;
    loopDone = done;
    browserLoopState(1);
    // Frame rate 0: one pass per animation frame. Not simulating an infinite loop: the
    // caller returns, and the browser keeps the program alive for the loop.
    emscripten_set_main_loop(runOneAnimationFrame, 0, false);
}

// The browser paces the loop: one pass per animation frame.
void idle(uint32_t) {}

void showChapters(const Chapter* chapters, int count) {
    browserClearChapters();
    for (int i = 0; i < count; ++i) browserAddChapter(chapters[i].seconds, chapters[i].name);
}

void showPlayerPosition(const PlayerPosition& position) {
    browserShowPosition(position.seconds, position.lengthSeconds, position.scene,
                        position.paused ? 1 : 0);
}

void offerFile(const char* fileName) {
    const std::vector<uint8_t> bytes = readWholeFile(fileName);
    if (bytes.empty()) return;
    browserOfferFile(fileName, bytes.data(), static_cast<int>(bytes.size()));
    std::remove(fileName);  // the download holds it now; the page's memory need not
}

uint32_t ticks() {
    // performance.now(): milliseconds since the page began.
    return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

void debugOutput(const char* text) { browserDebugOutput(text); }

// The page made the audio context while handling the click or key press that answered
// "Window Mode?": browsers let sound start only from such a gesture.
bool audioInit() { return browserAudioAvailable() != 0; }

void audioStart() {}

uint32_t audioStreamCreateFile(const char* fileName) {
    const std::vector<uint8_t> bytes = readWholeFile(hostPath(fileName));
    if (bytes.empty()) return 0;
    // Decoding goes on in the background; a file the browser cannot decode stays silent.
    browserAudioDecode(bytes.data(), static_cast<int>(bytes.size()));
    return 1;
}

void audioStreamPlay(uint32_t, double fromSeconds) { browserAudioPlay(fromSeconds); }
void audioStreamPause(uint32_t) { browserAudioPause(); }
uint32_t audioStreamCreateClicks() { return browserAudioClicks() ? 1 : 0; }
double audioStreamPosition(uint32_t) { return browserAudioPosition(); }
double audioStreamLength(uint32_t) { return browserAudioLength(); }
void audioStreamFree(uint32_t) {}
void audioStop() { browserAudioStop(); }
void audioFree() { browserAudioClose(); }

}  // namespace platform
