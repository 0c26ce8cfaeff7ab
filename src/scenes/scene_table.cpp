// The show's running order and durations.
#include "scenes/scene_table.h"

#include <iterator>

#include "scenes/scene1.h"
#include "scenes/scene2.h"
#include "scenes/scene3.h"
#include "scenes/scene4.h"
#include "scenes/scene5.h"
#include "scenes/scene6.h"
#include "scenes/scene7.h"
#include "scenes/scene8.h"
#include "scenes/scene9.h"

// Scenes 4, 6 and 8 draw every frame from t alone, once start has set their palette.
const SceneEntry SceneTable[] = {
    {scene1::load, scene1::unload, scene1::start, scene1::render, kSceneDurations[0],
     scene1::keepState, scene1::restoreState},
    {scene2::load, scene2::unload, scene2::start, scene2::render, kSceneDurations[1],
     scene2::keepState, scene2::restoreState},
    {scene3::load, scene3::unload, scene3::start, scene3::render, kSceneDurations[2],
     scene3::keepState, scene3::restoreState},
    {scene4::load, scene4::unload, scene4::start, scene4::render, kSceneDurations[3]},
    {scene5::load, scene5::unload, scene5::start, scene5::render, kSceneDurations[4],
     scene5::keepState, scene5::restoreState},
    {scene6::load, scene6::unload, scene6::start, scene6::render, kSceneDurations[5]},
    {scene7::load, scene7::unload, scene7::start, scene7::render, kSceneDurations[6],
     scene7::keepState, scene7::restoreState},
    {scene8::load, scene8::unload, scene8::start, scene8::render, kSceneDurations[7]},
    // The last scene plays until the user moves on.
    {scene9::load, scene9::unload, scene9::start, scene9::render, kSceneDurations[8],
     scene9::keepState, scene9::restoreState},
};

static_assert(std::size(SceneTable) == kSceneCount, "a duration for every row");

namespace {

const char* const kSceneNames[] = {
    "Ring flight", "Deforming sphere", "Knot over the pond", "Swirl",      "Credits",
    "Reveal",      "Metaballs",        "Supertoroid",        "Attractor trails",
};
static_assert(std::size(kSceneNames) == std::size(SceneTable), "a name for every scene");

}  // namespace

const char* sceneName(int sceneNumber) {
    const int row = rowOfScene(sceneNumber);
    return row < 0 ? "" : kSceneNames[row];
}

int sceneAtShowTime(double showSeconds) {
    int scene = 1;
    while (scene < kSceneCount && showSeconds >= showTimeOfRow(rowOfScene(scene + 1))) ++scene;
    return scene;
}

int rowOfScene(int sceneNumber) {
    return sceneNumber >= 1 && sceneNumber <= kSceneCount ? sceneNumber - 1 : -1;
}
