// The show's running order and durations.
#include "scenes/scene_table.h"

#include <cfloat>
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

const SceneEntry SceneTable[] = {
    {scene1::load, scene1::unload, scene1::start, scene1::render, 30.0f},
    {scene2::load, scene2::unload, scene2::start, scene2::render, 20.0f},
    {scene3::load, scene3::unload, scene3::start, scene3::render, 17.0f},
    {scene4::load, scene4::unload, scene4::start, scene4::render, 20.0f},
    {scene5::load, scene5::unload, scene5::start, scene5::render, 8.0f},
    {scene6::load, scene6::unload, scene6::start, scene6::render, 5.0f},
    {scene7::load, scene7::unload, scene7::start, scene7::render, 20.0f},
    {scene8::load, scene8::unload, scene8::start, scene8::render, 25.0f},
    // The last scene plays until the user moves on.
    {scene9::load, scene9::unload, scene9::start, scene9::render, FLT_MAX},
};

const int kSceneCount = static_cast<int>(std::size(SceneTable));

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

double showTimeOfRow(int row) {
    double seconds = 0.0;
    for (int i = 0; i < row && i < kSceneCount; ++i) seconds += SceneTable[i].duration;
    return seconds;
}
