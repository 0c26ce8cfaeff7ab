// The soundtrack's score: what plays when, written as patterns section by section.
#pragma once

#include "music/score.h"

// "Night garden": C minor at 120 BPM, about three minutes, in sections that change where
// the show changes scene (30, 50, 67, 87, 95, 100, 120 and 145 s).
Song composeSoundtrack();
