// The platform interface: window, presentation, keys, clock, message boxes and audio.
// The demo calls only these functions; a backend (SDL, or headless for tests and tools)
// is chosen at link time. Nothing here exposes a backend's own types.
#pragma once

#include <cstdint>

#include "platform/frame_size.h"

namespace platform {

// ---- Start-up question and message boxes ----

// Asks "Window Mode?" with Yes and No, in that order (No the default). True means Yes
// (windowed). Without a display the answer is No.
bool askYesNo(const char* text, const char* caption);

// An error box with no owner window; without a display the text goes to standard error.
// The box comes only on the way out of the program: a backend may close the demo's
// window first, so that nothing covers the box.
void showErrorBox(const char* text, const char* caption);

// ---- Display ----

// The step of opening the display that failed, if any. Each stands in for one step of
// the original full-screen set-up, so the demo can keep its error texts.
enum class DisplayFailure {
    None,
    Window,          // the window could not be created
    VideoInit,       // the video system could not start
    Renderer,        // no renderer for the window
    FullScreenMode,  // the switch to full screen failed
    Texture,         // the streaming texture could not be made
};

// Opens the 320x240 view. Windowed: a window whose client area is scale x 320 by
// scale x 240, not paced; the user may resize it. Full screen: desktop full screen, paced
// by vsync, cursor hidden. Either way the frame is shown at the largest whole-number scale
// that fits, nearest-neighbour, centred on black.
DisplayFailure openWindow(bool fullScreen, int scale, const char* title);
// A window paced by the display too, as full screen is (asked before openWindow); a
// backend whose platform paces every frame (a browser) has nothing to change. True when
// a window will be paced: as asked, or always there.
bool paceWindowByDisplay(bool paced);
void closeWindow();
// The largest whole scale at which the window fits on the screen (its usable part, without
// panels); 0 when the platform cannot tell or sets no limit.
int largestWindowScale();

// Shows one 320x240 frame of 0x00RRGGBB pixels, row 0 at the top. The caller leaves the
// pixels as they are until it presents again: a backend may read them in place.
void presentPixels(const uint32_t* pixels);
void setWindowTitle(const char* title);

// ---- Messages and keys ----

// Virtual-key codes the demo understands (the values of the original key codes), and
// the player's keys (Windows' virtual-key codes too).
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyS = 83;
constexpr int kKeyP = 80;
constexpr int kKeyG = 71;
constexpr int kKeyPageUp = 33;
constexpr int kKeyPageDown = 34;
constexpr int kKeyHome = 36;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKey1 = 49;  // to kKey9 = 57, the digits above the letters
constexpr int kKey9 = 57;
constexpr int kKeyComma = 188;
constexpr int kKeyPeriod = 190;

enum class MessageType {
    KeyUp,
    Close,
    Destroy,
    SeekTo,    // the platform's own player (a browser's bar) asks for a show time
    Returned,  // the show's passes stopped for a while (a browser tab in the background)
               // and go on again: the picture must catch up with the music
};

struct Message {
    MessageType type;
    int key;               // a virtual-key code for KeyUp, 0 otherwise
    double seconds = 0.0;  // the show time for SeekTo
};

// Takes at most one pending message without waiting; false when there is none.
// Auto-repeat produces no key-up messages, so a held key releases once.
bool pollMessage(Message& message);
bool isShiftHeld();

// ---- The main loop ----

// Runs pass again and again until it returns false, then done once. The desktop backends
// loop here and return after done. A browser must not be kept waiting: there every pass
// runs in an animation frame of its own, and this returns at once, before the first pass.
void runMainLoop(bool (*pass)(), void (*done)());

// A file the user asked for (a screenshot) has been written in the working directory. On
// the desktop it stays there; a browser offers it as a download.
void offerFile(const char* fileName);

// Gives the machine a few milliseconds back: a held show has nothing to draw. A backend
// whose loop the platform paces (a browser) returns at once.
void idle(uint32_t milliseconds);

// ---- The player: where the show is, for a platform with a player of its own ----

// The scenes as chapters of the show: where each begins (show seconds) and its name.
struct Chapter {
    double seconds;
    const char* name;
};
void showChapters(const Chapter* chapters, int count);

// Where the show is, given at every pass: a browser's player bar and the system's media
// controls show it; the desktop's backends, whose title the demo writes, ignore it.
struct PlayerPosition {
    double seconds;        // show time of the picture
    double lengthSeconds;  // the show's length
    int scene;             // 1..9
    bool paused;
};
void showPlayerPosition(const PlayerPosition& position);

// ---- Clock and diagnostics ----

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t ticks();
// The debugger output: standard error on this platform.
void debugOutput(const char* text);

// ---- Audio: one music stream ----

bool audioInit();
void audioStart();
// Opens a music file; returns 0 when there is none to play.
uint32_t audioStreamCreateFile(const char* fileName);
// A stream of clicks, one at the start of every second for a minute, to set the sound's
// offset against the picture by; 0 when the backend cannot make one.
uint32_t audioStreamCreateClicks();
// Plays the stream once, from the given second of the music; when it plays already, it
// starts again from there.
void audioStreamPlay(uint32_t stream, double fromSeconds);
// Stops the stream where it is; audioStreamPlay starts it again from any second.
void audioStreamPause(uint32_t stream);
// The second of the music the listener hears now; negative when the stream is not
// playing or the backend cannot tell.
double audioStreamPosition(uint32_t stream);
// The music's length in seconds; 0 while not known (a browser decodes it in the
// background).
double audioStreamLength(uint32_t stream);
void audioStreamFree(uint32_t stream);
void audioStop();
void audioFree();

}  // namespace platform
