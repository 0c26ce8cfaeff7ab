// Scene 2: a deforming, point-lit sphere under a picture overlay.
#pragma once

#include "core/state_record.h"

namespace scene2 {
void load();
void unload();
void start();
void render(float t);

// What one frame hands to the next, kept for a seek and put back from it.
void keepState(StateRecord& record);
void restoreState(StateRecord& record);
}  // namespace scene2
