// The show by a simulated clock.
#include "show/simulated_show.h"

#include "core/clock.h"
#include "scenes/scene_table.h"
#include "show/show_passes.h"
#include "show/timeline.h"

bool SimulatedShow::start(const DemoOptions& options) {
    frame_ = 0;
    setSimulatedTicks(ticksOfPass(0, fps_));
    if (!startDemo(run_, options)) return false;
    setSimulatedTicks(ticksOfPass(0, fps_));  // loading takes no simulated time
    beginShow(run_);
    return true;
}

void SimulatedShow::step() {
    setSimulatedTicks(ticksOfPass(frame_, fps_));
    runMainLoopPass(run_);
    ++frame_;
}

void SimulatedShow::runUntil(double showSeconds) {
    do {
        step();
    } while (lastFrameSeconds() < showSeconds);
}

bool SimulatedShow::runUntilSceneTime(int row, double sceneSeconds) {
    Progress progress;
    do {
        progress = stepTowardsSceneTime(row, sceneSeconds);
    } while (progress == Progress::Running);
    return progress == Progress::Reached;
}

SimulatedShow::Progress SimulatedShow::stepTowardsSceneTime(int row, double sceneSeconds) {
    if (row < 0 || row >= kSceneCount || currentScene > row) return Progress::Missed;
    const int rowBefore = currentScene;
    step();
    if (rowBefore == row && currentScene != row) return Progress::Missed;  // the row has ended
    if (currentScene == row && clockSeconds() - sceneStartTime >= sceneSeconds)
        return Progress::Reached;
    return Progress::Running;
}

int SimulatedShow::finish() {
    const int code = finishDemo(run_);
    useRealClock();
    return code;
}
