// dorminax-capture: plays the demo's real start-up and timeline headless, with a simulated
// clock at a fixed frame rate, and encodes every frame that would be on screen, in the
// palette in force, into a video file with the show's music.
#include <sys/stat.h>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "core/command_line.h"
#include "core/display.h"
#include "demo/show_passes.h"
#include "demo/simulated_show.h"
#include "music_reader.h"
#include "partial_file.h"
#include "platform/data_path.h"
#include "progress_meter.h"
#include "scaled_frame.h"
#include "scenes/scene_table.h"
#include "video_file.h"
#include "video_formats.h"

namespace {

constexpr const char* kProgram = "dorminax-capture";
constexpr const char* kMusicName = "demotuin.ogg";
constexpr double kLongestShowSeconds = 86400.0;
// Without the music there is no end to the show to go by: the last scene, which runs
// until the viewer leaves, then plays for a minute.
constexpr double kLastSceneWithoutMusic = 60.0;

struct Options {
    std::string dataDir = ".";
    std::string output;
    const VideoFormat* format = nullptr;
    int scale = 4;
    int fps = 60;
    double from = 0.0;
    double to = -1.0;  // negative: the end of the show
    int scene = 0;     // 1..9: that scene alone; 0: the span of --from and --to
    bool gentle = false;
};

std::string usageText() {
    return std::string(
               "usage: dorminax-capture [--data DIR] [--scale N] [--fps N]\n"
               "                        [--from T] [--to T] | [--scene N] [--gentle] OUT\n"
               "  OUT          the video file; its extension sets what it holds:\n") +
           describeVideoFormats() +
           "  --scale N    each pixel becomes an N x N block, 1 to 8 (default 4: 1280x960)\n"
           "  --fps N      frames per second, 1 to 240 (default 60)\n"
           "  --from T     start T seconds into the show (default 0)\n"
           "  --to T       end T seconds into the show (default: where the music ends)\n"
           "  --scene N    scene N alone, 1 to 9, with its music\n"
           "  --gentle     the gentle show, its flashes softened\n"
           "  --data DIR   the data set (default: the working directory)\n";
}

Options parseOptions(CommandLine& line) {
    Options o;
    std::string spanOption;  // --from or --to, or --scene: the span is one or the other
    while (line.next()) {
        if (line.is("--from") || line.is("--to") || line.is("--scene")) {
            const bool scene = line.is("--scene");
            if (!spanOption.empty() && (spanOption == "--scene") != scene)
                line.refuseConflict(spanOption);
            if (spanOption.empty() || scene) spanOption = line.argument();
        }
        if (line.is("--data")) {
            o.dataDir = line.text();
        } else if (line.is("--scale")) {
            o.scale = line.integer(1, 8);
        } else if (line.is("--fps")) {
            o.fps = line.integer(1, 240);
        } else if (line.is("--from")) {
            o.from = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--to")) {
            o.to = line.number(0.0, kLongestShowSeconds);
        } else if (line.is("--scene")) {
            o.scene = line.integer(1, kSceneCount);
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

volatile std::sig_atomic_t interruption = 0;

extern "C" void onInterrupt(int signal) { interruption = signal; }

void catchInterruptions() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, onInterrupt);
}

// Ctrl-C (or a polite kill): no file is left, then the process ends by that signal, as
// the shell expects of an interrupted program.
[[noreturn]] void endInterrupted() {
    discardPartialFile();
    std::fprintf(stderr, "%s: interrupted; nothing written\n", kProgram);
    std::signal(interruption, SIG_DFL);
    std::raise(interruption);
    std::_Exit(128 + interruption);
}

int reportWriteFailure(const Options& o, const std::string& error) {
    discardPartialFile();
    std::fprintf(stderr, "%s: cannot write %s: %s\n", kProgram, o.output.c_str(), error.c_str());
    return 1;
}

// What one capture needs besides its options: the span in passes and the music.
struct Capture {
    long firstPass = 0;
    long endPass = 0;  // one past the last
    MusicReader music;
};

// A chapter for each scene the span shows, named as the show names it ("6 Reveal"),
// from the scene's first frame (or the span's).
std::vector<VideoChapter> sceneChapters(const Capture& capture, int fps) {
    std::vector<VideoChapter> chapters;
    for (int scene = 1; scene <= kSceneCount; ++scene) {
        const int row = rowOfScene(scene);
        const long first = firstPassOfRow(row, fps);
        const long next = row + 1 < kSceneCount ? firstPassOfRow(row + 1, fps) : -1;
        const long end = next < 0 ? capture.endPass : std::min(next, capture.endPass);
        const long start = std::max(first, capture.firstPass);
        if (first < 0 || start >= end) continue;
        chapters.push_back({start - capture.firstPass, end - capture.firstPass,
                            std::to_string(scene) + " " + sceneName(scene)});
    }
    return chapters;
}

VideoFileSettings settingsFor(const Options& o, const Capture& capture) {
    const MusicReader& music = capture.music;
    VideoFileSettings settings;
    settings.chapters = sceneChapters(capture, o.fps);
    settings.width = kFrameWidth * o.scale;
    settings.height = kFrameHeight * o.scale;
    settings.fps = o.fps;
    if (music.isOpen()) {
        settings.audioSampleRate = music.sampleRate();
        settings.audioChannels = music.channels();
    }
    return settings;
}

// Plays and encodes the span's frames, each followed by the music up to the next one so
// that the two stay interleaved. False on an encoding error or an interruption.
bool encodeSpan(const Options& o, Capture& capture, SimulatedShow& show, VideoFile& file,
                ProgressMeter& progress) {
    MusicReader& music = capture.music;
    const int64_t firstSample = sampleAtPass(capture.firstPass, o.fps, music.sampleRate());
    music.seek(firstSample);
    int64_t samplesWritten = 0;
    std::vector<float> samples;
    std::vector<uint32_t> pixels;
    const long frames = capture.endPass - capture.firstPass;
    for (long frame = 0; frame < frames && !interruption; ++frame) {
        show.step();
        drawScaledFrame(frameOnScreen(), paletteOnScreen(), o.scale, pixels);
        if (!file.writeVideoFrame(pixels.data())) return false;
        if (music.isOpen()) {
            const int64_t upTo =
                sampleAtPass(show.framesRun(), o.fps, music.sampleRate()) - firstSample;
            const int count = static_cast<int>(upTo - samplesWritten);
            samples.resize(size_t(count) * music.channels());
            music.read(samples.data(), count);
            if (!file.writeAudio(samples.data(), count)) return false;
            samplesWritten = upTo;
        }
        progress.update(frame + 1);
    }
    return !interruption && file.finish();
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
    if (!capture.music.isOpen()) {
        std::fprintf(stderr, "%s: cannot read the music %s; the video has no audio track\n",
                     kProgram, hostPath(kMusicName).c_str());
    }
    if (capture.firstPass > 0)
        std::fprintf(stderr, "%s: playing the show up to %g s\n", kProgram,
                     double(capture.firstPass) / o.fps);
    while (show.framesRun() < capture.firstPass && !interruption) show.step();
    if (interruption) endInterrupted();

    VideoFile file;
    if (!file.open(partialPath, *o.format, settingsFor(o, capture)))
        return reportWriteFailure(o, file.error());
    const long frames = capture.endPass - capture.firstPass;
    ProgressMeter progress(frames, o.fps);
    const bool written = encodeSpan(o, capture, show, file, progress);
    progress.finish();
    if (interruption) endInterrupted();
    if (!written) return reportWriteFailure(o, file.error());
    show.finish();

    std::string error;
    if (!completePartialFile(o.output, error)) return reportWriteFailure(o, error);
    if (capture.music.damaged()) {
        std::fprintf(stderr, "%s: demotuin.ogg could not be decoded to its end; the rest of "
                     "the soundtrack is silent\n", kProgram);
    }
    reportDone(o, frames, progress.elapsedSeconds());
    return 0;
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
    const double showEnd =
        capture.music.isOpen() ? capture.music.seconds()
                               : showTimeOfRow(kSceneCount - 1) + kLastSceneWithoutMusic;
    const double to = o.to >= 0.0 ? o.to : showEnd;
    capture.firstPass = passAt(o.from, o.fps);
    capture.endPass = passAt(to, o.fps);
    if (o.scene > 0) {
        // From the scene's first frame to the next scene's (the last: to the show's end).
        const int row = rowOfScene(o.scene);
        capture.firstPass = firstPassOfRow(row, o.fps);
        if (row + 1 < kSceneCount) capture.endPass = firstPassOfRow(row + 1, o.fps);
    }
    if (capture.endPass <= capture.firstPass) {
        char fault[160];
        std::snprintf(fault, sizeof fault, "nothing to capture from %g s to %g s%s", o.from, to,
                      o.to >= 0.0 ? "" : " (the end of the show)");
        line.refuse(fault);
    }

    std::string error;
    const std::string partialPath = createPartialFile(o.output, error);
    if (partialPath.empty()) return reportWriteFailure(o, error);
    catchInterruptions();
    return captureShow(o, capture, partialPath);
}
