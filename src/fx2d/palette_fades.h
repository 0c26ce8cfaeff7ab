// Whole-palette fades: every one of the 768 components scaled or lifted, written into a
// second palette so that the source keeps its colours for the next frame.
#pragma once

#include "core/display.h"

// (c * level) >> 8 for every component: level 0 is black, 256 would be the palette itself.
// Levels outside 0..256 count as the nearer end.
void fadePaletteFromBlack(const Palette& source, int level, Palette& out);

// min(255, trunc(c * factor)) for every component; a zero component stays zero however
// large the factor (also an infinite one), so pure hues keep their hue as they burn out.
void burnPaletteTowardWhite(const Palette& source, float factor, Palette& out);

// max(c, floor) for every component: floor 255 is white, 0 is the palette itself.
void liftPaletteFloor(const Palette& source, int floor, Palette& out);
