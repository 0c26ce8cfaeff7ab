// The kinds of file the capture writes, chosen by the output's extension.
#pragma once

#include <string>

struct VideoFormat {
    const char* extension;       // ".mp4"
    const char* muxer;           // FFmpeg's name for the container; null for a GIF
    const char* videoEncoder;    // FFmpeg's name for the encoder
    bool lossless;               // RGB frames kept exactly; otherwise 4:2:0 YUV
    const char* videoOptions;    // the encoder's private options, "key=value key=value"
    double keyframeSeconds;      // between key frames; 0: every frame is one
    const char* audioEncoder;    // null: no sound
    long audioBitRate;           // bits per second; 0 for a lossless codec
    const char* muxerOptions;
    int defaultFps;              // without --fps
    const char* description;     // for the usage text
    bool isGif() const { return muxer == nullptr; }
};

// The format for the path's extension (case-insensitive), or null.
const VideoFormat* videoFormatFor(const std::string& path);

// The H.264 file for uploading to a video site: the .mp4's, at a higher quality and
// with the key frames such sites ask for.
const VideoFormat& uploadFormat();

// The .mkv's lossless file made as small as it goes, for frames at their own size.
const VideoFormat& archiveFormat();

// ".mp4, .mkv, .webm, .gif"
std::string supportedExtensions();

// One line per format for the usage text, indented under its operand: ".mp4   H.264 ...".
std::string describeVideoFormats();
