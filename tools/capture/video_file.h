// A video file being written through FFmpeg's libraries: one stream of the show's frames
// at a fixed rate and, when asked, one stream of the music's samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture_file.h"
#include "core/frame_format.h"
#include "video_formats.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct AVAudioFifo;
struct SwrContext;

// A chapter of the file, in video frames from its start.
struct VideoChapter {
    int64_t firstFrame;
    int64_t endFrame;  // one past its last
    std::string title;
};

struct VideoFileSettings {
    int scale = 1;  // the picture is 320 x 240 times this
    int fps = 60;
    int audioSampleRate = 0;  // 0: no audio track
    int audioChannels = 0;
    std::vector<VideoChapter> chapters;
};

class VideoFile : public CaptureFile {
public:
    VideoFile() = default;
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;
    // Releases everything; a file that was not finished is left on disk for the caller.
    ~VideoFile() override;

    // Sets up the encoders and writes the file's header. False with error() set.
    bool open(const std::string& path, const VideoFormat& format,
              const VideoFileSettings& settings);

    bool writeVideoFrame(const uint8_t* indices, const Palette& palette) override;
    bool writeAudio(const float* interleaved, int frames) override;
    bool finish() override;
    const std::string& error() const override { return error_; }

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
    int scale_ = 1;
    SwrContext* resampler_ = nullptr;
    AVAudioFifo* audioQueue_ = nullptr;
    std::vector<uint8_t*> resampled_;  // one buffer per plane
    int resampledCapacity_ = 0;
    std::string error_;
};
