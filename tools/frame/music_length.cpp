// The music's length, read with stb_vorbis (it builds for every target the tool does).
#include "music_length.h"

#include <stb/stb_vorbis.h>

double musicSeconds(const std::string& path) {
    int error = 0;
    stb_vorbis* music = stb_vorbis_open_filename(path.c_str(), &error, nullptr);
    if (!music) return -1.0;
    const double seconds = stb_vorbis_stream_length_in_seconds(music);
    stb_vorbis_close(music);
    return seconds;
}
