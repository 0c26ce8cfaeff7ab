// Scene 6: a picture revealed block by block in the order of a transition map.
#pragma once

namespace scene6 {
void load();
void unload();
void start();
void render(float t);
}  // namespace scene6
