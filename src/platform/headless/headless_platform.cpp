// The headless backend: no window, no sound. The clock only moves when told to, messages
// come from a queue that tests fill, and presented frames are kept for inspection.
#include <cstdio>
#include <deque>
#include <string>

#include "platform/headless/headless.h"

namespace {

uint32_t simulatedTicks = 0;
std::deque<platform::Message> pendingMessages;
bool shiftHeld = false;
bool yesNoAnswer = false;

// The presented pixels are kept by pointer, not copied: a copy of the 300 KB frame
// was a sizeable part of every present, and it also pushed the scenes' own data out of
// the cache.
uint32_t blankPixels[320 * 240];  // all 0, never written (made const, it would take 300 KB
                                  // of every tool's file)
const uint32_t* shownPixels = blankPixels;
int presentedFrames = 0;
bool isOpen = false;
bool isFullScreen = false;

std::string title;
std::string debugLog;
std::string errorText;
std::string errorCaption;

}  // namespace

namespace headless {

void setTicks(uint32_t milliseconds) { simulatedTicks = milliseconds; }
void advanceTicks(uint32_t milliseconds) { simulatedTicks += milliseconds; }
void pushMessage(platform::MessageType type, int key) { pendingMessages.push_back({type, key}); }
void setShiftHeld(bool held) { shiftHeld = held; }
void setYesNoAnswer(bool yes) { yesNoAnswer = yes; }
const uint32_t* lastPresentedPixels() { return shownPixels; }
int presentCount() { return presentedFrames; }
const char* windowTitle() { return title.c_str(); }
const char* debugText() { return debugLog.c_str(); }
void clearDebugText() { debugLog.clear(); }
const char* lastErrorText() { return errorText.c_str(); }
const char* lastErrorCaption() { return errorCaption.c_str(); }
bool windowOpen() { return isOpen; }
bool windowFullScreen() { return isFullScreen; }

}  // namespace headless

namespace platform {

bool askYesNo(const char*, const char*) { return yesNoAnswer; }

void showErrorBox(const char* text, const char* caption) {
    errorText = text;
    errorCaption = caption;
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

DisplayFailure openWindow(bool fullScreen, int, const char* windowTitle) {
    isOpen = true;
    isFullScreen = fullScreen;
    title = windowTitle;
    presentedFrames = 0;
    shownPixels = blankPixels;
    pendingMessages.clear();
    return DisplayFailure::None;
}

void closeWindow() { isOpen = false; }

int largestWindowScale() { return 0; }

void presentPixels(const uint32_t* pixels) {
    shownPixels = pixels;
    ++presentedFrames;
}

void setWindowTitle(const char* windowTitle) { title = windowTitle; }

bool pollMessage(Message& message) {
    if (pendingMessages.empty()) return false;
    message = pendingMessages.front();
    pendingMessages.pop_front();
    return true;
}

bool isShiftHeld() { return shiftHeld; }

void runMainLoop(bool (*pass)(), void (*done)()) {
    while (pass()) {
    }
    done();
}

void offerFile(const char*) {}

uint32_t ticks() { return simulatedTicks; }
void debugOutput(const char* text) { debugLog += text; }

bool audioInit() { return false; }
void audioStart() {}
uint32_t audioStreamCreateFile(const char*) { return 0; }
void audioStreamPlay(uint32_t, double) {}
void audioStreamFree(uint32_t) {}
void audioStop() {}
void audioFree() {}

}  // namespace platform
