// The demo's entry point. The photosensitivity note of --help is made by the build from
// the flash check of the show.
#include "demo/calibration.h"
#include "demo/options.h"
#include "flash_report.h"
#include "platform/output_file.h"
#include "show/checkpoint_worker.h"
#include "show/demo.h"

int main(int argc, char** argv) {
    failWritesPastTheSizeLimit();  // a screenshot past the limit fails, and says so
    const DemoOptions options = parseDemoOptions(argc, argv, kPhotosensitivityNote);
    if (options.layCheckpointsSeconds >= 0.0) return runCheckpointWorker(options);
    return options.calibrate ? runCalibration(options) : runDemo(options);
}
