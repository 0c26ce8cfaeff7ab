// The presets' settings.
#include "presets.h"

#include <iterator>

namespace {

const Preset* presets() {
    // A preview plays by itself wherever it is shown, with no warning before it: it is
    // made from the gentle show, whose flashes are softened.
    static const Preset kPresets[] = {
        {"youtube", &uploadFormat(), 6, 60, 0.0, false,
         "1920x1440 H.264 at 60 fps, for video sites"},
        {"archive", &archiveFormat(), 1, 60, 0.0, false,
         "lossless .mkv at 320x240, the smallest exact file"},
        {"preview", videoFormatFor("show.gif"), 1, 50, 10.0, true,
         "10 s of the gentle show as a 320x240 .gif"},
    };
    return kPresets;
}
constexpr int kPresetCount = 3;

}  // namespace

const Preset* presetNamed(const std::string& name) {
    for (int i = 0; i < kPresetCount; ++i) {
        if (name == presets()[i].name) return &presets()[i];
    }
    return nullptr;
}

std::string presetNames() {
    std::string list;
    for (int i = 0; i < kPresetCount; ++i) {
        if (i > 0) list += i + 1 < kPresetCount ? ", " : " or ";
        list += presets()[i].name;
    }
    return list;
}

std::string describePresets() {
    std::string text;
    for (int i = 0; i < kPresetCount; ++i) {
        std::string name = presets()[i].name;
        name.resize(9, ' ');
        text += "                 " + name + presets()[i].description + "\n";
    }
    return text;
}
