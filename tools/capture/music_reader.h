// The show's music, decoded from its Ogg Vorbis file a stretch at a time.
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <string>

class MusicReader {
public:
    MusicReader() = default;
    MusicReader(const MusicReader&) = delete;
    MusicReader& operator=(const MusicReader&) = delete;
    ~MusicReader();

    // False when the file is missing or is not Ogg Vorbis that can be read.
    bool open(const std::string& path);
    bool isOpen() const { return open_; }

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    double seconds() const;

    // Moves to a sample frame (one sample per channel) counted from the start; a place at
    // or past the end leaves only silence to read.
    void seek(int64_t frame);

    // Fills `frames` sample frames of interleaved samples in -1..1. Past the end of the
    // music, or after a decoding error, the rest is silence.
    void read(float* interleaved, int frames);

    // Whether the file could not be decoded to its end.
    bool damaged() const { return damaged_; }

private:
    OggVorbis_File file_{};
    bool open_ = false;
    bool exhausted_ = false;
    bool damaged_ = false;
    int sampleRate_ = 0;
    int channels_ = 0;
    int64_t totalFrames_ = 0;
};
