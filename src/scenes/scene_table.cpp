// The show's running order and durations.
#include "scenes/scene_table.h"

#include <iterator>

#include "scenes/scene6.h"

const SceneEntry SceneTable[] = {
    {scene6::load, scene6::unload, scene6::start, scene6::render, 5.0f},
};

const int kSceneCount = static_cast<int>(std::size(SceneTable));
