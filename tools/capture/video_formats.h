// The kinds of video file the capture writes, chosen by the output's extension.
#pragma once

#include <string>

struct VideoFormat {
    const char* extension;       // ".mp4"
    const char* muxer;           // FFmpeg's name for the container
    const char* videoEncoder;    // FFmpeg's name for the encoder
    bool lossless;               // RGB frames kept exactly; otherwise 4:2:0 YUV
    const char* videoOptions;    // the encoder's private options, "key=value key=value"
    const char* audioEncoder;
    long audioBitRate;           // bits per second; 0 for a lossless codec
    const char* muxerOptions;
    const char* description;     // for the usage text
};

// The format for the path's extension (case-insensitive), or null.
const VideoFormat* videoFormatFor(const std::string& path);

// ".mp4, .mkv, .webm"
std::string supportedExtensions();

// One line per format for the usage text, indented under its operand: ".mp4   H.264 ...".
std::string describeVideoFormats();
