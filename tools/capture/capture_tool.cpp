// dorminax-capture: plays the demo's real start-up and timeline headless, with a simulated
// clock at a fixed frame rate, and encodes every frame that would be on screen, in the
// palette in force, into a video file with the show's music or into an animated GIF.
// The show plays on this thread while another encodes the frame before.
#include <sys/stat.h>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "assets/data_file.h"
#include "core/command_line.h"
#include "core/display.h"
#include "frame_queue.h"
#include "gif_file.h"
#include "interruption.h"
#include "music_reader.h"
#include "partial_file.h"
#include "platform/data_path.h"
#include "presets.h"
#include "progress_meter.h"
#include "scenes/scene_table.h"
#include "show/show_passes.h"
#include "show/simulated_show.h"
#include "video_file.h"
#include "video_formats.h"

namespace {

constexpr const char* kProgram = "dorminax-capture";
constexpr double kLongestShowSeconds = 86400.0;
constexpr int kDefaultScale = 4;
// Frames played ahead of the encoder: enough to ride out the encoder's uneven frames.
constexpr int kQueuedFrames = 4;

// A stretch of the show in seconds.
struct Span {
    double from;
    double to;  // negative: the end of the show
};

struct Options {
    std::string dataDir = ".";
    std::string output;
    const VideoFormat* format = nullptr;
    const Preset* preset = nullptr;
    int scale = 0;  // 0: the preset's, else kDefaultScale
    int fps = 0;    // 0: the preset's, else the format's
    double from = 0.0;
    double to = -1.0;         // negative: the end of the show, or the preset's length
    std::vector<Span> spans;  // --span: several stretches in one file, instead
    int scene = 0;            // 1..9: that scene alone, instead of the span or the spans
    bool gentle = false;
};

std::string usageText() {
    return std::string(
               "usage: dorminax-capture [--preset NAME] [--data DIR] [--scale N] [--fps N]\n"
               "                        [--from T] [--to T] | [--span T1-T2]... | [--scene N]\n"
               "                        [--gentle] OUT\n"
               "  OUT          the file; its extension sets what it holds:\n") +
           describeVideoFormats() +
           "  --preset NAME ready-made settings (OUT takes the preset's extension; the\n"
           "               options given beside it override them):\n" +
           describePresets() +
           "               for the whole show: youtube 1.2 GB, archive 550 MB; a preview\n"
           "               up to 21 MB for its 10 s\n"
           "  --scale N    each pixel becomes an N x N block, 1 to 8 (default 4: 1280x960)\n"
           "  --fps N      frames per second, 1 to 240 (default 60); a .gif plays exactly\n"
           "               at " + gifFrameRates() + " (default 50)\n"
           "  --from T     start T seconds into the show (default 0)\n"
           "  --to T       end T seconds into the show (default: where the music ends)\n"
           "  --span T1-T2 the show from T1 to T2 seconds; given again, later stretches\n"
           "               follow in the same file\n"
           "  --scene N    scene N alone, 1 to 9, with its music\n"
           "  --gentle     the gentle show, its flashes softened\n"
           "  --data DIR   the data set (default: the working directory)\n";
}

// "--span 12.5-16": a stretch of the show, after any given before it.
Span spanFrom(CommandLine& line, const std::vector<Span>& before) {
    const std::string value = line.text();
    const char* text = value.c_str();
    char* end = nullptr;
    Span span{std::strtod(text, &end), -1.0};
    const bool dash = end != text && *end == '-';
    if (dash) {
        const char* rest = end + 1;
        span.to = std::strtod(rest, &end);
        if (end == rest) span.to = -1.0;
    }
    if (!dash || *end != '\0' || !(span.from >= 0.0) || !(span.to > span.from) ||
        span.to > kLongestShowSeconds) {
        line.refuse("option '--span' takes two times in seconds, the first before the second "
                    "(12.5-16), not '" + value + "'");
    }
    if (!before.empty() && span.from < before.back().to)
        line.refuse("the spans must follow one another in the show's order: '" + value +
                    "' begins before the one before it ends");
    return span;
}

// The preset's settings where no option gave one, then the format's.
void settleOptions(CommandLine& line, Options& o) {
    if (const Preset* p = o.preset) {
        if (std::strcmp(o.format->extension, p->format->extension) != 0) {
            line.refuse(std::string("the ") + p->name + " preset writes a " +
                        p->format->extension + " file, not '" + o.output + "'");
        }
        o.format = p->format;
        if (o.scale == 0) o.scale = p->scale;
        if (o.fps == 0) o.fps = p->fps;
        o.gentle = o.gentle || p->gentle;
        if (p->seconds > 0 && o.to < 0 && o.spans.empty() && o.scene == 0)
            o.to = o.from + p->seconds;
    }
    if (o.scale == 0) o.scale = kDefaultScale;
    if (o.fps == 0) o.fps = o.format->defaultFps;
    if (o.format->isGif() && !isGifFrameRate(o.fps)) {
        line.refuse("a .gif plays exactly at " + gifFrameRates() + " frames a second, not " +
                    std::to_string(o.fps) + " (its delays are whole hundredths of a second)");
    }
}

// The three ways to say what to capture: --from with --to, --span (again and again), or
// --scene; they do not mix.
std::string rangeKind(const std::string& option) {
    return option == "--to" ? "--from" : option;
}

Options parseOptions(CommandLine& line) {
    Options o;
    std::string rangeOption;  // the first of --from/--to, --span and --scene, which do not mix
    while (line.next()) {
        if (line.is("--from") || line.is("--to") || line.is("--span") || line.is("--scene")) {
            if (!rangeOption.empty() && rangeKind(rangeOption) != rangeKind(line.argument()))
                line.refuseConflict(rangeOption);
            if (rangeOption.empty()) rangeOption = line.argument();
        }
        if (line.is("--data")) {
            o.dataDir = line.text();
        } else if (line.is("--scale")) {
            o.scale = line.integer(1, 8);
        } else if (line.is("--fps")) {
            o.fps = line.integer(1, 240);
        } else if (line.is("--from") || line.is("--to")) {
            double& time = line.is("--from") ? o.from : o.to;
            time = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--span")) {
            o.spans.push_back(spanFrom(line, o.spans));
        } else if (line.is("--scene")) {
            o.scene = line.integer(1, kSceneCount);
        } else if (line.is("--preset")) {
            const std::string name = line.text();
            o.preset = presetNamed(name);
            if (!o.preset)
                line.refuse("option '--preset' takes " + presetNames() + ", not '" + name + "'");
        } else if (line.is("--gentle")) {
            o.gentle = true;
        } else if (line.is("--help")) {
            line.help();
        } else if (line.is("--version")) {
            line.version();
        } else if (line.isOperand() && o.output.empty()) {
            o.output = line.argument();
        } else {
            line.refuseArgument();
        }
    }
    if (o.output.empty()) line.refuse("no output file named");
    o.format = videoFormatFor(o.output);
    if (!o.format) {
        line.refuse("cannot tell what to write to '" + o.output +
                    "': the supported extensions are " + supportedExtensions());
    }
    settleOptions(line, o);
    line.requireWritable(o.output);
    return o;
}

// The first pass of the show at or after a moment: pass n runs at n / fps seconds. (The
// tolerance keeps 0.1 s at 60 fps on pass 6, whatever the rounding of 0.1 x 60.)
long passAt(double seconds, int fps) {
    return static_cast<long>(std::ceil(seconds * fps - 1e-6));
}

// The sample frame of the music at the start of pass n.
int64_t sampleAtPass(long pass, int fps, int sampleRate) {
    return int64_t(pass) * sampleRate / fps;
}

std::string durationText(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

int reportWriteFailure(const Options& o, const std::string& error) {
    discardPartialFile();
    std::fprintf(stderr, "%s: cannot write %s: %s\n", kProgram, o.output.c_str(), error.c_str());
    return 1;
}

// A stretch of the show in passes: the first, and one past the last.
struct PassSpan {
    long first;
    long end;
};

// What one capture needs besides its options: its spans and the music.
struct Capture {
    std::vector<PassSpan> spans;
    MusicReader music;
    bool withSound = false;  // the music goes into the file
    long frames() const {
        long count = 0;
        for (const PassSpan& span : spans) count += span.end - span.first;
        return count;
    }
};

// A chapter for each scene each span shows, named as the show names it ("6 Reveal"), from
// the scene's first frame (or the span's), in frames of the file.
std::vector<VideoChapter> sceneChapters(const Capture& capture, int fps) {
    std::vector<VideoChapter> chapters;
    long offset = 0;  // the span's first frame in the file
    for (const PassSpan& span : capture.spans) {
        for (int scene = 1; scene <= kSceneCount; ++scene) {
            const int row = rowOfScene(scene);
            const long first = firstPassOfRow(row, fps);
            const long next = row + 1 < kSceneCount ? firstPassOfRow(row + 1, fps) : -1;
            const long end = next < 0 ? span.end : std::min(next, span.end);
            const long start = std::max(first, span.first);
            if (first < 0 || start >= end) continue;
            chapters.push_back({offset + start - span.first, offset + end - span.first,
                                std::to_string(scene) + " " + sceneName(scene)});
        }
        offset += span.end - span.first;
    }
    return chapters;
}

VideoFileSettings settingsFor(const Options& o, const Capture& capture) {
    VideoFileSettings settings;
    settings.chapters = sceneChapters(capture, o.fps);
    settings.scale = o.scale;
    settings.fps = o.fps;
    if (capture.withSound) {
        settings.audioSampleRate = capture.music.sampleRate();
        settings.audioChannels = capture.music.channels();
    }
    return settings;
}

// The file of the output's kind, opened; null with the reason in `error`.
std::unique_ptr<CaptureFile> openFile(const Options& o, const Capture& capture,
                                      const std::string& path, std::string& error) {
    if (o.format->isGif()) {
        auto gif = std::make_unique<GifFile>();
        if (gif->open(path, o.scale, o.fps)) return gif;
        error = gif->error();
    } else {
        auto video = std::make_unique<VideoFile>();
        if (video->open(path, *o.format, settingsFor(o, capture))) return video;
        error = video->error();
    }
    return nullptr;
}

// The encoding thread: every frame handed over, with its sound, into the file. False on
// an encoding error or an interruption, after which the show's side gets no more slots.
bool encodeQueuedFrames(FrameQueue& queue, CaptureFile& file) {
    while (QueuedFrame* frame = queue.next()) {
        const bool written = !interruption &&
                             file.writeVideoFrame(frame->indices, frame->palette) &&
                             file.writeAudio(frame->samples.data(), frame->sampleFrames);
        queue.release();
        if (!written) {
            queue.abandon();
            return false;
        }
    }
    return true;
}

// The show's thread: plays every pass, and hands each pass of the spans to the encoder
// with the music up to the next pass, so that the two stay interleaved.
void playSpans(const Options& o, Capture& capture, SimulatedShow& show, FrameQueue& queue,
               ProgressMeter& progress) {
    MusicReader& music = capture.music;
    long handedOver = 0;
    for (const PassSpan& span : capture.spans) {
        while (show.framesRun() < span.first && !interruption) show.step();
        if (capture.withSound) music.seek(sampleAtPass(span.first, o.fps, music.sampleRate()));
        for (long pass = span.first; pass < span.end && !interruption; ++pass) {
            show.step();  // drawn while the encoder works on the frames before
            QueuedFrame* frame = queue.claim();
            if (!frame) return;  // the encoder has stopped
            std::memcpy(frame->indices, frameOnScreen(), kFrameSize);
            frame->palette = paletteOnScreen();
            frame->sampleFrames = 0;
            if (capture.withSound) {
                const int rate = music.sampleRate();
                frame->sampleFrames = static_cast<int>(sampleAtPass(pass + 1, o.fps, rate) -
                                                       sampleAtPass(pass, o.fps, rate));
                music.read(frame->samples.data(), frame->sampleFrames);
            }
            queue.publish();
            progress.update(++handedOver);
        }
    }
}

// Plays and encodes the spans' frames, the encoder on a thread of its own. False on an
// encoding error or an interruption.
bool encodeSpans(const Options& o, Capture& capture, SimulatedShow& show, CaptureFile& file,
                 ProgressMeter& progress) {
    const int channels = capture.withSound ? capture.music.channels() : 0;
    const size_t samplesPerFrame =
        capture.withSound ? size_t(capture.music.sampleRate() / o.fps + 1) * channels : 0;
    FrameQueue queue(kQueuedFrames, samplesPerFrame);
    bool encoded = false;
    std::thread encoder([&] { encoded = encodeQueuedFrames(queue, file); });
    playSpans(o, capture, show, queue, progress);
    queue.close();
    encoder.join();
    return encoded && !interruption && file.finish();
}

void reportDone(const Options& o, long frames, double seconds) {
    struct stat status {};
    stat(o.output.c_str(), &status);
    std::fprintf(stderr, "%s: wrote %s: %ld frames (%s) in %s, %.2fx real time, %.1f MB\n",
                 kProgram, o.output.c_str(), frames, durationText(double(frames) / o.fps).c_str(),
                 durationText(seconds).c_str(), double(frames) / o.fps / seconds,
                 status.st_size / 1e6);
}

int captureShow(const Options& o, Capture& capture, const std::string& partialPath) {
    SimulatedShow show(o.fps);
    DemoOptions demo;
    demo.mode = DemoOptions::Mode::FullScreen;
    demo.dataFolder = o.dataDir;
    demo.gentle = o.gentle;
    if (!show.start(demo)) return 1;
    // Only now, with the data set known to be usable, is a missing music worth a word.
    if (!capture.music.isOpen() && o.format->audioEncoder) {
        std::fprintf(stderr, "%s: cannot read the music %s; the video has no audio track\n",
                     kProgram, hostPath(kMusicName).c_str());
    }
    const long firstPass = capture.spans.front().first;
    if (firstPass > 0) {
        std::fprintf(stderr, "%s: playing the show up to %g s\n", kProgram,
                     double(firstPass) / o.fps);
    }
    while (show.framesRun() < firstPass && !interruption) show.step();
    if (interruption) endInterrupted(kProgram);

    std::string error;
    const std::unique_ptr<CaptureFile> file = openFile(o, capture, partialPath, error);
    if (!file) return reportWriteFailure(o, error);
    const long frames = capture.frames();
    ProgressMeter progress(frames, o.fps);
    const bool written = encodeSpans(o, capture, show, *file, progress);
    progress.finish();
    if (interruption) endInterrupted(kProgram);
    if (!written) return reportWriteFailure(o, file->error());
    show.finish();

    if (!completePartialFile(o.output, error)) return reportWriteFailure(o, error);
    if (capture.withSound && capture.music.damaged()) {
        std::fprintf(stderr, "%s: demotuin.ogg could not be decoded to its end; the rest of "
                     "the soundtrack is silent\n", kProgram);
    }
    reportDone(o, frames, progress.elapsedSeconds());
    return 0;
}

// Scene N from its first frame to the next scene's (the last: to the show's end), or the
// preset's length of it.
PassSpan sceneSpan(const Options& o, double showEnd) {
    const int row = rowOfScene(o.scene);
    PassSpan span{firstPassOfRow(row, o.fps), passAt(showEnd, o.fps)};
    if (row + 1 < kSceneCount) span.end = firstPassOfRow(row + 1, o.fps);
    if (o.preset && o.preset->seconds > 0)
        span.end = std::min(span.end, span.first + passAt(o.preset->seconds, o.fps));
    return span;
}

// A time as the user typed it: the fewest digits that give that very number back, so
// that two different times never print alike ("86399.99 s to 86400 s").
std::string secondsText(double seconds) {
    char text[64];  // times are at most a day: 5 digits, the point and up to 17 decimals
    for (int decimals = 0; decimals <= 17; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
        if (std::strtod(text, nullptr) == seconds) break;
    }
    return text;
}

// The spans in passes, each at least one; refused when one holds none.
std::vector<PassSpan> passSpans(const CommandLine& line, const Options& o, double showEnd) {
    if (o.scene > 0) return {sceneSpan(o, showEnd)};
    std::vector<Span> spans = o.spans;
    if (spans.empty()) spans.push_back({o.from, o.to});
    std::vector<PassSpan> passes;
    for (const Span& span : spans) {
        const double to = span.to >= 0.0 ? span.to : showEnd;
        const PassSpan inPasses{passAt(span.from, o.fps), passAt(to, o.fps)};
        if (inPasses.end <= inPasses.first) {
            line.refuse("nothing to capture from " + secondsText(span.from) + " s to " +
                        secondsText(to) + " s" + (span.to >= 0.0 ? "" : " (the end of the show)"));
        }
        passes.push_back(inPasses);
    }
    return passes;
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);  // the encoders' own reports are not the user's business
    const std::string usage = usageText();
    CommandLine line(argc, argv, kProgram, usage.c_str());
    const Options o = parseOptions(line);

    struct stat folder {};
    if (stat(o.dataDir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
        std::fprintf(stderr, "%s: no data folder %s\n", kProgram, o.dataDir.c_str());
        return 1;
    }
    Capture capture;
    setDataFolder(o.dataDir);
    // Opening a FIFO would wait for ever: only a regular file is read.
    std::string whyNot;
    if (std::FILE* file = openDataFile(kMusicName, &whyNot)) {
        std::fclose(file);
        capture.music.open(hostPath(kMusicName));
    } else if (whyNot != "missing") {
        failDataFile("Error loading file", kMusicName, whyNot);
    }
    // The show's length, or the music's when that is longer (music cut short ends in
    // silence, the show going on).
    const double showEnd =
        std::max(capture.music.isOpen() ? capture.music.seconds() : 0.0, kShowSeconds);
    capture.spans = passSpans(line, o, showEnd);
    capture.withSound = capture.music.isOpen() && o.format->audioEncoder;

    catchInterruptions();  // before the partial file exists, so that no signal leaves it
    std::string error;
    const std::string partialPath = createPartialFile(o.output, error);
    if (partialPath.empty()) return reportWriteFailure(o, error);
    if (interruption) endInterrupted(kProgram);
    return captureShow(o, capture, partialPath);
}
