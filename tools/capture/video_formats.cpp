// The kinds of file: one to upload, one to archive, one for the web, one to show anywhere.
#include "video_formats.h"

#include <strings.h>

namespace {

const VideoFormat kFormats[] = {
    // x264's constant-quality mode at a level that keeps the flat colours and hard block
    // edges clean after a video site encodes the upload once more. On these flat blocks
    // its fast analysis loses nothing a slower one would keep; the deblocking filter and
    // adaptive quantisation, made for camera pictures, only cost time, size and sharpness.
    {".mp4", "mp4", "libx264", false,
     "preset=ultrafast crf=16 x264-params=cabac=1:no-deblock=1:aq-mode=0", 2.0, "aac", 192000,
     "movflags=+faststart", 60, "H.264 + AAC, for video sites and players"},
    // H.264's lossless mode in RGB: every decoded frame is exactly the demo's frame. Its
    // predicted frames take an unchanged block whole from the frame before, and its
    // arithmetic coder (CABAC) shrinks the rest by almost half. Twice FFV1's speed at this
    // size, where FFV1 codes every one of the upscaled frame's samples, for nearly twice
    // its file: the archive preset keeps FFV1 for the smallest file.
    {".mkv", "matroska", "libx264rgb", true, "preset=ultrafast qp=0 x264-params=cabac=1",
     1.0, "flac", 0, "", 60, "H.264 lossless RGB + FLAC, for archives"},
    // VP9's real-time speed: five times faster than its "good" one, and on these flat
    // blocks still far above the quality the H.264 file keeps.
    {".webm", "webm", "libvpx-vp9", false,
     "crf=24 deadline=realtime cpu-used=8 row-mt=1 tile-columns=2", 2.0, "libopus", 160000, "",
     60, "VP9 + Opus, for the web"},
    // Every frame exactly, in its own palette; no sound. 50 fps: see gif_file.h.
    {".gif", nullptr, "giflib", true, "", 0.0, nullptr, 0, "", 50,
     "animated GIF, every frame exact, no sound"},
};

// What video sites ask of an upload: H.264 High profile, two B-frames, a closed group of
// pictures of half a second, and sound at 384 kb/s.
const VideoFormat kUploadFormat = {
    ".mp4", "mp4", "libx264", false,
    "preset=superfast crf=12 x264-params=no-deblock=1:aq-mode=0:bframes=2:open-gop=0", 0.5,
    "aac", 384000, "movflags=+faststart", 60, "H.264 + AAC at a high quality"};

// The smallest exact FFV1 file, for a frame at its own size, where no runs are left to
// find: the range coder with the larger context model, whose states a frame takes over
// from the one before, a key frame every second (a sixth smaller than every frame
// alone).
const VideoFormat kArchiveFormat = {
    ".mkv", "matroska", "ffv1", true, "level=3 coder=range_tab context=1 slices=4 slicecrc=1",
    1.0, "flac", 0, "", 60, "FFV1 RGB + FLAC, the smallest exact file"};

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

const VideoFormat& uploadFormat() { return kUploadFormat; }

const VideoFormat& archiveFormat() { return kArchiveFormat; }

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
