// The soundtrack as the demo plays it: rendered and encoded once, then decoded by
// libvorbisfile (an independent decoder) and measured against the show's timeline.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "music/soundtrack.h"
#include "scenes/scene_table.h"
#include "test_support.h"

namespace {

struct DecodedAudio {
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;
    double seconds() const { return rate > 0 ? double(left.size()) / rate : 0.0; }
};

DecodedAudio decodeOggFile(const std::string& path) {
    DecodedAudio audio;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return audio;
    const vorbis_info* info = ov_info(&file, -1);
    audio.rate = info->rate;
    audio.channels = info->channels;
    float** pcm = nullptr;
    int section = 0;
    long count;
    while ((count = ov_read_float(&file, &pcm, 4096, &section)) > 0) {
        audio.left.insert(audio.left.end(), pcm[0], pcm[0] + count);
        audio.right.insert(audio.right.end(), pcm[audio.channels > 1 ? 1 : 0],
                           pcm[audio.channels > 1 ? 1 : 0] + count);
    }
    ov_clear(&file);
    return audio;
}

DecodedAudio decodeBytes(const std::vector<uint8_t>& bytes) {
    TemporaryDirectory scratch;
    writeFileBytes("music.ogg", std::string(bytes.begin(), bytes.end()));
    return decodeOggFile("music.ogg");
}

double decibels(double power) { return 10.0 * std::log10(power + 1e-30); }

// Mean power of both channels over [from, to) seconds.
double levelDb(const DecodedAudio& audio, double from, double to) {
    const size_t begin = size_t(from * audio.rate), end = size_t(to * audio.rate);
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i)
        sum += audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i];
    return decibels(sum / (2.0 * double(end - begin)));
}

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2.0 * M_PI / double(length));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w = 1.0;
            for (size_t j = 0; j < length / 2; ++j, w *= turn) {
                const std::complex<double> u = a[i + j], v = a[i + j + length / 2] * w;
                a[i + j] = u + v;
                a[i + j + length / 2] = u - v;
            }
        }
    }
}

// The power in eight octave bands from 62.5 Hz to 16 kHz over [from, to) seconds,
// averaged over half-overlapping Hann-windowed frames, in dB.
constexpr int kBands = 8;
std::vector<double> octaveBandsDb(const DecodedAudio& audio, double from, double to) {
    constexpr size_t kFrame = 4096;
    std::vector<double> power(kBands, 0.0);
    const size_t begin = size_t(from * audio.rate), end = size_t(to * audio.rate);
    for (size_t start = begin; start + kFrame <= end; start += kFrame / 2) {
        std::vector<std::complex<double>> frame(kFrame);
        for (size_t i = 0; i < kFrame; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / kFrame);
            frame[i] = hann * 0.5 * (audio.left[start + i] + audio.right[start + i]);
        }
        fft(frame);
        for (size_t k = 1; k < kFrame / 2; ++k) {
            const double hz = double(k) * audio.rate / kFrame;
            const int band = int(std::floor(std::log2(hz / 62.5)));
            if (band >= 0 && band < kBands) power[band] += std::norm(frame[k]);
        }
    }
    for (double& p : power) p = decibels(p);
    return power;
}

std::string generatedFile() {
    return readFileBytes(std::string(dataDir()) + "/demotuin.ogg");
}

std::vector<uint8_t> renderAndEncode() {
    return encodeOggVorbis(renderSoundtrack(), kSoundtrackQuality);
}

// The track the build generated into the data folder, decoded once for all tests; when
// there is none, the track is rendered here. (Each test may run in a process of its own,
// so only one of them renders: the one that compares the two.)
class Soundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string generated = generatedFile();
        audio_ = new DecodedAudio(decodeBytes(
            generated.empty() ? renderAndEncode()
                              : std::vector<uint8_t>(generated.begin(), generated.end())));
    }
    static void TearDownTestSuite() { delete audio_; }
    static const DecodedAudio& audio() { return *audio_; }

    static DecodedAudio* audio_;
};
DecodedAudio* Soundtrack::audio_ = nullptr;

TEST_F(Soundtrack, IsStereoAt44100HzAndAboutThreeMinutes) {
    EXPECT_EQ(audio().rate, 44100);
    EXPECT_EQ(audio().channels, 2);
    EXPECT_GE(audio().seconds(), 150.0);
    EXPECT_LE(audio().seconds(), 240.0);
}

TEST_F(Soundtrack, PeaksStayHalfADecibelBelowFullScale) {
    float peak = 0.0f;
    for (size_t i = 0; i < audio().left.size(); ++i)
        peak = std::fmax(peak, std::fmax(std::fabs(audio().left[i]), std::fabs(audio().right[i])));
    EXPECT_LT(20.0 * std::log10(peak), -0.5);
    EXPECT_GT(20.0 * std::log10(peak), -6.0);  // and it is not timidly quiet either
}

TEST_F(Soundtrack, IsNeverSilentBeforeTheLastScene) {
    ASSERT_GE(audio().seconds(), 150.0);
    for (int window = 0; window < 150; window += 10)
        EXPECT_GT(levelDb(audio(), window, window + 10), -30.0) << "from " << window << " s";
}

TEST_F(Soundtrack, FadesOutRatherThanStopping) {
    const double end = audio().seconds();
    ASSERT_GT(end, 20.0);
    EXPECT_LT(levelDb(audio(), end - 0.5, end), -60.0);
    // The level falls step by step over the last quarter minute, not all at once.
    double previous = levelDb(audio(), end - 20.0, end - 15.0);
    for (double from = end - 15.0; from < end - 5.0; from += 5.0) {
        const double level = levelDb(audio(), from, from + 5.0);
        EXPECT_LT(level, previous) << from;
        EXPECT_GT(level, previous - 25.0) << from;
        previous = level;
    }
}

// At each scene change the second after sounds measurably different from the second
// before: some octave band moves by 6 dB or more, or the whole level by 3 dB.
TEST_F(Soundtrack, ChangesWhereTheShowChangesScene) {
    for (int row = 1; row < kSceneCount; ++row) {
        const double change = showTimeOfRow(row);
        const std::vector<double> before = octaveBandsDb(audio(), change - 1.0, change);
        const std::vector<double> after = octaveBandsDb(audio(), change, change + 1.0);
        double largestBandChange = 0.0;
        for (int band = 0; band < kBands; ++band)
            largestBandChange = std::fmax(largestBandChange, std::fabs(after[band] - before[band]));
        const double levelChange = std::fabs(levelDb(audio(), change, change + 1.0) -
                                             levelDb(audio(), change - 1.0, change));
        EXPECT_TRUE(largestBandChange >= 6.0 || levelChange >= 3.0)
            << "at " << change << " s: bands " << largestBandChange << " dB, level "
            << levelChange << " dB";
    }
}

// The build writes the data folder with the generator; it must hold exactly what the
// renderer makes here, in another process: the output is deterministic.
TEST(SoundtrackFile, IsExactlyWhatTheRendererMakes) {
    const std::string generated = generatedFile();
    if (generated.empty()) GTEST_SKIP() << "no generated data folder";
    const std::vector<uint8_t> rendered = renderAndEncode();
    EXPECT_TRUE(generated == std::string(rendered.begin(), rendered.end()));
}

// ---- The encoder on its own ----

std::vector<float> twoTones(double seconds) {
    const size_t frames = size_t(seconds * 44100);
    std::vector<float> samples(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        samples[2 * i] = 0.5f * float(std::sin(2.0 * M_PI * 440.0 * double(i) / 44100.0));
        samples[2 * i + 1] = 0.5f * float(std::sin(2.0 * M_PI * 660.0 * double(i) / 44100.0));
    }
    return samples;
}

// The correlation of a channel with a sine of the given frequency, as an amplitude.
double amplitudeAt(const std::vector<float>& channel, double hz) {
    double re = 0.0, im = 0.0;
    for (size_t i = 0; i < channel.size(); ++i) {
        const double phase = 2.0 * M_PI * hz * double(i) / 44100.0;
        re += channel[i] * std::cos(phase);
        im += channel[i] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / double(channel.size());
}

TEST(OggVorbisEncoder, KeepsEveryFrameAndEachChannelInItsPlace) {
    const std::vector<float> samples = twoTones(2.5);
    const DecodedAudio audio = decodeBytes(encodeOggVorbis(samples, kSoundtrackQuality));
    EXPECT_EQ(audio.rate, 44100);
    ASSERT_EQ(audio.channels, 2);
    ASSERT_EQ(audio.left.size(), samples.size() / 2);
    EXPECT_NEAR(amplitudeAt(audio.left, 440.0), 0.5, 0.02);
    EXPECT_NEAR(amplitudeAt(audio.right, 660.0), 0.5, 0.02);
    EXPECT_LT(amplitudeAt(audio.left, 660.0), 0.01);
    EXPECT_LT(amplitudeAt(audio.right, 440.0), 0.01);
}

TEST(OggVorbisEncoder, TheSameSamplesGiveTheSameBytes) {
    const std::vector<float> samples = twoTones(1.0);
    const std::vector<uint8_t> first = encodeOggVorbis(samples, 0.5f);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, encodeOggVorbis(samples, 0.5f));
}

TEST(OggVorbisEncoder, HandlesSilenceAndEmptyInput) {
    const DecodedAudio silence = decodeBytes(encodeOggVorbis(std::vector<float>(2000, 0.0f), 0.5f));
    EXPECT_EQ(silence.channels, 2);
    EXPECT_EQ(silence.left.size(), 1000u);
    const DecodedAudio empty = decodeBytes(encodeOggVorbis({}, 0.5f));
    EXPECT_EQ(empty.channels, 2);
    EXPECT_TRUE(empty.left.empty());
}

TEST(OggVorbisEncoder, RefusesAQualityOutOfRange) {
    EXPECT_TRUE(encodeOggVorbis(twoTones(0.1), 5.0f).empty());
    EXPECT_TRUE(encodeOggVorbis(twoTones(0.1), -1.0f).empty());
    EXPECT_TRUE(encodeOggVorbis(twoTones(0.1), std::nanf("")).empty());
}

}  // namespace
