// The score the sequencer plays: notes, automation curves, tracks and the song.
#pragma once

#include <initializer_list>
#include <vector>

// One note: when it starts and how long the key is held, in seconds from the start of
// the song; pitch as a MIDI note number (drums ignore it); velocity 0 .. 1.
struct Note {
    double start;
    float length;
    float pitch;
    float velocity;
};

// A value that changes over the song: straight lines between breakpoints, held flat
// before the first and after the last.
class Curve {
public:
    struct Point {
        float seconds, value;
    };

    explicit Curve(float constant = 1.0f) : points_{{0.0f, constant}} {}
    // Breakpoints in time order; a later point at the same time makes a jump.
    Curve(std::initializer_list<Point> points) : points_(points) {}
    float valueAt(float seconds) const;

private:
    std::vector<Point> points_;
};

enum class Instrument {
    Pad,        // detuned saws through a slow filter: the night air
    Bass,       // saw and sine with a plucky filter envelope
    Pluck,      // short pulse notes for arpeggios and chord stabs
    Lead,       // two detuned saws with delayed vibrato
    Bell,       // two-operator FM: glassy, moonlit tones
    Kick,       // sine with a falling pitch, and a click
    Snare,      // a pitched body and filtered noise
    ClosedHat,  // metallic squares and noise, high-passed, short
    OpenHat,    // the same, ringing longer
    Crash,      // the same again, brighter and long
    Riser,      // noise through a band-pass sweeping up over the whole note
};

// A track: one instrument, its notes and its place in the mix.
struct Track {
    Instrument instrument = Instrument::Pad;
    std::vector<Note> notes;
    float gain = 1.0f;
    float pan = 0.0f;  // -1 left .. 1 right
    float delaySend = 0.0f;
    float reverbSend = 0.0f;
    bool duckedByKick = false;  // dips under each kick, so the groove breathes
    Curve level;                // fades, on top of gain
    Curve brightness{0.5f};     // 0 dark .. 1 open: where the instrument's filter sits
};

struct Song {
    float seconds = 0.0f;
    std::vector<Track> tracks;
    Curve masterLevel;
};
