// The synthesizer's parts: oscillators, envelopes, the filter, the limiter, the pattern
// notation, the instruments and the mixer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "music/dsp.h"
#include "music/effects.h"
#include "music/instruments.h"
#include "music/mixer.h"
#include "music/notation.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The power of one frequency in a stretch of signal: a single DFT bin by the Goertzel
// recurrence, through a Hann window so that nearby frequencies do not leak in.
double powerAt(const std::vector<float>& signal, int from, int count, double hz) {
    const double w = 2.0 * M_PI * hz / kSampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (int i = from; i < from + count; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * (i - from) / count);
        const double s0 = hann * signal[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / (double(count) * count);
}

std::vector<float> sineSamples(float hz, int count, float amplitude = 1.0f) {
    std::vector<float> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = amplitude * std::sin(2.0f * kPi * hz * static_cast<float>(i) / kSampleRateF);
    return samples;
}

// The peak of a filter's steady-state output for a sine input.
float filteredPeak(float cutoff, float resonance, float hz) {
    ResonantFilter filter;
    filter.setCutoff(cutoff, resonance);
    const std::vector<float> input = sineSamples(hz, kSampleRate);
    float peak = 0.0f;
    for (int i = 0; i < kSampleRate; ++i) {
        const float out = filter.lowPass(input[i]);
        if (i > kSampleRate / 2) peak = std::fmax(peak, std::fabs(out));
    }
    return peak;
}

// ---- Oscillators and noise ----

TEST(Oscillators, RunAtTheirFrequencyWithoutDrift) {
    Oscillator osc;
    osc.setFrequency(440.0f);
    int cycles = 0;
    for (int i = 0; i < kSampleRate; ++i) {
        const float before = osc.phase;
        osc.advance();
        if (osc.phase < before) ++cycles;
    }
    EXPECT_NEAR(cycles, 440, 1);
}

TEST(Oscillators, WaveformsStayInRangeAndCentred) {
    Oscillator osc;
    osc.setFrequency(1234.5f);
    double sawSum = 0.0, pulseSum = 0.0;
    const int count = kSampleRate;
    for (int i = 0; i < count; ++i) {
        const float saw = sawWave(osc);
        const float pulse = pulseWave(osc, 0.25f);
        const float sine = sineWave(osc);
        ASSERT_LE(std::fabs(saw), 1.1f);
        ASSERT_LE(std::fabs(pulse), 1.1f);
        ASSERT_LE(std::fabs(sine), 1.0f);
        sawSum += saw;
        pulseSum += pulse;
        osc.advance();
    }
    EXPECT_NEAR(sawSum / count, 0.0, 0.01);
    EXPECT_NEAR(pulseSum / count, -0.5, 0.01);  // high a quarter of the time: mean 2w - 1
}

TEST(Oscillators, ClampImpossibleFrequencies) {
    Oscillator osc;
    for (float hz : {kNaN, -100.0f, kInfinity, 1.0e9f}) {
        osc.setFrequency(hz);
        EXPECT_GE(osc.increment, 0.0f) << hz;
        EXPECT_LE(osc.increment, 0.45f) << hz;
        for (int i = 0; i < 100; ++i) osc.advance();
        EXPECT_TRUE(std::isfinite(sawWave(osc))) << hz;
        EXPECT_TRUE(osc.phase >= 0.0f && osc.phase < 1.0f) << hz;
    }
}

TEST(Oscillators, NoiseIsRepeatableAndCentred) {
    Noise a(1234), b(1234), c(99);
    double sum = 0.0;
    int differences = 0;
    for (int i = 0; i < 100000; ++i) {
        const float x = a.next();
        ASSERT_EQ(x, b.next());
        ASSERT_GE(x, -1.0f);
        ASSERT_LT(x, 1.0f);
        if (x != c.next()) ++differences;
        sum += x;
    }
    EXPECT_NEAR(sum / 100000, 0.0, 0.01);
    EXPECT_GT(differences, 99000);
    Noise zero(0);  // a zero seed would stick at zero forever
    EXPECT_NE(zero.next(), zero.next());
}

// ---- Envelopes ----

// Runs an envelope until it leaves `stage`; returns the samples it took.
int samplesInStage(Envelope& envelope, Envelope::Stage stage, int limit = 10 * kSampleRate) {
    int count = 0;
    while (envelope.stage() == stage && count < limit) {
        const float level = envelope.next();
        EXPECT_GE(level, 0.0f);
        EXPECT_LE(level, 1.0f);
        ++count;
    }
    return count;
}

TEST(Envelopes, ReachEachLevelInTheTimeGiven) {
    Envelope envelope(0.01f, 0.1f, 0.4f, 0.5f);
    envelope.noteOn();
    EXPECT_NEAR(samplesInStage(envelope, Envelope::Stage::Attack), 441, 1);
    EXPECT_EQ(envelope.level(), 1.0f);
    EXPECT_NEAR(samplesInStage(envelope, Envelope::Stage::Decay), 4410, 2);
    EXPECT_EQ(envelope.stage(), Envelope::Stage::Sustain);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(envelope.next(), 0.4f);
    envelope.noteOff();
    // Release times are from full level; from 0.4 the fall is shorter, but it ends.
    const int release = samplesInStage(envelope, Envelope::Stage::Release);
    EXPECT_GT(release, 0);
    EXPECT_LE(release, 22050 + 2);
    EXPECT_EQ(envelope.stage(), Envelope::Stage::Idle);
    EXPECT_EQ(envelope.level(), 0.0f);
}

TEST(Envelopes, DecayAndReleaseFallMonotonically) {
    Envelope envelope(0.001f, 0.2f, 0.0f, 0.2f);
    envelope.noteOn();
    samplesInStage(envelope, Envelope::Stage::Attack);
    float previous = envelope.level();
    while (envelope.stage() == Envelope::Stage::Decay) {
        const float level = envelope.next();
        ASSERT_LE(level, previous);
        previous = level;
    }
    EXPECT_EQ(envelope.level(), 0.0f);
}

TEST(Envelopes, ZeroAndInvalidTimesStillArrive) {
    for (float time : {0.0f, -1.0f, kNaN}) {
        Envelope envelope(time, time, 0.5f, time);
        envelope.noteOn();
        EXPECT_EQ(envelope.next(), 1.0f) << time;
        EXPECT_LE(samplesInStage(envelope, Envelope::Stage::Decay), 2) << time;
        EXPECT_EQ(envelope.level(), 0.5f) << time;
        envelope.noteOff();
        EXPECT_LE(samplesInStage(envelope, Envelope::Stage::Release), 2) << time;
        EXPECT_EQ(envelope.level(), 0.0f) << time;
    }
}

TEST(Envelopes, RetriggerRisesFromTheCurrentLevel) {
    Envelope envelope(0.01f, 0.01f, 0.8f, 1.0f);
    envelope.noteOn();
    for (int i = 0; i < 2000; ++i) envelope.next();
    envelope.noteOff();
    for (int i = 0; i < 5000; ++i) envelope.next();
    const float before = envelope.level();
    ASSERT_GT(before, 0.0f);
    envelope.noteOn();
    const float after = envelope.next();
    EXPECT_GT(after, before);
    EXPECT_LT(after - before, 0.01f);  // no click
}

TEST(Envelopes, NoteOffBeforeTheAttackEndsReleasesFromThere) {
    Envelope envelope(0.1f, 0.1f, 0.5f, 0.1f);
    envelope.noteOn();
    for (int i = 0; i < 100; ++i) envelope.next();
    const float level = envelope.level();
    envelope.noteOff();
    EXPECT_LT(envelope.next(), level);
}

// ---- The resonant filter ----

TEST(ResonantFilter, StaysFiniteAcrossEveryCutoffAndResonance) {
    const float cutoffs[] = {kNaN, -kInfinity, -100.0f, 0.0f, 1.0f, 20.0f, 200.0f, 2000.0f,
                             10000.0f, 19845.0f, 22049.0f, 22050.0f, 40000.0f, kInfinity};
    const float resonances[] = {kNaN, -1.0f, 0.0f, 0.5f, 0.9f, 0.99f, 1.0f, 5.0f, kInfinity};
    for (float cutoff : cutoffs) {
        for (float resonance : resonances) {
            ResonantFilter filter;
            filter.setCutoff(cutoff, resonance);
            Noise noise(7);
            float peak = 0.0f;
            for (int i = 0; i < kSampleRate / 2; ++i) {
                const float input = i % 1000 == 0 ? 1.0f : noise.next();  // noise and clicks
                const ResonantFilter::Outputs out = filter.process(input);
                peak = std::fmax(peak, std::fabs(out.lowPass));
                ASSERT_TRUE(std::isfinite(out.lowPass) && std::isfinite(out.bandPass) &&
                            std::isfinite(out.highPass))
                    << "cutoff " << cutoff << " resonance " << resonance << " sample " << i;
            }
            EXPECT_LT(peak, 60.0f) << "cutoff " << cutoff << " resonance " << resonance;
        }
    }
}

TEST(ResonantFilter, StaysFiniteWhileSweptAtFullResonance) {
    ResonantFilter filter;
    Noise noise(3);
    float peak = 0.0f;
    for (int i = 0; i < 4 * kSampleRate; ++i) {
        if (i % 32 == 0) {
            // Up and down the whole range, twice a second, as the instruments move it.
            const float position = std::fabs(std::sin(static_cast<float>(i) * 1.0e-4f));
            filter.setCutoff(10.0f * std::exp2(11.0f * position), 1.0f);
        }
        const float out = filter.lowPass(noise.next());
        ASSERT_TRUE(std::isfinite(out)) << i;
        peak = std::fmax(peak, std::fabs(out));
    }
    EXPECT_LT(peak, 60.0f);
}

TEST(ResonantFilter, PassesLowsAndCutsHighs) {
    EXPECT_NEAR(filteredPeak(1000.0f, 0.0f, 125.0f), 1.0f, 0.05f);
    // Two poles: 12 dB per octave, so three octaves up is at least 30 dB down.
    EXPECT_LT(filteredPeak(1000.0f, 0.0f, 8000.0f), 0.032f);
    // Resonance lifts the cutoff frequency: damping 2 gives 0.5 there, at the top ~25.
    EXPECT_NEAR(filteredPeak(1000.0f, 0.0f, 1000.0f), 0.5f, 0.05f);
    const float ringing = filteredPeak(1000.0f, 1.0f, 1000.0f);
    EXPECT_GT(ringing, 10.0f);
    EXPECT_LT(ringing, 30.0f);
}

TEST(ResonantFilter, SettlesToTheInputForASteadyLevel) {
    ResonantFilter filter;
    filter.setCutoff(500.0f, 0.8f);
    float out = 0.0f;
    for (int i = 0; i < kSampleRate; ++i) out = filter.lowPass(0.75f);
    EXPECT_NEAR(out, 0.75f, 1e-4f);
}

// ---- Limiter and effects ----

TEST(Limiter, NeverPassesTheCeiling) {
    Limiter limiter(0.75f, 0.65f, kMasterCeiling, 0.15f);
    Noise noise(11);
    for (int i = 0; i < 2 * kSampleRate; ++i) {
        const float loudness = i % 5000 < 100 ? 1.0e6f : 20.0f * (i % 7 == 0 ? 1.0f : 0.1f);
        StereoSample in{noise.next() * loudness, noise.next() * loudness};
        if (i == 777) in = {kInfinity, -kInfinity};
        if (i == 888) in = {kNaN, 0.5f};
        const StereoSample out = limiter.process(in);
        ASSERT_TRUE(std::isfinite(out.left) && std::isfinite(out.right)) << i;
        ASSERT_LE(std::fabs(out.left), kMasterCeiling) << i;
        ASSERT_LE(std::fabs(out.right), kMasterCeiling) << i;
    }
}

TEST(Limiter, LeavesQuietSoundAloneAndRecoversAfterAPeak) {
    Limiter limiter(0.75f, 0.65f, kMasterCeiling, 0.15f);
    const StereoSample quiet = limiter.process({0.3f, -0.6f});
    EXPECT_EQ(quiet.left, 0.3f);
    EXPECT_EQ(quiet.right, -0.6f);
    const StereoSample loud = limiter.process({3.0f, 0.0f});
    EXPECT_LE(loud.left, 0.75f);
    EXPECT_GT(loud.left, 0.6f);
    const StereoSample during = limiter.process({0.3f, 0.0f});
    EXPECT_LT(during.left, 0.1f);  // gain is still down right after the peak
    StereoSample later{};
    for (int i = 0; i < kSampleRate / 2; ++i) later = limiter.process({0.3f, 0.0f});
    EXPECT_NEAR(later.left, 0.3f, 0.001f);
}

TEST(Effects, DelayEchoesBounceAndFade) {
    PingPongDelay delay(0.01f, 0.5f, 20000.0f);  // 441 samples
    std::vector<StereoSample> out;
    for (int i = 0; i < 2000; ++i) out.push_back(delay.process(i == 0 ? 1.0f : 0.0f));
    EXPECT_GT(out[441].left, 0.9f);  // first echo left
    EXPECT_NEAR(out[441].right, 0.0f, 1e-6f);
    EXPECT_GT(out[882].right, 0.2f);  // then right, quieter
    EXPECT_LT(out[882].right, 0.5f);
    EXPECT_NEAR(out[882].left, 0.0f, 0.05f);
}

TEST(Effects, ReverbTailIsFiniteAndDiesAway) {
    Reverb reverb(0.8f, 0.35f);
    double early = 0.0, late = 0.0;
    for (int i = 0; i < 10 * kSampleRate; ++i) {
        const StereoSample out = reverb.process(i < 100 ? 1.0f : 0.0f);
        ASSERT_TRUE(std::isfinite(out.left) && std::isfinite(out.right));
        const double energy = out.left * out.left + out.right * out.right;
        if (i < kSampleRate / 2) early += energy;
        if (i >= 9 * kSampleRate) late += energy;
    }
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 1e-6);
}

// ---- Pattern notation ----

TEST(Notation, ReadsNoteNames) {
    int note = 0;
    EXPECT_TRUE(parseNoteName("C4", note));
    EXPECT_EQ(note, 60);
    EXPECT_TRUE(parseNoteName("A4", note));
    EXPECT_EQ(note, 69);
    EXPECT_TRUE(parseNoteName("Eb5", note));
    EXPECT_EQ(note, 75);
    EXPECT_TRUE(parseNoteName("F#3", note));
    EXPECT_EQ(note, 54);
    EXPECT_TRUE(parseNoteName("Cb4", note));
    EXPECT_EQ(note, 59);
    for (const char* bad : {"H4", "C", "c4", "C44", "Eb", "4", ""})
        EXPECT_FALSE(parseNoteName(bad, note)) << bad;
}

TEST(Notation, LinesHoldRestAndCountFromTheBase) {
    Track track;
    addLine(track, 10.0, 100.0, "C4 - - . | 7 - -5 .", 0.5f, 48);
    ASSERT_EQ(track.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(track.notes[0].start, 10.0);
    EXPECT_FLOAT_EQ(track.notes[0].length, 3 * kStepSeconds);
    EXPECT_EQ(track.notes[0].pitch, 60.0f);
    EXPECT_DOUBLE_EQ(track.notes[1].start, 10.0 + 4 * kStepSeconds);  // "|" takes no time
    EXPECT_FLOAT_EQ(track.notes[1].length, 2 * kStepSeconds);
    EXPECT_EQ(track.notes[1].pitch, 55.0f);
    EXPECT_EQ(track.notes[2].pitch, 43.0f);
    EXPECT_EQ(track.notes[2].velocity, 0.5f);
}

TEST(Notation, NothingSoundsPastTheEnd) {
    Track track;
    addLine(track, 0.0, 3 * kStepSeconds, "C4 . D4 - - - E4", 1.0f);
    ASSERT_EQ(track.notes.size(), 2u);
    EXPECT_FLOAT_EQ(track.notes[1].length, kStepSeconds);  // cut at the end
    Track drums;
    addHits(drums, 1.0, 1.0 + 4 * kStepSeconds, "X.x. o|..X xxxx");
    ASSERT_EQ(drums.notes.size(), 2u);
    EXPECT_EQ(drums.notes[0].velocity, 1.0f);
    EXPECT_EQ(drums.notes[1].velocity, 0.7f);
    EXPECT_DOUBLE_EQ(drums.notes[1].start, 1.0 + 2 * kStepSeconds);
}

// ---- Instruments ----

constexpr Instrument kAllInstruments[] = {
    Instrument::Pad,   Instrument::Bass,      Instrument::Pluck,   Instrument::Lead,
    Instrument::Bell,  Instrument::Kick,      Instrument::Snare,   Instrument::ClosedHat,
    Instrument::OpenHat, Instrument::Crash,   Instrument::Riser};

TEST(Instruments, EveryOneSoundsFiniteAndBounded) {
    for (Instrument instrument : kAllInstruments) {
        StereoBuffer buffer(3 * kSampleRate);
        renderNote(instrument, {0.1, 1.0f, 57.0f, 1.0f}, Curve(1.0f), 5, buffer);
        double energy = 0.0;
        for (int i = 0; i < buffer.frames(); ++i) {
            ASSERT_TRUE(std::isfinite(buffer.left[i]) && std::isfinite(buffer.right[i]));
            ASSERT_LT(std::fabs(buffer.left[i]), 2.0f);
            ASSERT_LT(std::fabs(buffer.right[i]), 2.0f);
            energy += buffer.left[i] * buffer.left[i];
        }
        EXPECT_GT(energy, 1.0) << static_cast<int>(instrument);
        for (int i = 0; i < 4410; ++i) ASSERT_EQ(buffer.left[i], 0.0f);  // nothing early
    }
}

TEST(Instruments, NotesAtTheEdgesStayInsideTheBuffer) {
    for (Instrument instrument : kAllInstruments) {
        StereoBuffer buffer(1000);
        renderNote(instrument, {-0.5, 1.0f, 60.0f, 1.0f}, Curve(0.5f), 1, buffer);
        renderNote(instrument, {1.0, 1.0f, 60.0f, 1.0f}, Curve(0.5f), 1, buffer);
        for (float sample : buffer.left) ASSERT_EQ(sample, 0.0f);
        renderNote(instrument, {990.0 / kSampleRate, 5.0f, 60.0f, 1.0f}, Curve(0.5f), 1,
                   buffer);  // runs past the end: cut off there
        for (int i = 0; i < 990; ++i) ASSERT_EQ(buffer.left[i], 0.0f);
    }
}

TEST(Instruments, PitchedOnesPlayTheirNote) {
    for (Instrument instrument : {Instrument::Pad, Instrument::Bass, Instrument::Pluck,
                                  Instrument::Lead, Instrument::Bell}) {
        StereoBuffer buffer(2 * kSampleRate);
        const float note = instrument == Instrument::Bass ? 45.0f : 69.0f;  // A2 or A4
        renderNote(instrument, {0.0, 1.0f, note, 1.0f}, Curve(0.6f), 2, buffer);
        const double hz = noteFrequency(note);
        const int window = kSampleRate * 4 / 5;
        const int from = instrument == Instrument::Pad ? kSampleRate / 2 : 500;
        const double at = powerAt(buffer.left, from, window, hz);
        EXPECT_GT(at, 20.0 * powerAt(buffer.left, from, window, hz * 1.0595)) << int(instrument);
        EXPECT_GT(at, 20.0 * powerAt(buffer.left, from, window, hz / 1.0595)) << int(instrument);
    }
}

TEST(Instruments, TheKickIsLowAndTheHatsAreHigh) {
    StereoBuffer kick(kSampleRate), hat(kSampleRate);
    renderNote(Instrument::Kick, {0.0, 0.1f, 60.0f, 1.0f}, Curve(), 1, kick);
    renderNote(Instrument::ClosedHat, {0.0, 0.1f, 60.0f, 1.0f}, Curve(), 1, hat);
    const int window = 4410;
    EXPECT_GT(powerAt(kick.left, 0, window, 60.0), 100.0 * powerAt(kick.left, 0, window, 5000.0));
    EXPECT_GT(powerAt(hat.left, 0, window, 10000.0), 100.0 * powerAt(hat.left, 0, window, 100.0));
}

// ---- The mixer ----

Song songOf(std::vector<Track> tracks, float seconds) {
    Song song;
    song.seconds = seconds;
    song.tracks = std::move(tracks);
    return song;
}

TEST(Mixer, RendersTheSongsLengthInStereo) {
    const std::vector<float> silence = renderSong(songOf({}, 1.5f));
    ASSERT_EQ(silence.size(), 2u * 66150u);
    for (float sample : silence) ASSERT_EQ(sample, 0.0f);
}

TEST(Mixer, PansAndFades) {
    Track left;
    left.instrument = Instrument::Pad;
    left.pan = -1.0f;
    left.notes.push_back({0.0, 2.0f, 60.0f, 1.0f});
    left.level = Curve{{1.0f, 1.0f}, {1.5f, 0.0f}};  // ramps over 64-sample blocks
    const std::vector<float> out = renderSong(songOf({left}, 2.0f));
    double leftEnergy = 0.0, rightEnergy = 0.0, faded = 0.0;
    for (size_t i = 0; i < out.size(); i += 2) {
        leftEnergy += out[i] * out[i];
        rightEnergy += out[i + 1] * out[i + 1];
        if (i / 2 >= size_t(1.5 * kSampleRate) + 64) faded += std::fabs(out[i]);
    }
    EXPECT_GT(leftEnergy, 1.0);
    EXPECT_LT(rightEnergy, leftEnergy * 1e-6);
    EXPECT_EQ(faded, 0.0);
}

TEST(Mixer, DucksUnderTheKick) {
    Track pad;
    pad.instrument = Instrument::Pad;
    pad.duckedByKick = true;
    pad.notes.push_back({0.0, 3.0f, 60.0f, 1.0f});
    Track kick;
    kick.instrument = Instrument::Kick;
    kick.gain = 0.0f;  // silent, but it still drives the ducking
    kick.notes.push_back({2.0, 0.1f, 60.0f, 1.0f});
    const std::vector<float> ducked = renderSong(songOf({pad, kick}, 3.0f));
    pad.duckedByKick = false;
    const std::vector<float> plain = renderSong(songOf({pad, kick}, 3.0f));
    auto energy = [](const std::vector<float>& out, double from, double to) {
        double sum = 0.0;
        for (int i = int(from * kSampleRate); i < int(to * kSampleRate); ++i)
            sum += out[2 * i] * out[2 * i];
        return sum;
    };
    EXPECT_NEAR(energy(ducked, 1.5, 2.0), energy(plain, 1.5, 2.0), 1e-9);
    EXPECT_LT(energy(ducked, 2.0, 2.03), 0.6 * energy(plain, 2.0, 2.03));
    EXPECT_NEAR(energy(ducked, 2.4, 2.5), energy(plain, 2.4, 2.5), 0.001 * energy(plain, 2.4, 2.5));
}

TEST(Mixer, TheMasterNeverPassesItsCeiling) {
    Track kicks;
    kicks.instrument = Instrument::Kick;
    kicks.gain = 50.0f;
    for (int i = 0; i < 8; ++i) kicks.notes.push_back({i * 0.25, 0.1f, 60.0f, 1.0f});
    const std::vector<float> out = renderSong(songOf({kicks}, 2.0f));
    float peak = 0.0f;
    for (float sample : out) peak = std::fmax(peak, std::fabs(sample));
    EXPECT_LE(peak, kMasterCeiling);
    EXPECT_GT(peak, 0.7f);
}

}  // namespace
