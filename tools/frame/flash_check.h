// The frame tool's flash check: the simulated show measured frame by frame from its start
// to the end of the music, reported as spans that fail or warn, and a verdict.
#pragma once

#include <string>
#include <vector>

#include "safety/flash_meter.h"
#include "show/demo.h"

// Plays the show at the frame rate and measures it; prints the report, and writes it as
// JSON unless the path is empty. Exit code: 0 passes, 1 fails (or the show could not start
// or the JSON could not be written).
int runFlashCheck(const DemoOptions& show, double fps, const std::string& json);

// The spans of one scene that lie within a second and a half of each other, as one.
struct FlashSummaryLine {
    double from;
    double to;
    int scene;
    bool fails;  // else it warns
    int worstPerSecond;
};
std::vector<FlashSummaryLine> summariseFlashes(const FlashReport& report);

// The report as the tool prints it, one line per span and a verdict.
std::string flashReportText(const FlashReport& report);
// The same as JSON: the counts of every second, the spans and their summary.
std::string flashReportJson(const FlashReport& report);
