// The display: the shared 320x240 frames, the palette in force, and presentation in a
// window or full screen.
#pragma once

#include <cstdint>

#include "core/frame_format.h"

// The frame every scene draws into, and a second frame for work space. Both are
// 320x240 palette indices, row 0 at the top, 320 bytes per row.
extern uint8_t FrameBuffer[kFrameSize];
extern uint8_t ScratchFrame[kFrameSize];

// Opens the view; on failure an error box captioned "Error" has been shown. A window's
// client area is windowScale times the frame's size.
bool openDisplay(bool windowed, int windowScale = 1);
void closeDisplay();

void presentFrame(const uint8_t* frame);
// Windowed: takes effect at the next present. Full screen: shows at once, also on the
// frame already on screen (see showPaletteChange).
void setPalette(const Palette* palette);
// Full screen: shows a palette change that no present has shown yet on the frame on
// screen. The main loop calls it at the end of every pass.
void showPaletteChange();

// Frames drawn for no one to see: a seek plays the passes before its moment, and the
// seek's checkpoints are laid down, without showing them. While hidden, presentFrame and
// showPaletteChange show nothing and leave the frame on screen as it is; setPalette still
// makes its palette current for the next frame shown.
void hidePresentation(bool hidden);
// The frame on screen shown once more, in the current palette (a paused show keeps its
// picture up).
void presentAgain();

void clearFrame(uint8_t* frame, int colour);
void copyFrame(uint8_t* destination, const uint8_t* source);

// The colours of the palette most recently given to setPalette.
const Palette& currentPalette();

// Gentle mode: every picture passes the flash limiter on its way to the screen, which holds
// back changes of light that would flash; off, the pictures go as they are.
void setGentleMode(bool on);
bool gentleMode();

// What presentation asks of the gentle mode's limiter, which stands above this layer: the
// colours to show a frame in at a time, the last choice again for a held picture, a fresh
// start, and the time of its last picture. The program installs one before the display
// opens (safety/gentle_limiter.h); without one, gentle pictures are shown as drawn.
struct PresentationLimiter {
    void (*limit)(const uint8_t* frame, const Palette& palette, double seconds, Palette& shown);
    void (*reapply)(const Palette& palette, Palette& shown);
    void (*reset)();
    double (*lastSeconds)();
};
void installPresentationLimiter(const PresentationLimiter* limiter);

// Seeking in the gentle show: while a seek replays passes the limiter watches every frame
// presented, seen or not and gentle or not, at the time the frame tool's show presents it,
// so that a seek lands on the frame tool's picture.
// The limiter's history forgotten: the next picture is shown as drawn.
void restartGentleLimiter();
// Until runGentleClockOn, the limiter watches every frame presented, at these seconds.
void replayGentleAt(double seconds);
// The limiter's clock runs on by the real one from the time of its last picture: after a
// seek, and when a held show plays on (holding is no time of the show's).
void runGentleClockOn();
// The limiter's clock stops being set by replayGentleAt, runs on as it did before.
void endGentleReplay();
// The colours the frame on screen is shown in (for screenshots and captures): the latest
// palette, or in gentle mode the limiter's.
const Palette& paletteOnScreen();
// The palette indices most recently presented (full screen: what is on screen, shown in
// currentPalette once the pass has ended).
const uint8_t* frameOnScreen();
