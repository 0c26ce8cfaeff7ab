// The one place in fx2d that picks which version of each paired routine the show runs:
// the fast one, or in the plain build (DORMINAX_PLAIN, `make plain`) its plain twin from
// the *_plain.cpp files. Both versions are always compiled, so that the tests can run
// them side by side; the golden frames prove the plain build draws the same show.
#include "fx2d/bilinear.h"
#include "fx2d/box_blur.h"
#include "fx2d/frame_passes.h"
#include "fx2d/mode_filter.h"
#include "fx2d/trail_blur.h"

#ifdef DORMINAX_PLAIN
namespace chosen = plain;
#else
namespace chosen = fast;
#endif

void overlayOpaque(const uint8_t* picture, uint8_t* frame) {
    chosen::overlayOpaque(picture, frame);
}

void fillEmpty(uint8_t* frame, const uint8_t* background) {
    chosen::fillEmpty(frame, background);
}

void zoomBlend(uint8_t* image, int cx, int cy, int k) { chosen::zoomBlend(image, cx, cy, k); }

void modeFilter8x8(const uint8_t* source, uint8_t* destination) {
    chosen::modeFilter8x8(source, destination);
}

void blurHorizontal(uint8_t* destination, const uint8_t* source, int n) {
    chosen::blurHorizontal(destination, source, n);
}

void blurVertical(uint8_t* destination, const uint8_t* source, int n) {
    chosen::blurVertical(destination, source, n);
}

void blurTrails(uint8_t* frame) { chosen::blurTrails(frame); }
