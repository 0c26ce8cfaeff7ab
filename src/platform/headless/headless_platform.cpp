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
uint32_t blankPixels[kFrameSize];  // all 0, never written (made const, it would take 300 KB
                                  // of every tool's file)
const uint32_t* shownPixels = blankPixels;
int presentedFrames = 0;
bool isOpen = false;
bool isFullScreen = false;

std::string title;
std::string debugLog;
platform::PlayerPosition shownPosition = {0.0, 0.0, 0, false};

// The simulated sound device: where the music was started and when.
bool audioAvailable = false;
double musicLength = 0.0;
bool musicPlaying = false;
double musicFrom = 0.0;
uint32_t musicStartTicks = 0;
std::string audioLog;

void noteAudioCall(const char* call, double seconds = -1.0) {
    char text[64];
    if (seconds >= 0.0) std::snprintf(text, sizeof text, "%s %g; ", call, seconds);
    else std::snprintf(text, sizeof text, "%s; ", call);
    audioLog += text;
}
std::string errorText;
std::string errorCaption;

}  // namespace

namespace headless {

void setTicks(uint32_t milliseconds) { simulatedTicks = milliseconds; }
void advanceTicks(uint32_t milliseconds) { simulatedTicks += milliseconds; }
void pushMessage(platform::MessageType type, int key) { pendingMessages.push_back({type, key}); }
void pushSeek(double seconds) {
    pendingMessages.push_back({platform::MessageType::SeekTo, 0, seconds});
}
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
platform::PlayerPosition playerPosition() { return shownPosition; }

void setAudioAvailable(bool available, double musicSeconds) {
    audioAvailable = available;
    musicLength = musicSeconds;
    musicPlaying = false;
    audioLog.clear();
}
const char* audioCalls() { return audioLog.c_str(); }
void clearAudioCalls() { audioLog.clear(); }

}  // namespace headless

namespace platform {

bool askYesNo(const char*, const char*) { return yesNoAnswer; }

void showErrorBox(const char* text, const char* caption) {
    errorText = text;
    errorCaption = caption;
    // No box to carry the demo's own name of the file: standard error says it the host's
    // way (the tool's users type host paths).
    std::string name = caption;
#ifndef _WIN32
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
#endif
    std::fprintf(stderr, "%s: %s\n", name.c_str(), text);
}

bool paceWindowByDisplay(bool paced) { return paced; }

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

void idle(uint32_t) {}

void showChapters(const Chapter*, int) {}
void showPlayerPosition(const PlayerPosition& position) { shownPosition = position; }

uint32_t ticks() { return simulatedTicks; }
void debugOutput(const char* text) { debugLog += text; }

bool audioInit() { return audioAvailable; }
void audioStart() {}
uint32_t audioStreamCreateClicks() { return 0; }
uint32_t audioStreamCreateFile(const char*) { return audioAvailable ? 1 : 0; }

void audioStreamPlay(uint32_t, double fromSeconds) {
    noteAudioCall("play", fromSeconds);
    musicPlaying = fromSeconds < musicLength;
    musicFrom = fromSeconds;
    musicStartTicks = simulatedTicks;
}

void audioStreamPause(uint32_t) {
    noteAudioCall("pause");
    musicPlaying = false;
}

double audioStreamPosition(uint32_t) {
    if (!musicPlaying) return -1.0;
    const double at = musicFrom + (simulatedTicks - musicStartTicks) / 1000.0;
    return at < musicLength ? at : -1.0;
}

double audioStreamLength(uint32_t) { return musicLength; }
void audioStreamFree(uint32_t) { noteAudioCall("free"); }
void audioStop() {}
void audioFree() {}

}  // namespace platform
