// A video file being written through FFmpeg's libraries: one stream of RGB frames at a
// fixed rate and, when asked, one stream of the music's samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video_formats.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct AVAudioFifo;
struct SwrContext;
struct SwsContext;

// A chapter of the file, in video frames from its start.
struct VideoChapter {
    int64_t firstFrame;
    int64_t endFrame;  // one past its last
    std::string title;
};

struct VideoFileSettings {
    int width = 0;
    int height = 0;
    int fps = 60;
    int audioSampleRate = 0;  // 0: no audio track
    int audioChannels = 0;
    std::vector<VideoChapter> chapters;
};

class VideoFile {
public:
    VideoFile() = default;
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;
    // Releases everything; a file that was not finished is left on disk for the caller.
    ~VideoFile();

    // Sets up the encoders and writes the file's header. False with error() set; errors
    // do not name the file, which may be a temporary one.
    bool open(const std::string& path, const VideoFormat& format,
              const VideoFileSettings& settings);

    // The next frame: width x height pixels of 0x00RRGGBB, row 0 at the top, no gaps.
    bool writeVideoFrame(const uint32_t* pixels);

    // The next stretch of sound: sample frames of interleaved samples in -1..1 at the
    // settings' rate and channel count.
    bool writeAudio(const float* interleaved, int frames);

    // Empties the encoders and completes the file.
    bool finish();

    const std::string& error() const { return error_; }

private:
    struct Track {
        AVCodecContext* encoder = nullptr;
        AVStream* stream = nullptr;
        AVFrame* frame = nullptr;
        int64_t nextPts = 0;
    };

    bool addChapters(const VideoFileSettings& settings);
    bool openVideo(const VideoFormat& format, const VideoFileSettings& settings);
    bool openAudio(const VideoFormat& format, const VideoFileSettings& settings);
    bool openEncoder(Track& track, const char* options);
    bool encode(Track& track, const AVFrame* frame);
    bool resample(const uint8_t* const* input, int frames);
    bool encodeQueuedAudio(bool all);
    bool fail(const std::string& what, int code = 0);

    AVFormatContext* container_ = nullptr;
    AVPacket* packet_ = nullptr;
    Track video_;
    Track audio_;
    SwsContext* colourConverter_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVAudioFifo* audioQueue_ = nullptr;
    std::vector<uint8_t*> resampled_;  // one buffer per plane
    int resampledCapacity_ = 0;
    std::string error_;
};
