// The length of the show's music, which is where the show ends for the tools.
#pragma once

#include <string>

// Seconds of music in the Ogg Vorbis file; negative when it cannot be read.
double musicSeconds(const std::string& path);
