// The scene timeline.
#include "show/timeline.h"

#include "core/clock.h"
#include "scenes/scene_table.h"

const SceneEntry* timelineRows = SceneTable;
int timelineRowCount = kSceneCount;

int currentScene = -1;
void (*currentRender)(float t) = nullptr;
float sceneStartTime = 0.0f;
bool advanceRequested = false;

namespace {
int firstRowOfShow = 0;
}  // namespace

void advanceScene() {
    currentScene = currentScene == -1 ? firstRowOfShow : currentScene + 1;
    if (currentScene == timelineRowCount) currentScene = 0;
    timelineRows[currentScene].start();
    currentRender = timelineRows[currentScene].render;
    sceneStartTime = clockSeconds();
}

void resetTimeline(int firstRow) {
    firstRowOfShow = firstRow >= 0 && firstRow < timelineRowCount ? firstRow : 0;
    currentScene = -1;
    currentRender = nullptr;
    sceneStartTime = 0.0f;
    advanceRequested = false;
}

void setCurrentRow(int row, float sceneSeconds) {
    currentScene = row;
    currentRender = timelineRows[row].render;
    sceneStartTime = clockSeconds() - sceneSeconds;
}

void useSceneRows(const SceneEntry* rows, int count) {
    timelineRows = rows;
    timelineRowCount = count;
}
