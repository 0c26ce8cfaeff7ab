// Scene 2: a deforming, point-lit sphere under a picture overlay.
#pragma once

namespace scene2 {
void load();
void unload();
void start();
void render(float t);
}  // namespace scene2
