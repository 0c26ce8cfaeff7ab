// Ready-made settings for the common uses of a capture: an upload to a video site, the
// smallest exact archive, a short preview to show anywhere.
#pragma once

#include <string>

#include "video_formats.h"

struct Preset {
    const char* name;           // "youtube"
    const VideoFormat* format;  // the output must have its extension
    int scale;
    int fps;
    double seconds;  // from the start of the span; 0: to the end of the show
    bool gentle;
    const char* description;  // for the usage text
};

// The preset of that name, or null.
const Preset* presetNamed(const std::string& name);

// "youtube, archive or preview"
std::string presetNames();

// One line per preset for the usage text, indented under the option.
std::string describePresets();
