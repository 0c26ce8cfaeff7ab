// The seek's checkpoints laid down in a helper process, off the frame's path. The scenes
// keep their state at file level, so a replay in the show's own process takes the show's
// time (checkpoint_pacing.h); instead the demo starts itself again with an internal option,
// --lay-checkpoints SECONDS, which loads the data set, replays the show unseen and hands
// every checkpoint over through a pipe. Between passes the show installs what has come, a
// copy each. Where no helper starts (Windows, a browser) or once one fails, the show lays
// the rest down itself as before; a seek beyond what has come replays as it always has.
#pragma once

#include <cstdint>
#include <vector>

#include "show/demo_run.h"
#include "platform/worker_process.h"

struct CheckpointWorker {
    platform::WorkerProcess process;
    std::vector<uint8_t> inbox;  // bytes read that do not yet make a whole record
    bool running = false;
};

// The helper's side, the whole program under --lay-checkpoints: the checkpoints of the
// show up to options.layCheckpointsSeconds, record by record, to the report pipe. Returns
// the process's exit code.
int runCheckpointWorker(const DemoOptions& options);

// The show's side, after loading: starts the helper (program: null for this one) for the
// show's span. False when it could not start.
bool startCheckpointWorker(CheckpointWorker& worker, const DemoOptions& options,
                           double showSeconds, const char* program = nullptr);
// Installs every whole record that has come. True while the helper works; false once it
// has ended (every checkpoint in place, or failed: the show lays the rest itself).
bool pollCheckpointWorker(CheckpointWorker& worker);
void stopCheckpointWorker(CheckpointWorker& worker);
