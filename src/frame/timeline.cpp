// The scene timeline.
#include "frame/timeline.h"

#include "frame/clock.h"
#include "scenes/scene_table.h"

int currentScene = -1;
void (*currentRender)(float t) = nullptr;
float sceneStartTime = 0.0f;
bool advanceRequested = false;

void advanceScene() {
    currentScene += 1;
    if (currentScene == kSceneCount) currentScene = 0;
    SceneTable[currentScene].start();
    currentRender = SceneTable[currentScene].render;
    sceneStartTime = clockSeconds();
}

void resetTimeline() {
    currentScene = -1;
    currentRender = nullptr;
    sceneStartTime = 0.0f;
    advanceRequested = false;
}
