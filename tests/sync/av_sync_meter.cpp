// Measures how far the picture is from the sound it is heard with.
//   av_sync_meter record RAW TIMES < stream
//     copies a recording (16-bit mono at 44.1 kHz, from parec) to RAW and writes, for each
//     block read, the monotonic second it arrived and the samples read so far to TIMES.
//   av_sync_meter measure MUSIC.ogg RAW TIMES TIMING_LOG [DELAY_MS]
//     finds, at points across the recording, the music's place by cross-correlation with
//     the music file, and compares it with the show time on screen then (the demo's
//     timing log). DELAY_MS plays the recording that much later: a copy whose offset is
//     known, to check the method. Prints each point and a summary line:
//       summary points N median MS p95 MS drift MS span S
//     (offset = picture minus sound: positive when the picture is ahead).
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kDecimation = 4;  // correlate at 11025 Hz: fine enough, four times quicker
constexpr double kRateLow = double(kRate) / kDecimation;
constexpr double kWindowSeconds = 0.25;   // the recording's piece sought in the music
constexpr double kSearchSeconds = 0.25;   // around the show time on screen, either way
constexpr double kProbeStep = 0.5;
constexpr double kSettleSeconds = 0.6;    // no point this near a jump of the picture
constexpr double kMinCorrelation = 0.8;
constexpr double kSteadySeconds = 0.03;  // the picture's clock off the monotonic one

double monotonicNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int record(const char* rawName, const char* timesName) {
    std::FILE* raw = std::fopen(rawName, "wb");
    std::FILE* times = std::fopen(timesName, "w");
    if (!raw || !times) return std::perror("av_sync_meter"), 1;
    char block[1024];
    long long bytes = 0;
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, stdin)) > 0) {
        const double now = monotonicNow();
        std::fwrite(block, 1, n, raw);
        bytes += n;
        std::fprintf(times, "%.6f %lld\n", now, bytes / 2);
    }
    return std::fclose(raw) == 0 && std::fclose(times) == 0 ? 0 : 1;
}

// Mono, averaged down to kRateLow.
std::vector<float> decimate(const std::vector<float>& samples) {
    std::vector<float> low(samples.size() / kDecimation);
    for (size_t i = 0; i < low.size(); ++i) {
        float sum = 0.0f;
        for (int k = 0; k < kDecimation; ++k) sum += samples[i * kDecimation + k];
        low[i] = sum / kDecimation;
    }
    return low;
}

bool readMusic(const char* name, std::vector<float>& out) {
    OggVorbis_File file;
    if (ov_fopen(name, &file) != 0) return false;
    const vorbis_info* info = ov_info(&file, -1);
    if (info->rate != kRate) return ov_clear(&file), false;
    std::vector<float> mono;
    for (;;) {
        float** pcm;
        int section;
        const long n = ov_read_float(&file, &pcm, 4096, &section);
        if (n <= 0) break;
        for (long i = 0; i < n; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < info->channels; ++c) sum += pcm[c][i];
            mono.push_back(sum / info->channels);
        }
    }
    ov_clear(&file);
    out = decimate(mono);
    return true;
}

std::vector<float> readRecording(const char* name, double delaySeconds) {
    std::vector<float> samples(size_t(std::lround(delaySeconds * kRate)), 0.0f);
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return {};
    int16_t block[4096];
    size_t n;
    while ((n = std::fread(block, 2, 4096, file)) > 0)
        for (size_t i = 0; i < n; ++i) samples.push_back(block[i] / 32768.0f);
    std::fclose(file);
    return decimate(samples);
}

// The monotonic second of the recording's first sample: a block arrives no sooner than
// its last sample was recorded, so the earliest arrival less its length bounds it best.
double recordingStart(const char* timesName) {
    std::FILE* file = std::fopen(timesName, "r");
    if (!file) return NAN;
    double at, best = INFINITY;
    long long samples;
    while (std::fscanf(file, "%lf %lld", &at, &samples) == 2)
        best = std::min(best, at - double(samples) / kRate);
    std::fclose(file);
    return best;
}

struct Frame {
    double at, show;
};

std::vector<Frame> readFrames(const char* name) {
    std::vector<Frame> frames;
    std::FILE* file = std::fopen(name, "r");
    if (!file) return frames;
    char line[256], kind[16];
    Frame f;
    while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, "%15s %lf %lf", kind, &f.at, &f.show) == 3 &&
            std::string(kind) == "frame")
            frames.push_back(f);
    std::fclose(file);
    return frames;
}

// The show time on screen at a moment: the latest frame presented by then.
const Frame* frameAt(const std::vector<Frame>& frames, double at) {
    auto it = std::upper_bound(frames.begin(), frames.end(), at,
                               [](double t, const Frame& f) { return t < f.at; });
    return it == frames.begin() ? nullptr : &*(it - 1);
}

// True when the picture ran on with the clock from `from` to `to`: no pause, no seek, and
// no catching up with the music after one.
bool steady(const std::vector<Frame>& frames, double from, double to) {
    const Frame* a = frameAt(frames, from);
    if (!a) return false;
    for (const Frame* f = a + 1; f <= &frames.back() && f->at <= to; ++f)
        if (std::fabs((f->show - a->show) - (f->at - a->at)) > kSteadySeconds) return false;
    return true;
}

double correlation(const float* a, const float* b, size_t n) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

// The music's second that best matches the recording's piece, searched around `guess`;
// NAN when nothing matches well.
double findInMusic(const std::vector<float>& music, const float* piece, size_t n, double guess,
                   double* best) {
    const long from = std::max(0L, long((guess - kSearchSeconds) * kRateLow));
    const long to = std::min(long(music.size()) - long(n) - 1, long((guess + kSearchSeconds) * kRateLow));
    if (to <= from + 2) return NAN;
    std::vector<double> c(size_t(to - from + 1));
    for (long lag = from; lag <= to; ++lag) c[size_t(lag - from)] = correlation(piece, &music[size_t(lag)], n);
    const size_t i = size_t(std::max_element(c.begin(), c.end()) - c.begin());
    *best = c[i];
    if (c[i] < kMinCorrelation || i == 0 || i + 1 == c.size()) return NAN;
    // A parabola through the peak and its neighbours for the sub-sample place.
    const double d = c[i - 1] - 2 * c[i] + c[i + 1];
    const double shift = d != 0 ? 0.5 * (c[i - 1] - c[i + 1]) / d : 0.0;
    return (from + double(i) + shift) / kRateLow;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t i = size_t(std::lround(p * double(values.size() - 1)));
    return values[i];
}

int measure(int argc, char** argv) {
    std::vector<float> music;
    if (!readMusic(argv[2], music)) return std::fprintf(stderr, "cannot read %s at 44.1 kHz\n", argv[2]), 1;
    const double delay = argc > 6 ? std::atof(argv[6]) / 1000.0 : 0.0;
    const std::vector<float> rec = readRecording(argv[3], delay);
    const double start = recordingStart(argv[4]);
    const std::vector<Frame> frames = readFrames(argv[5]);
    if (rec.empty() || !std::isfinite(start) || frames.empty())
        return std::fprintf(stderr, "cannot read the recording or the timing log\n"), 1;
    const size_t n = size_t(kWindowSeconds * kRateLow);
    std::vector<double> offsets, ats;
    for (double r = 0.0; (r + kWindowSeconds) * kRateLow < rec.size(); r += kProbeStep) {
        const double at = start + r;  // when the piece's first sample was heard
        if (!steady(frames, at - kSettleSeconds, at + kWindowSeconds + kSettleSeconds)) continue;
        const Frame* f = frameAt(frames, at);
        double best = 0.0;
        const double heard = findInMusic(music, &rec[size_t(r * kRateLow)], n, f->show, &best);
        if (std::isnan(heard)) continue;
        const double offset = (f->show - heard) * 1000.0;
        std::printf("point %.3f show %.4f heard %.4f offset %.2f ms r %.3f\n", at - frames[0].at,
                    f->show, heard, offset, best);
        offsets.push_back(offset);
        ats.push_back(at);
    }
    if (offsets.size() < 4) return std::printf("summary points %zu\n", offsets.size()), 0;
    // Drift: the last quarter's median against the first's.
    const size_t q = offsets.size() / 4;
    const std::vector<double> first(offsets.begin(), offsets.begin() + long(q));
    const std::vector<double> last(offsets.end() - long(q), offsets.end());
    std::vector<double> sizes;
    for (double o : offsets) sizes.push_back(std::fabs(o));
    std::printf("summary points %zu median %.2f p95 %.2f drift %.2f span %.1f\n", offsets.size(),
                percentile(offsets, 0.5), percentile(sizes, 0.95),
                percentile(last, 0.5) - percentile(first, 0.5), ats.back() - ats.front());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "record" && argc == 4) return record(argv[2], argv[3]);
    if (mode == "measure" && (argc == 6 || argc == 7)) return measure(argc, argv);
    std::fputs("usage: av_sync_meter record RAW TIMES < stream\n"
               "       av_sync_meter measure MUSIC.ogg RAW TIMES TIMING_LOG [DELAY_MS]\n", stderr);
    return 2;
}
