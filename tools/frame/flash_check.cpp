// The flash check of the frame tool.
#include "flash_check.h"

#include <algorithm>
#include <cstdio>

#include "music_length.h"
#include "platform/data_path.h"
#include "platform/headless/headless.h"
#include "safety/frame_light.h"
#include "scenes/scene_table.h"
#include "show/simulated_show.h"
#include "text_file.h"

namespace {

// Spans of a scene closer than this make one line of the summary.
constexpr double kSummaryGap = 1.5;

template <typename... Args>
void append(std::string& text, const char* format, Args... args) {
    char line[200];
    std::snprintf(line, sizeof line, format, args...);
    text += line;
}

// The show's length, or the music's when that is longer; a music file that is there but
// cannot be decoded, or ends early, is said on standard error, and the show measured whole.
double showEnd() {
    const std::string path = hostPath("demotuin.ogg");
    const double music = musicSeconds(path);
    if (music < 0.0 && isRegularDataFile(dataFolder(), "demotuin.ogg"))
        std::fprintf(stderr, "dorminax-frame: cannot decode %s: measuring the show without it\n",
                     path.c_str());
    else if (music >= 0.0 && music < kShowSeconds - 0.05)
        std::fprintf(stderr, "dorminax-frame: %s ends at %.1f s, the show lasts %.0f s\n",
                     path.c_str(), music, kShowSeconds);
    return std::max(music, kShowSeconds);
}

void appendCounts(std::string& text, const char* name, const std::vector<int>& counts) {
    append(text, "  \"%s\": [", name);
    for (size_t i = 0; i < counts.size(); ++i) append(text, "%s%d", i ? ", " : "", counts[i]);
    text += "],\n";
}

}  // namespace

std::vector<FlashSummaryLine> summariseFlashes(const FlashReport& report) {
    std::vector<FlashSummaryLine> lines;
    for (const FlashSpan& s : report.spans) {
        const int scene = sceneAtShowTime(s.from);
        const bool fails = s.level != FlashLevel::Warning;
        if (!lines.empty() && lines.back().scene == scene && s.from - lines.back().to < kSummaryGap) {
            FlashSummaryLine& line = lines.back();
            line.to = std::max(line.to, s.to);
            line.fails = line.fails || fails;
            line.worstPerSecond = std::max(line.worstPerSecond, s.worstPerSecond);
        } else {
            lines.push_back({s.from, s.to, scene, fails, s.worstPerSecond});
        }
    }
    return lines;
}

std::string flashReportText(const FlashReport& report) {
    std::string text;
    for (const FlashSpan& s : report.spans) {
        const int scene = sceneAtShowTime(s.from);
        append(text, "%6.1f-%.1f s  scene %d %-18s  %-9s  %-13s  worst %d a second\n", s.from,
               s.to, scene, sceneName(scene), flashKindName(s.kind), flashLevelName(s.level),
               s.worstPerSecond);
    }
    if (!report.passes()) {
        append(text, "verdict: fails: %ld of %ld frames at %g fps are in failing spans\n",
               report.failingFrames, report.frames, report.fps);
    } else {
        append(text, "verdict: passes%s (%ld frames at %g fps)\n",
               report.warns() ? ", with warnings" : "", report.frames, report.fps);
    }
    return text;
}

std::string flashReportJson(const FlashReport& report) {
    std::string text;
    append(text, "{\n  \"fps\": %g,\n  \"frames\": %ld,\n  \"failingFrames\": %ld,\n",
           report.fps, report.frames, report.failingFrames);
    append(text, "  \"verdict\": \"%s\",\n",
           !report.passes() ? "fail" : report.warns() ? "warning" : "pass");
    appendCounts(text, "luminancePerSecond", report.luminancePerSecond);
    appendCounts(text, "redPerSecond", report.redPerSecond);
    text += "  \"spans\": [";
    for (size_t i = 0; i < report.spans.size(); ++i) {
        const FlashSpan& s = report.spans[i];
        const int scene = sceneAtShowTime(s.from);
        append(text,
               "%s\n    {\"from\": %.3f, \"to\": %.3f, \"scene\": %d, \"name\": \"%s\", "
               "\"kind\": \"%s\", \"level\": \"%s\", \"worstPerSecond\": %d}",
               i ? "," : "", s.from, s.to, scene, sceneName(scene), flashKindName(s.kind),
               flashLevelName(s.level), s.worstPerSecond);
    }
    text += report.spans.empty() ? "],\n" : "\n  ],\n";
    const std::vector<FlashSummaryLine> summary = summariseFlashes(report);
    text += "  \"summary\": [";
    for (size_t i = 0; i < summary.size(); ++i) {
        const FlashSummaryLine& l = summary[i];
        append(text,
               "%s\n    {\"from\": %.1f, \"to\": %.1f, \"span\": \"%.1f-%.1f s\", \"scene\": %d, "
               "\"name\": \"%s\", \"level\": \"%s\", \"worstPerSecond\": %d}",
               i ? "," : "", l.from, l.to, l.from, l.to, l.scene, sceneName(l.scene), l.fails ? "fail" : "warning",
               l.worstPerSecond);
    }
    text += summary.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return text;
}

int runFlashCheck(const DemoOptions& demo, double fps, const std::string& json) {
    SimulatedShow show(fps);
    if (!show.start(demo)) return 1;
    const double end = showEnd();
    FlashMeter meter(fps);
    for (show.step(); show.lastFrameSeconds() < end; show.step())
        meter.addFrame(show.lastFrameSeconds(), measureFrameLight(headless::lastPresentedPixels()));
    show.finish();

    const FlashReport report = meter.report();
    std::fputs(flashReportText(report).c_str(), stdout);
    std::string error;
    if (!json.empty() && !writeTextFile(json, flashReportJson(report), error)) {
        std::fprintf(stderr, "dorminax-frame: cannot write %s: %s\n", json.c_str(), error.c_str());
        return 1;
    }
    return report.passes() ? 0 : 1;
}
