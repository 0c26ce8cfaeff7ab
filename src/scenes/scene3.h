// Scene 3: an environment-mapped model through an 8x8 mode filter over a picture.
#pragma once

namespace scene3 {
void load();
void unload();
void start();
void render(float t);
}  // namespace scene3
