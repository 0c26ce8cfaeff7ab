// The art direction's colours, shared by every picture: a night garden seen by a machine.
#pragma once

#include "image.h"

inline const Rgb kNight{0.02f, 0.02f, 0.08f};      // the sky and the shadows
inline const Rgb kMoonlight{0.80f, 0.86f, 1.00f};  // highlights and text
inline const Rgb kNeonGreen{0.25f, 1.00f, 0.45f};  // what the machine draws
inline const Rgb kSodium{1.00f, 0.55f, 0.12f};     // warm accents: lamps, fireflies
inline const Rgb kMagenta{0.95f, 0.25f, 0.75f};    // blossoms
