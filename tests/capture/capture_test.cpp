// The video capture, checked from outside: every file it writes is read back by FFmpeg's
// own command-line tools (ffprobe and ffmpeg), a GIF by Pillow too, and its frames are held
// against the frame tool's pictures of the same moments.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "safety/flash_meter.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kCapture = DORMINAX_CAPTURE_TOOL;
const std::string kFrameTool = DORMINAX_FRAME_TOOL;
// Debian's Python, with Pillow, and the script that decodes a GIF's frames through it.
const std::string kPillowFrames =
    std::string(DORMINAX_PILLOW_PYTHON) + " " + DORMINAX_TESTS_SOURCE + "/gif_frames.py";
const std::string kPreview = DORMINAX_PREVIEW;

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

struct CommandResult {
    int status = -1;  // the exit status, or -1 when the command did not exit by itself
    std::string output;
};

// Runs a shell command and collects its standard output and standard error.
CommandResult run(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, count);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

CommandResult capture(const std::string& arguments, const std::string& data = dataDir()) {
    return run(kCapture + " --data " + quoted(data) + " " + arguments);
}

// ffprobe's answer for one stream ("v:0", "a:0") and comma-separated entries.
std::string probe(const std::string& file, const std::string& stream, const std::string& entries) {
    CommandResult r = run("ffprobe -v error -select_streams " + stream +
                          " -show_entries stream=" + entries + " -of csv=p=0 " + quoted(file));
    while (!r.output.empty() && r.output.back() == '\n') r.output.pop_back();
    return r.output;
}

double probeSeconds(const std::string& file, const std::string& stream) {
    return std::atof(probe(file, stream, "duration").c_str());
}

// The file's chapters as ffprobe reads them: "start,end,title" lines, times in seconds.
std::string chapters(const std::string& file) {
    CommandResult r = run("ffprobe -v error -show_entries chapter=start_time,end_time:"
                          "chapter_tags=title -of csv=p=0 " + quoted(file));
    return r.output;
}

// Decoded pictures as 8-bit RGB, one at a time, through ffmpeg. A 4:2:0 video is turned
// back into RGB with its own BT.709 matrix and each chroma sample copied to the pixels it
// covers, so that what is measured is the file, not a reader's smoothing.
// Every decoded frame is read, however long the file holds it (a GIF's delays).
class FrameReader {
public:
    FrameReader(const std::string& file, int width, int height, bool yuv)
        : FrameReader(width, height,
                      "ffmpeg -v error -i " + quoted(file) + " -map 0:v:0" +
                          (yuv ? " -vf scale=in_color_matrix=bt709:in_range=tv:"
                                 "flags=neighbor+full_chroma_int+accurate_rnd"
                               : "") +
                          " -fps_mode passthrough -f rawvideo -pix_fmt rgb24 -") {}
    // Any command that writes raw RGB frames on its standard output.
    FrameReader(int width, int height, const std::string& command)
        : size_(size_t(width) * height * 3) {
        pipe_ = popen(command.c_str(), "r");
    }
    ~FrameReader() {
        if (pipe_) pclose(pipe_);
    }
    bool next(std::vector<uint8_t>& frame) {
        frame.resize(size_);
        return pipe_ && std::fread(frame.data(), 1, size_, pipe_) == size_;
    }

private:
    size_t size_;
    std::FILE* pipe_ = nullptr;
};

using Frames = std::vector<std::vector<uint8_t>>;

Frames readAllFrames(FrameReader&& reader) {
    Frames frames;
    std::vector<uint8_t> frame;
    while (reader.next(frame)) frames.push_back(frame);
    return frames;
}

Frames readAllFrames(const std::string& file, int width, int height) {
    return readAllFrames(FrameReader(file, width, height, false));
}

// The frames of a GIF as Pillow composes them.
Frames readFramesWithPillow(const std::string& file, int width, int height) {
    return readAllFrames(FrameReader(width, height, kPillowFrames + " " + quoted(file)));
}

// The flash meter's report on 320x240 frames at a frame rate, from the first.
FlashReport flashReportOf(const Frames& frames, double fps) {
    FlashMeter meter(fps);
    std::vector<uint32_t> pixels(320 * 240);
    for (size_t n = 0; n < frames.size(); ++n) {
        const uint8_t* rgb = frames[n].data();
        for (size_t i = 0; i < pixels.size(); ++i, rgb += 3)
            pixels[i] = (uint32_t(rgb[0]) << 16) | (uint32_t(rgb[1]) << 8) | rgb[2];
        meter.addFrame(n / fps, measureFrameLight(pixels.data()));
    }
    return meter.report();
}

// The frame tool's picture of a moment of the show, 320x240 RGB.
std::vector<uint8_t> frameToolPicture(const std::string& arguments) {
    const std::string png = "frame.png";
    const CommandResult made =
        run(kFrameTool + " --data " + quoted(dataDir()) + " " + arguments + " " + png);
    EXPECT_EQ(made.status, 0) << made.output;
    std::vector<uint8_t> picture;
    FrameReader(png, 320, 240, false).next(picture);
    return picture;
}

// Whether every scale x scale block of a decoded frame is one colour, the colour of its
// pixel in the 320x240 picture.
::testing::AssertionResult isUpscaled(const std::vector<uint8_t>& frame,
                                      const std::vector<uint8_t>& picture, int scale) {
    const int width = 320 * scale;
    for (int y = 0; y < 240 * scale; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int got = frame[(size_t(y) * width + x) * 3 + c];
                const int want = picture[(size_t(y / scale) * 320 + x / scale) * 3 + c];
                if (got != want) {
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") channel " << c << " is " << got
                           << ", the frame tool has " << want;
                }
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// One colour all over, and a near-black one.
bool isBlack(const std::vector<uint8_t>& frame) {
    for (size_t i = 0; i < frame.size(); ++i) {
        if (frame[i] != frame[i % 3] || frame[i] > 16) return false;
    }
    return true;
}

// Sound decoded by ffmpeg as mono 44.1 kHz floats; `trim` is an atrim filter's arguments.
std::vector<float> decodeSound(const std::string& file, const std::string& trim = "") {
    const std::string filter = trim.empty() ? "" : " -af atrim=" + trim;
    std::FILE* pipe = popen(("ffmpeg -v error -i " + quoted(file) + " -map 0:a:0" + filter +
                             " -ac 1 -ar 44100 -f f32le -")
                                .c_str(),
                            "r");
    std::vector<float> samples;
    if (!pipe) return samples;
    float buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, sizeof(float), 4096, pipe)) > 0)
        samples.insert(samples.end(), buffer, buffer + count);
    pclose(pipe);
    return samples;
}

double correlation(const std::vector<float>& a, const std::vector<float>& b) {
    const size_t n = std::min(a.size(), b.size());
    double meanA = 0, meanB = 0;
    for (size_t i = 0; i < n; ++i) meanA += a[i], meanB += b[i];
    meanA /= n, meanB /= n;
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += (a[i] - meanA) * (b[i] - meanB);
        aa += (a[i] - meanA) * (a[i] - meanA);
        bb += (b[i] - meanB) * (b[i] - meanB);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

std::string music() { return std::string(dataDir()) + "/demotuin.ogg"; }

// The files in the working directory.
std::vector<std::string> filesHere() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) names.push_back(entry.path().filename());
    return names;
}

}  // namespace

// Three seconds across the change from scene 1 to scene 2 (at 30 s), lossless and then
// compressed, with the frames, their count, their timing and the music checked.
TEST(Capture, FilesHoldTheShowsFramesAndMusicAcrossASceneChange) {
    TemporaryDirectory folder;
    const std::string span = "--scale 2 --from 28.5 --to 31.5 ";
    const CommandResult first = capture(span + "first.mkv");
    ASSERT_EQ(first.status, 0) << first.output;
    const CommandResult second = capture(span + "second.mkv");
    ASSERT_EQ(second.status, 0) << second.output;
    EXPECT_TRUE(readFileBytes("first.mkv") == readFileBytes("second.mkv"))
        << "two captures with the same arguments differ";

    EXPECT_EQ(probe("first.mkv", "v:0", "codec_name,width,height"), "h264,640,480");
    // A chapter for each scene, from its first frame (scene 2's is at 30.0167 s).
    EXPECT_EQ(chapters("first.mkv"),
              "0.000000,1.516667,1 Ring flight\n1.516667,3.000000,2 Deforming sphere\n");
    EXPECT_EQ(probe("first.mkv", "a:0", "codec_name,sample_rate"), "flac,44100");
    const std::vector<std::vector<uint8_t>> frames = readAllFrames("first.mkv", 640, 480);
    ASSERT_EQ(frames.size(), 180u) << "60 fps for 3 seconds";
    // Frame n shows the show at 28.5 + n / 60 s: scene 1's last frame, scene 2, and the
    // capture's last frame.
    const struct { int frame; const char* at; } moments[] = {{90, "30"}, {105, "30.25"},
                                                              {179, "31.4833333"}};
    for (const auto& moment : moments) {
        const std::vector<uint8_t> picture = frameToolPicture(std::string("--at ") + moment.at);
        EXPECT_TRUE(isUpscaled(frames[moment.frame], picture, 2)) << "at " << moment.at << " s";
    }

    // The middle second compressed, against the lossless frames of the same moments.
    const CommandResult compressed = capture("--scale 2 --from 29.5 --to 30.5 part.mp4");
    ASSERT_EQ(compressed.status, 0) << compressed.output;
    EXPECT_EQ(probe("part.mp4", "v:0", "codec_name,width,height,pix_fmt"), "h264,640,480,yuv420p");
    EXPECT_EQ(probe("part.mp4", "a:0", "codec_name"), "aac");
    EXPECT_EQ(chapters("part.mp4"),
              "0.000000,0.517000,1 Ring flight\n0.517000,1.000000,2 Deforming sphere\n");
    EXPECT_NEAR(probeSeconds("part.mp4", "v:0"), 1.0, 1.0 / 60);
    EXPECT_NEAR(probeSeconds("part.mp4", "a:0"), 1.0, 1.0 / 60);
    FrameReader reader("part.mp4", 640, 480, true);
    std::vector<uint8_t> frame;
    double squaredError = 0;
    size_t count = 0;
    for (; reader.next(frame); ++count) {
        ASSERT_LT(60 + count, frames.size());
        const std::vector<uint8_t>& exact = frames[60 + count];
        for (size_t i = 0; i < frame.size(); ++i) {
            const double d = double(frame[i]) - exact[i];
            squaredError += d * d;
        }
    }
    EXPECT_EQ(count, 60u);
    const double psnr = 10 * std::log10(255.0 * 255.0 / (squaredError / (count * frame.size())));
    EXPECT_GE(psnr, 40.0);

    const std::vector<float> recorded = decodeSound("part.mp4");
    const std::vector<float> original = decodeSound(music(), "start=29.5:end=30.5");
    EXPECT_NEAR(double(recorded.size()), 44100.0, 1024) << "AAC decodes whole 1024-sample frames";
    EXPECT_GT(correlation(recorded, original), 0.95);
}

// The reveal begins at 95 s, one frame or so late like every scene change: the capture
// opens on black, then shows scene 6's first frame, then its first blocks growing.
TEST(Capture, FromNinetyFiveTheRevealBeginsOnBlack) {
    TemporaryDirectory folder;
    const CommandResult made = capture("--scale 2 --fps 30 --from 95 --to 96 reveal.mkv");
    ASSERT_EQ(made.status, 0) << made.output;
    const std::vector<std::vector<uint8_t>> frames = readAllFrames("reveal.mkv", 640, 480);
    ASSERT_EQ(frames.size(), 30u);
    const std::vector<uint8_t> sceneStart = frameToolPicture("--fps 30 --scene 6 --time 0");
    size_t start = 0;
    while (start < frames.size() && !isUpscaled(frames[start], sceneStart, 2)) {
        EXPECT_TRUE(isBlack(frames[start])) << "frame " << start << " is not black";
        ++start;
    }
    // Each of the five scene changes before it comes up to one frame late.
    ASSERT_LE(start, 5u) << "scene 6 did not begin in the first frames";
    EXPECT_TRUE(isBlack(frames[start])) << "scene 6 begins with no block shown";
    // From there on every frame adds blocks to the last one: the picture's pixels only grow.
    size_t shown = 0;
    for (size_t n = start; n < frames.size(); ++n) {
        size_t differing = 0;
        for (size_t i = 0; i < frames[n].size(); i += 3)
            differing += !std::equal(&frames[n][i], &frames[n][i] + 3, &frames[start][i]);
        EXPECT_GE(differing, shown) << "frame " << n;
        shown = differing;
    }
    EXPECT_GT(shown, 0u);
    EXPECT_LT(shown, 640u * 480u / 2) << "less than a second in, most blocks are still black";
}

// --scene 6: the reveal alone, from its first frame to scene 7's, with its music, as one
// chapter.
TEST(Capture, TheSceneOptionCapturesThatSceneAloneWithItsMusic) {
    TemporaryDirectory folder;
    const CommandResult made = capture("--scale 1 --fps 10 --scene 6 reveal.mkv");
    ASSERT_EQ(made.status, 0) << made.output;
    // At 10 fps scene 6 begins on pass 955 and scene 7 on pass 1006: from black to the
    // whole picture.
    const std::vector<std::vector<uint8_t>> frames = readAllFrames("reveal.mkv", 320, 240);
    ASSERT_EQ(frames.size(), 51u);
    EXPECT_TRUE(isBlack(frames.front()));
    EXPECT_EQ(frames.back(), frameToolPicture("--fps 10 --scene 6 --time 4.95"));
    EXPECT_EQ(chapters("reveal.mkv"), "0.000000,5.100000,6 Reveal\n");
    const std::vector<float> recorded = decodeSound("reveal.mkv");
    EXPECT_NEAR(double(recorded.size()), 5.1 * 44100.0, 1);
    // (ffmpeg's atrim does not land on the sample this far into the music: cut it here.)
    const std::vector<float> whole = decodeSound(music());
    ASSERT_GT(whole.size(), size_t(100.6 * 44100));
    const std::vector<float> original(whole.begin() + 4211550, whole.begin() + 4436460);
    EXPECT_GT(correlation(recorded, original), 0.95);
}

// The web file: VP9 and Opus, whose 48 kHz sound stays in step with the 44.1 kHz music.
TEST(Capture, WebmHoldsVp9AndOpusInStepWithTheMusic) {
    TemporaryDirectory folder;
    const CommandResult made = capture("--scale 1 --from 40 --to 41 clip.webm");
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_EQ(probe("clip.webm", "v:0", "codec_name,width,height"), "vp9,320,240");
    EXPECT_EQ(probe("clip.webm", "a:0", "codec_name,sample_rate"), "opus,48000");
    const std::vector<float> recorded = decodeSound("clip.webm");
    EXPECT_NEAR(double(recorded.size()), 44100.0, 44100.0 / 50) << "Opus frames are 20 ms";
    EXPECT_EQ(chapters("clip.webm"), "0.000000,1.000000,2 Deforming sphere\n");
    EXPECT_GT(correlation(recorded, decodeSound(music(), "start=40:end=41")), 0.95);
}

// Without the music file the capture says so once and writes a silent video, by default
// at four times the frame's size.
TEST(Capture, WithoutTheMusicTheVideoIsSilent) {
    TemporaryDirectory folder;
    fs::create_directory("data");
    for (const auto& entry : fs::directory_iterator(dataDir())) {
        if (entry.path().filename() != "demotuin.ogg")
            fs::create_symlink(entry.path(), fs::path("data") / entry.path().filename());
    }
    const CommandResult made = capture("--to 0.25 quiet.mkv", "data");
    ASSERT_EQ(made.status, 0) << made.output;
    size_t mentions = 0;
    for (size_t at = made.output.find("demotuin.ogg"); at != std::string::npos;
         at = made.output.find("demotuin.ogg", at + 1))
        ++mentions;
    EXPECT_EQ(mentions, 1u) << made.output;
    EXPECT_EQ(probe("quiet.mkv", "v:0", "width,height"), "1280,960");
    EXPECT_EQ(probe("quiet.mkv", "a", "codec_name"), "") << "an audio track without music";
    EXPECT_EQ(readAllFrames("quiet.mkv", 1280, 960).size(), 15u);
}

// The end of scene 2's fade from white as a GIF (at its default 50 fps): the fade's frames
// each in a palette of their own, then the palette that stays. Pillow and ffmpeg each
// decode exactly the frames of the lossless capture, which are the frame tool's.
TEST(Capture, GifHoldsEveryFrameExactlyAcrossPaletteChanges) {
    TemporaryDirectory folder;
    const std::string span = "--scale 2 --from 33.5 --to 34.5 ";
    const CommandResult gif = capture(span + "fade.gif");
    ASSERT_EQ(gif.status, 0) << gif.output;
    const CommandResult exact = capture(span + "--fps 50 fade.mkv");
    ASSERT_EQ(exact.status, 0) << exact.output;
    EXPECT_EQ(probe("fade.gif", "v:0", "codec_name,width,height,r_frame_rate"),
              "gif,640,480,50/1");
    EXPECT_NEAR(probeSeconds("fade.gif", "v:0"), 1.0, 0.01);

    const Frames frames = readAllFrames("fade.mkv", 640, 480);
    ASSERT_EQ(frames.size(), 50u);
    EXPECT_TRUE(isUpscaled(frames[10], frameToolPicture("--fps 50 --at 33.7"), 2));
    const Frames byFfmpeg = readAllFrames("fade.gif", 640, 480);
    const Frames byPillow = readFramesWithPillow("fade.gif", 640, 480);
    ASSERT_EQ(byFfmpeg.size(), frames.size());
    ASSERT_EQ(byPillow.size(), frames.size());
    for (size_t n = 0; n < frames.size(); ++n) {
        EXPECT_TRUE(byFfmpeg[n] == frames[n]) << "ffmpeg's frame " << n;
        EXPECT_TRUE(byPillow[n] == frames[n]) << "Pillow's frame " << n;
    }
}

// Two stretches of the show in one file, one after the other, each with its own music.
TEST(Capture, SpansFollowOneAnotherInOneFile) {
    TemporaryDirectory folder;
    const CommandResult made = capture("--scale 1 --fps 30 --span 95.5-96 --span 100.5-101 two.mkv");
    ASSERT_EQ(made.status, 0) << made.output;
    const Frames frames = readAllFrames("two.mkv", 320, 240);
    ASSERT_EQ(frames.size(), 30u);
    EXPECT_TRUE(isUpscaled(frames[0], frameToolPicture("--fps 30 --at 95.5"), 1));
    EXPECT_TRUE(isUpscaled(frames[15], frameToolPicture("--fps 30 --at 100.5"), 1));

    // The music decoded whole, to cut it at exact samples.
    const std::vector<float> whole = decodeSound(music());
    ASSERT_GT(whole.size(), 101u * 44100);
    std::vector<float> original(whole.begin() + 95.5 * 44100, whole.begin() + 96 * 44100);
    original.insert(original.end(), whole.begin() + 100.5 * 44100, whole.begin() + 101 * 44100);
    const std::vector<float> recorded = decodeSound("two.mkv");
    EXPECT_EQ(recorded.size(), 44100u) << "FLAC keeps every sample";
    EXPECT_GT(correlation(recorded, original), 0.9999);
}

// Each preset makes what it promises: the picture's size, the codec and the frame rate; the
// archive's frames are exact, and the preview, the start of the show made gentle, passes
// the flash test that the show fails from 6.5 s.
TEST(Capture, PresetsMakeWhatTheyPromise) {
    TemporaryDirectory folder;
    CommandResult r = capture("--preset youtube --to 0.5 upload.mp4");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(probe("upload.mp4", "v:0", "codec_name,profile,width,height,pix_fmt,r_frame_rate"),
              "h264,High,1920,1440,yuv420p,60/1");
    EXPECT_EQ(probe("upload.mp4", "a:0", "codec_name"), "aac");

    r = capture("--preset archive --from 95 --to 95.5 archive.mkv");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(probe("archive.mkv", "v:0", "codec_name,width,height,r_frame_rate"),
              "ffv1,320,240,60/1");
    EXPECT_EQ(probe("archive.mkv", "a:0", "codec_name"), "flac");
    const Frames archived = readAllFrames("archive.mkv", 320, 240);
    ASSERT_EQ(archived.size(), 30u);
    EXPECT_TRUE(isUpscaled(archived[29], frameToolPicture("--at 95.4833333"), 1));

    r = capture("--preset preview preview.gif");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(probe("preview.gif", "v:0", "codec_name,width,height,r_frame_rate"),
              "gif,320,240,50/1");
    const Frames preview = readAllFrames("preview.gif", 320, 240);
    EXPECT_EQ(preview.size(), 500u) << "10 s at 50 fps";
    const FlashReport report = flashReportOf(preview, 50);
    EXPECT_TRUE(report.passes()) << report.failingFrames << " frames in failing spans";
}

// The README's preview plays by itself, over and over, at the top of the page: it is
// small, and played twice in a row (through the jump from its end to its start) it does
// not flash, not even enough to warn.
TEST(Capture, TheReadmePreviewIsSmallAndDoesNotFlash) {
    EXPECT_LT(fs::file_size(kPreview), 2000000u);
    EXPECT_EQ(probe(kPreview, "v:0", "codec_name,width,height"), "gif,320,240");
    const std::string rate = probe(kPreview, "v:0", "r_frame_rate");
    const double fps = std::atof(rate.c_str()) / std::atof(rate.c_str() + rate.find('/') + 1);
    Frames frames = readAllFrames(kPreview, 320, 240);
    ASSERT_GT(frames.size(), 100u);
    const size_t once = frames.size();
    for (size_t n = 0; n < once; ++n) frames.push_back(frames[n]);
    const FlashReport report = flashReportOf(frames, fps);
    EXPECT_TRUE(report.passes()) << report.failingFrames << " frames in failing spans";
    EXPECT_FALSE(report.warns()) << report.spans.size() << " spans warn";
}

// Bad requests end with the codes users can act on, and never leave a file behind.
TEST(Capture, RefusalsAndFailuresLeaveNoFile) {
    TemporaryDirectory folder;
    writeFileBytes("plain.txt", "not a folder");
    CommandResult r = capture("--to 0.1 plain.txt/show.mp4");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("plain.txt/show.mp4"), std::string::npos) << r.output;

    r = capture("--to 0.1 show.avi");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(".mp4, .mkv, .webm"), std::string::npos) << r.output;

    for (const char* bad :
         {"--scale 0", "--scale 9", "--fps 0", "--from -1", "--from 5 --to 4", "--span 5-4",
          "--span 5", "--span 1-3 --span 2-4", "--span 1-2 --from 3", "--to 3 --span 4-5",
          "--preset nope", "--preset preview", "--scene 10", "--scene 6 --from 3",
          "--scene 6 --span 1-2"}) {
        r = capture(std::string(bad) + " show.mp4");
        EXPECT_EQ(r.status, 2) << bad << ": " << r.output;
        EXPECT_NE(r.output.find("usage:"), std::string::npos) << bad;
    }
    // Two times a frame apart at most: both printed in full, not alike.
    r = capture("--from 86399.999 --to 86400 show.mp4");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("nothing to capture from 86399.999 s to 86400 s\n"), std::string::npos)
        << r.output;
    r = capture("--fps 60 --to 1 show.gif");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("25 or 50 frames a second"), std::string::npos) << r.output;

    // A data folder without the pictures: the demo's own error, and nothing written.
    fs::create_directory("empty");
    r = capture("--to 0.1 show.mp4", "empty");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("Error loading file"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("name its folder with --data DIR"), std::string::npos) << r.output;
    // Nothing about the music, before the data set is known to be usable.
    EXPECT_EQ(r.output.find("music"), std::string::npos) << r.output;

    for (const std::string& name : filesHere())
        EXPECT_TRUE(name == "empty" || name == "plain.txt") << "left behind: " << name;
}

// Ctrl-C in the middle of encoding: the capture ends by that signal and no file remains.
TEST(Capture, InterruptedCaptureLeavesNoFile) {
    TemporaryDirectory folder;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string data = dataDir();
        execl(kCapture.c_str(), kCapture.c_str(), "--data", data.c_str(), "long.mp4",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the encoding has begun: the temporary file holds the video's header.
    bool encoding = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!encoding && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (const std::string& name : filesHere()) {
            std::error_code error;
            if (fs::file_size(name, error) > 0 && !error) encoding = true;
        }
    }
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(encoding) << "the capture never began writing";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
    EXPECT_TRUE(filesHere().empty()) << "left behind: " << filesHere().front();
}

// A capture started in a child process, `prepare` run there just before it; its status.
template <typename Prepare>
int captureInChild(const std::vector<std::string>& arguments, Prepare prepare) {
    const pid_t child = fork();
    if (child == 0) {
        prepare();
        const std::string data = dataDir();
        std::vector<const char*> argv = {kCapture.c_str(), "--data", data.c_str()};
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        argv.push_back(nullptr);
        execv(kCapture.c_str(), const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

// No ending leaves the partial file: a timer's or the user's signal ends the capture by
// that signal with nothing written; a closed pipe on standard error only stops the
// progress (the capture finishes); a file size limit is the "File too large" error.
TEST(Capture, NoSignalLeavesAPartialFile) {
    TemporaryDirectory folder;
    const std::vector<std::string> wholeShow = {"--scale", "1", "long.mp4"};
    int status = captureInChild(wholeShow, [] { alarm(2); });  // alarm() outlives exec
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "status " << status;
    EXPECT_TRUE(filesHere().empty()) << "left behind: " << filesHere().front();

    status = captureInChild(wholeShow, [] {
        // A grandchild sends SIGUSR1 a little later, as another program would.
        if (fork() == 0) {
            sleep(2);
            kill(getppid(), SIGUSR1);
            _exit(0);
        }
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGUSR1) << "status " << status;
    EXPECT_TRUE(filesHere().empty()) << "left behind: " << filesHere().front();

    // "playing the show up to 1 s" goes at once to a pipe that nobody reads.
    status = captureInChild({"--scale", "1", "--from", "1", "--to", "1.5", "piped.mp4"}, [] {
        int ends[2];
        if (pipe(ends) != 0) _exit(126);
        close(ends[0]);
        dup2(ends[1], 2);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_GT(probeSeconds("piped.mp4", "v:0"), 0.4);

    CommandResult r = run("ulimit -f 64; " + kCapture + " --data " + quoted(dataDir()) +
                          " --scale 1 --to 30 big.mp4");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("cannot write big.mp4: File too large"), std::string::npos) << r.output;
    for (const std::string& name : filesHere())
        EXPECT_EQ(name, "piped.mp4") << "left behind: " << name;
}
