// The show's running order.
#include "scenes/scene_table.h"

#include <iterator>

const SceneEntry SceneTable[] = {
    ringFlightScene, deformingSphereScene, knotOverPondScene,
    swirlScene,      creditsScene,         revealScene,
    metaballsScene,  supertoroidScene,     attractorTrailsScene,
};

static_assert(std::size(SceneTable) == kSceneCount, "a row for every scene");

const char* sceneName(int sceneNumber) {
    const int row = rowOfScene(sceneNumber);
    return row < 0 ? "" : SceneTable[row].name;
}

int sceneAtShowTime(double showSeconds) {
    int scene = 1;
    while (scene < kSceneCount && showSeconds >= showTimeOfRow(rowOfScene(scene + 1))) ++scene;
    return scene;
}

int rowOfScene(int sceneNumber) {
    return sceneNumber >= 1 && sceneNumber <= kSceneCount ? sceneNumber - 1 : -1;
}
