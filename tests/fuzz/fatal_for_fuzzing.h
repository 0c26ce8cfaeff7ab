// What a loader's fatal path throws in the fuzz targets.
#pragma once

struct FatalLoadError {
    const char* text;
    const char* caption;
};
