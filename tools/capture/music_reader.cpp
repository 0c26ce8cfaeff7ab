// Decoding through libvorbisfile.
#include "music_reader.h"

#include <algorithm>
#include <cstring>

MusicReader::~MusicReader() {
    if (open_) ov_clear(&file_);
}

bool MusicReader::open(const std::string& path) {
    if (ov_fopen(path.c_str(), &file_) != 0) return false;
    const vorbis_info* info = ov_info(&file_, -1);
    const ogg_int64_t total = ov_pcm_total(&file_, -1);
    if (!info || info->channels < 1 || info->rate < 1 || total < 0) {
        ov_clear(&file_);
        return false;
    }
    open_ = true;
    sampleRate_ = static_cast<int>(info->rate);
    channels_ = info->channels;
    totalFrames_ = total;
    return true;
}

double MusicReader::seconds() const { return static_cast<double>(totalFrames_) / sampleRate_; }

void MusicReader::seek(int64_t frame) {
    exhausted_ = !open_ || frame >= totalFrames_;
    if (exhausted_) return;
    if (ov_pcm_seek(&file_, std::max<int64_t>(frame, 0)) != 0) {
        damaged_ = true;
        exhausted_ = true;
    }
}

void MusicReader::read(float* interleaved, int frames) {
    while (frames > 0 && !exhausted_) {
        float** pcm = nullptr;
        int section = 0;
        const long count = ov_read_float(&file_, &pcm, frames, &section);
        if (count == OV_HOLE) continue;  // a gap in the stream: decoding goes on after it
        const vorbis_info* info = ov_info(&file_, section);
        if (count <= 0 || !info || info->channels != channels_) {
            // A chained stream whose later part has other channels is not ours to mix.
            damaged_ = count != 0;
            exhausted_ = true;
            break;
        }
        for (long i = 0; i < count; ++i) {
            for (int c = 0; c < channels_; ++c) *interleaved++ = pcm[c][i];
        }
        frames -= static_cast<int>(count);
    }
    std::fill(interleaved, interleaved + static_cast<size_t>(frames) * channels_, 0.0f);
}
