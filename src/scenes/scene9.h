// Scene 9: ten thousand particles burst from the origin and are drawn into swirling
// attractor flows, leaving glowing trails. It plays until the user moves on.
#pragma once

#include <cstdint>

#include "core/state_record.h"

namespace scene9 {
void load();
void unload();
void start();
void render(float t);

// What one frame hands to the next, kept for a seek and put back from it.
void keepState(StateRecord& record);
void restoreState(StateRecord& record);

// The frame's building blocks, which render uses and the tests check.

// Which frames recompute the velocities: after 2 s, every second frame. The flag toggles
// on every frame with t > 2 and is never reset, so a later visit may start on either turn.
struct UpdateTurn {
    int flag = 0;
    // True when this frame recomputes the velocities.
    bool take(float t);
};

// Index 0 in the 5-pixel border all round.
void clearBorder(uint8_t* frame);
// A particle at the projected position (x, y) brightens its pixel by 80, up to 255.
// Positions are truncated toward zero; off-screen, infinite or NaN ones are not drawn.
void plotParticle(uint8_t* frame, float x, float y);
}  // namespace scene9
