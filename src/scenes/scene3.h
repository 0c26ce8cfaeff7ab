// Scene 3: an environment-mapped model through an 8x8 mode filter over a picture.
#pragma once

#include "core/state_record.h"

namespace scene3 {
void load();
void unload();
void start();
void render(float t);

// What one frame hands to the next, kept for a seek and put back from it.
void keepState(StateRecord& record);
void restoreState(StateRecord& record);
}  // namespace scene3
