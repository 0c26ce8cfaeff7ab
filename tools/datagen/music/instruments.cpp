// The instruments: each renders one note into a track's stereo buffer.
#include "music/instruments.h"

#include <cmath>

#include "core/numeric.h"
#include "music/dsp.h"

namespace {

// Filters and vibrato move at this many samples per step: smooth to the ear, and it
// keeps tan() and exp2() out of the per-sample loop.
constexpr int kControlInterval = 32;

// The frames a note covers: from its start, the key released at `release`, silent by
// `end`. Empty for notes that start before the song.
struct Span {
    int begin, release, end;
};

Span spanOf(const Note& note, float tailSeconds, int frames) {
    const int begin = truncToInt(note.start * kSampleRate + 0.5);
    if (begin < 0 || begin >= frames) return {0, 0, 0};
    const int release = begin + truncToInt(note.length * kSampleRateF + 0.5f);
    int end = release + truncToInt(tailSeconds * kSampleRateF) + 1;
    if (end > frames || end < begin) end = frames;
    return {begin, release, end};
}

float secondsAt(int frame) { return static_cast<float>(frame) / kSampleRateF; }

// A start phase from the seed, so stacked oscillators do not begin in step.
float startPhase(Noise& noise) { return 0.5f + 0.5f * noise.next(); }

// Where a filter sits for a brightness of 0 .. 1: `lowest` Hz, up `octaves` octaves.
float brightnessCutoff(const Curve& brightness, int frame, float lowest, float octaves) {
    return lowest * std::exp2(octaves * brightness.valueAt(secondsAt(frame)));
}

// Three saws, the outer two detuned and spread left and right, the middle one in both;
// a slow attack and a filter that drifts a little.
void renderPad(const Note& note, const Curve& brightness, uint32_t seed, StereoBuffer& out) {
    constexpr float kRelease = 1.8f;
    const Span span = spanOf(note, kRelease, out.frames());
    Noise noise(seed);
    Envelope amp(0.9f, 1.5f, 0.8f, kRelease);
    Oscillator low, mid, high;
    low.setFrequency(noteFrequency(note.pitch - 0.10f));
    mid.setFrequency(noteFrequency(note.pitch));
    high.setFrequency(noteFrequency(note.pitch + 0.09f));
    low.phase = startPhase(noise);
    mid.phase = startPhase(noise);
    high.phase = startPhase(noise);
    ResonantFilter filterLeft, filterRight;
    const float drift = 2.0f * kPiFloat * 0.13f;  // radians per second of the cutoff's sway
    const float gain = 0.22f * note.velocity;

    amp.noteOn();
    for (int i = span.begin; i < span.end; ++i) {
        if (i == span.release) amp.noteOff();
        if ((i - span.begin) % kControlInterval == 0) {
            const float sway = 1.0f + 0.18f * std::sin(drift * secondsAt(i) + note.pitch);
            const float cutoff = brightnessCutoff(brightness, i, 160.0f, 5.5f) * sway;
            filterLeft.setCutoff(cutoff, 0.25f);
            filterRight.setCutoff(cutoff, 0.25f);
        }
        const float level = amp.next() * gain;
        const float centre = 0.6f * sawWave(mid);
        out.left[i] += filterLeft.lowPass(sawWave(low) + centre) * level;
        out.right[i] += filterRight.lowPass(sawWave(high) + centre) * level;
        low.advance();
        mid.advance();
        high.advance();
    }
}

// A saw for bite and a sine for weight; the filter snaps open at each note and closes.
void renderBass(const Note& note, const Curve& brightness, uint32_t seed, StereoBuffer& out) {
    constexpr float kRelease = 0.08f;
    const Span span = spanOf(note, kRelease, out.frames());
    Noise noise(seed);
    Envelope amp(0.003f, 0.3f, 0.6f, kRelease);
    Envelope sweep(0.002f, 0.16f, 0.0f, kRelease);
    Oscillator osc;
    osc.setFrequency(noteFrequency(note.pitch));
    osc.phase = startPhase(noise);
    ResonantFilter filter;
    const float accent = note.velocity;

    amp.noteOn();
    sweep.noteOn();
    for (int i = span.begin; i < span.end; ++i) {
        if (i == span.release) {
            amp.noteOff();
            sweep.noteOff();
        }
        const float opening = sweep.next();
        if ((i - span.begin) % kControlInterval == 0) {
            const float base = brightnessCutoff(brightness, i, 70.0f, 4.0f);
            filter.setCutoff(base * (1.0f + 7.0f * accent * opening), 0.55f);
        }
        const float body = filter.lowPass(0.7f * sawWave(osc)) + 0.55f * sineWave(osc);
        const float sample = 0.6f * saturate(1.4f * body) * amp.next() * accent;
        out.left[i] += sample;
        out.right[i] += sample;
        osc.advance();
    }
}

// A narrow pulse with a little saw; no sustain, so every note is a pluck.
void renderPluck(const Note& note, const Curve& brightness, uint32_t seed,
                 StereoBuffer& out) {
    constexpr float kRelease = 0.12f;
    const Span span = spanOf(note, kRelease, out.frames());
    Noise noise(seed);
    Envelope amp(0.002f, 0.35f, 0.0f, kRelease);
    Envelope sweep(0.001f, 0.18f, 0.0f, kRelease);
    Oscillator osc;
    osc.setFrequency(noteFrequency(note.pitch));
    osc.phase = startPhase(noise);
    ResonantFilter filter;

    amp.noteOn();
    sweep.noteOn();
    for (int i = span.begin; i < span.end; ++i) {
        if (i == span.release) {
            amp.noteOff();
            sweep.noteOff();
        }
        const float opening = sweep.next();
        if ((i - span.begin) % kControlInterval == 0) {
            const float base = brightnessCutoff(brightness, i, 250.0f, 4.5f);
            filter.setCutoff(base * (1.0f + 5.0f * opening), 0.4f);
        }
        const float tone = 0.6f * pulseWave(osc, 0.3f) + 0.4f * sawWave(osc);
        const float sample = 0.5f * filter.lowPass(tone) * amp.next() * note.velocity;
        out.left[i] += sample;
        out.right[i] += sample;
        osc.advance();
    }
}

// Two saws a few cents apart and a soft square an octave down; vibrato fades in once the
// note has sounded a moment, as a player would add it.
void renderLead(const Note& note, const Curve& brightness, uint32_t seed, StereoBuffer& out) {
    constexpr float kRelease = 0.3f;
    const Span span = spanOf(note, kRelease, out.frames());
    Noise noise(seed);
    Envelope amp(0.012f, 0.4f, 0.75f, kRelease);
    Envelope sweep(0.01f, 0.5f, 0.35f, kRelease);
    Oscillator left, right, sub;
    left.phase = startPhase(noise);
    right.phase = startPhase(noise);
    ResonantFilter filterLeft, filterRight;

    amp.noteOn();
    sweep.noteOn();
    for (int i = span.begin; i < span.end; ++i) {
        if (i == span.release) {
            amp.noteOff();
            sweep.noteOff();
        }
        const float opening = sweep.next();
        if ((i - span.begin) % kControlInterval == 0) {
            const float held = secondsAt(i - span.begin);
            const float depth = held < 0.25f ? 0.0f : std::fmin(0.15f, (held - 0.25f) * 0.3f);
            const float pitch = note.pitch + depth * std::sin(2.0f * kPiFloat * 5.3f * held);
            left.setFrequency(noteFrequency(pitch - 0.07f));
            right.setFrequency(noteFrequency(pitch + 0.07f));
            sub.setFrequency(noteFrequency(pitch - 12.0f));
            const float cutoff =
                brightnessCutoff(brightness, i, 400.0f, 4.0f) * (1.0f + 2.0f * opening);
            filterLeft.setCutoff(cutoff, 0.3f);
            filterRight.setCutoff(cutoff, 0.3f);
        }
        const float level = 0.35f * amp.next() * note.velocity;
        const float low = 0.35f * pulseWave(sub, 0.5f);
        out.left[i] += filterLeft.lowPass(sawWave(left) + low) * level;
        out.right[i] += filterRight.lowPass(sawWave(right) + low) * level;
        left.advance();
        right.advance();
        sub.advance();
    }
}

// Two-operator FM: a modulator at 3.5 times the pitch gives the inharmonic shimmer of a
// struck bar; its depth dies away faster than the tone, so the ring turns pure.
void renderBell(const Note& note, const Curve&, uint32_t, StereoBuffer& out) {
    constexpr float kRing = 3.5f;
    const Span span = spanOf(note, kRing, out.frames());
    Oscillator carrier, modulator;
    carrier.setFrequency(noteFrequency(note.pitch));
    modulator.setFrequency(noteFrequency(note.pitch) * 3.5f);
    const float ringFactor = decayFactor(kRing);
    const float shimmerFactor = decayFactor(0.9f);
    float ring = 0.3f * note.velocity;
    float shimmer = 2.2f;
    float attack = 0.0f;
    const float attackStep = 1.0f / (0.003f * kSampleRateF);

    for (int i = span.begin; i < span.end; ++i) {
        const float phase = 2.0f * kPiFloat * carrier.phase + shimmer * sineWave(modulator);
        const float sample = std::sin(phase) * ring * attack;
        out.left[i] += sample;
        out.right[i] += sample;
        attack = std::fmin(1.0f, attack + attackStep);
        ring *= ringFactor;
        shimmer = 0.25f + (shimmer - 0.25f) * shimmerFactor;
        carrier.advance();
        modulator.advance();
    }
}

// A sine that falls from a thump to a low boom, through a soft clipper for punch, with a
// few milliseconds of noise on top for the beater's click.
void renderKick(const Note& note, const Curve&, uint32_t seed, StereoBuffer& out) {
    const Span span = spanOf(note, 0.6f, out.frames());
    Noise noise(seed);
    Oscillator osc;
    float sweep = 1.0f;
    float body = 1.0f;
    float click = 1.0f;
    const float sweepFactor = decayFactor(0.25f);
    const float bodyFactor = decayFactor(0.6f);
    const float clickFactor = decayFactor(0.008f);
    OnePole clickTone;
    clickTone.setCutoff(3000.0f);

    for (int i = span.begin; i < span.end; ++i) {
        osc.setFrequency(44.0f + 130.0f * sweep);
        const float tone = saturate(1.8f * sineWave(osc) * body);
        const float sample = (0.85f * tone + 0.35f * clickTone.process(noise.next()) * click) *
                             note.velocity;
        out.left[i] += sample;
        out.right[i] += sample;
        osc.advance();
        sweep *= sweepFactor;
        body *= bodyFactor;
        click *= clickFactor;
    }
}

// A short pitched body under a longer burst of band-limited noise.
void renderSnare(const Note& note, const Curve&, uint32_t seed, StereoBuffer& out) {
    const Span span = spanOf(note, 0.35f, out.frames());
    Noise noise(seed);
    Oscillator osc;
    ResonantFilter filter;
    filter.setCutoff(2200.0f, 0.2f);
    float body = 1.0f, rattle = 1.0f, sweep = 1.0f;
    const float bodyFactor = decayFactor(0.12f);
    const float rattleFactor = decayFactor(0.3f);
    const float sweepFactor = decayFactor(0.05f);

    for (int i = span.begin; i < span.end; ++i) {
        osc.setFrequency(175.0f + 60.0f * sweep);
        const ResonantFilter::Outputs hiss = filter.process(noise.next());
        const float sample = (0.55f * sineWave(osc) * body +
                              0.6f * (hiss.highPass + hiss.bandPass) * rattle) *
                             note.velocity;
        out.left[i] += sample;
        out.right[i] += sample;
        osc.advance();
        body *= bodyFactor;
        rattle *= rattleFactor;
        sweep *= sweepFactor;
    }
}

// Six square waves at unrelated pitches ring like struck metal; high-passed with some
// noise they make hats and cymbals.
void renderMetal(const Note& note, uint32_t seed, float decaySeconds, float highPassHz,
                 float noiseMix, StereoBuffer& out) {
    static constexpr float kPartials[6] = {263.0f, 400.0f, 421.0f, 531.0f, 588.0f, 806.0f};
    const Span span = spanOf(note, decaySeconds, out.frames());
    Noise noise(seed);
    Oscillator partials[6];
    for (int p = 0; p < 6; ++p) {
        partials[p].setFrequency(kPartials[p] * 1.5f);
        partials[p].phase = startPhase(noise);
    }
    ResonantFilter filter;
    filter.setCutoff(highPassHz, 0.3f);
    float level = note.velocity;
    const float levelFactor = decayFactor(decaySeconds);

    for (int i = span.begin; i < span.end; ++i) {
        float metal = 0.0f;
        for (Oscillator& partial : partials) {
            metal += partial.phase < 0.5f ? 1.0f : -1.0f;
            partial.advance();
        }
        const float source = (1.0f - noiseMix) * metal / 6.0f + noiseMix * noise.next();
        const float sample = 0.5f * filter.process(source).highPass * level;
        out.left[i] += sample;
        out.right[i] += sample;
        level *= levelFactor;
    }
}

// Noise through a resonant band-pass that climbs from a rumble to a hiss while it swells:
// the build-up into a drop. Each side has its own noise, so it fills the stereo field.
void renderRiser(const Note& note, const Curve&, uint32_t seed, StereoBuffer& out) {
    const Span span = spanOf(note, 0.05f, out.frames());
    Noise noiseLeft(seed), noiseRight(seed * 2654435761u + 1u);
    ResonantFilter filterLeft, filterRight;
    const float length = static_cast<float>(span.release - span.begin);

    for (int i = span.begin; i < span.end; ++i) {
        float progress = static_cast<float>(i - span.begin) / length;
        if (progress > 1.0f) progress = 1.0f;
        if ((i - span.begin) % kControlInterval == 0) {
            const float cutoff = 250.0f * std::exp2(5.2f * progress);
            filterLeft.setCutoff(cutoff, 0.7f);
            filterRight.setCutoff(cutoff, 0.7f);
        }
        const float level = 0.7f * progress * progress * note.velocity;
        out.left[i] += filterLeft.process(noiseLeft.next()).bandPass * level;
        out.right[i] += filterRight.process(noiseRight.next()).bandPass * level;
    }
}

}  // namespace

void renderNote(Instrument instrument, const Note& note, const Curve& brightness,
                uint32_t seed, StereoBuffer& out) {
    switch (instrument) {
    case Instrument::Pad: renderPad(note, brightness, seed, out); break;
    case Instrument::Bass: renderBass(note, brightness, seed, out); break;
    case Instrument::Pluck: renderPluck(note, brightness, seed, out); break;
    case Instrument::Lead: renderLead(note, brightness, seed, out); break;
    case Instrument::Bell: renderBell(note, brightness, seed, out); break;
    case Instrument::Kick: renderKick(note, brightness, seed, out); break;
    case Instrument::Snare: renderSnare(note, brightness, seed, out); break;
    case Instrument::ClosedHat: renderMetal(note, seed, 0.07f, 7000.0f, 0.45f, out); break;
    case Instrument::OpenHat: renderMetal(note, seed, 0.4f, 6500.0f, 0.45f, out); break;
    case Instrument::Crash: renderMetal(note, seed, 2.4f, 4000.0f, 0.7f, out); break;
    case Instrument::Riser: renderRiser(note, brightness, seed, out); break;
    }
}
