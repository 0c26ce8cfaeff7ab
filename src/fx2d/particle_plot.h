// Particles as single bright pixels over a trail picture, and the frame border the trail
// blur leaves alone, cleared.
#pragma once

#include <cstdint>

constexpr int kParticleBrightness = 80;  // what one particle adds to its pixel

// Index 0 in the border of kTrailBorder (5) pixels all round.
void clearBorder(uint8_t* frame);

// A particle at the projected position (x, y) brightens its pixel by 80, up to 255.
// Positions are truncated toward zero; off-screen, infinite or NaN ones are not drawn.
void plotParticle(uint8_t* frame, float x, float y);
