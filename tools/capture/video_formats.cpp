// The three kinds of file: one to upload, one to archive, one for the web.
#include "video_formats.h"

#include <strings.h>

namespace {

const VideoFormat kFormats[] = {
    // x264's constant-quality mode at a level that keeps the flat colours and hard block
    // edges clean after a video site encodes the upload once more. On these flat blocks
    // its fast analysis loses nothing a slower one would keep; the deblocking filter and
    // adaptive quantisation, made for camera pictures, only cost time, size and sharpness.
    {".mp4", "mp4", "libx264", false,
     "preset=superfast crf=16 x264-params=no-deblock=1:aq-mode=0", "aac", 192000,
     "movflags=+faststart", "H.264 + AAC, for video sites and players"},
    // Intra-only FFV1 in RGB: every decoded frame is exactly the demo's frame. Slices let
    // both cores work; their checksums let a damaged archive show where.
    // The range coder with its larger context model makes files about 40% smaller.
    {".mkv", "matroska", "ffv1", true, "level=3 coder=range_tab context=1 slices=4 slicecrc=1",
     "flac", 0, "",
     "FFV1 RGB + FLAC, lossless, for archives"},
    {".webm", "webm", "libvpx-vp9", false,
     "crf=24 deadline=good cpu-used=4 row-mt=1 tile-columns=2", "libopus", 160000, "",
     "VP9 + Opus, for the web"},
};

}  // namespace

const VideoFormat* videoFormatFor(const std::string& path) {
    for (const VideoFormat& format : kFormats) {
        const std::string extension = format.extension;
        if (path.size() > extension.size() &&
            strcasecmp(path.c_str() + path.size() - extension.size(), extension.c_str()) == 0)
            return &format;
    }
    return nullptr;
}

std::string supportedExtensions() {
    std::string list;
    for (const VideoFormat& format : kFormats) {
        if (!list.empty()) list += ", ";
        list += format.extension;
    }
    return list;
}

std::string describeVideoFormats() {
    std::string text;
    for (const VideoFormat& format : kFormats) {
        std::string extension = format.extension;
        extension.resize(7, ' ');
        text += "                 " + extension + format.description + "\n";
    }
    return text;
}
