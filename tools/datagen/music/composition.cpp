// The soundtrack's score: what plays when, written as patterns section by section.
//
// C minor at 120 BPM, so a bar is two seconds and every scene change falls on a beat.
// Scenes 3 and 6 last 8.5 and 2.5 bars; their last half bar is a drum fill, a common
// way to turn a corner. The track builds through the ring flight, changes texture at each
// scene, breaks down for the credits and the reveal, drops into the full groove for the
// metaballs and fades out over the particle trails.
#include "music/composition.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "core/numeric.h"
#include "music/notation.h"
#include "scenes/scene_table.h"

namespace {

// Section starts in seconds, named by what the show draws meanwhile: where the scene
// table starts each row.
constexpr double kRingFlight = showTimeOfRow(0);
constexpr double kSphere = showTimeOfRow(1);
constexpr double kMirror = showTimeOfRow(2);
constexpr double kSwirl = showTimeOfRow(3);
constexpr double kCredits = showTimeOfRow(4);
constexpr double kReveal = showTimeOfRow(5);
constexpr double kMetaballs = showTimeOfRow(6);
constexpr double kSupertoroid = showTimeOfRow(7);
constexpr double kParticles = showTimeOfRow(8);
constexpr double kLastChord = 169.0;
constexpr double kSongEnd = kShowSeconds;

enum TrackId {
    kPad, kBass, kArp, kStab, kLead, kBell,
    kKick, kSnare, kHat, kOpenHat, kCrash, kRiser, kTrackCount
};

// A chord: its bass note and the four notes the pad plays, voiced close together around
// middle C so that moving from chord to chord hardly moves any voice.
struct Chord {
    int bass;
    int voicing[4];
};
constexpr Chord kCm{36, {51, 55, 58, 62}};    // Cm9: Eb G Bb D over C
constexpr Chord kAb{32, {51, 55, 56, 60}};    // Abmaj7: Eb G Ab C
constexpr Chord kEb{39, {50, 55, 58, 63}};    // Ebmaj7: D G Bb Eb
constexpr Chord kBb{34, {50, 53, 58, 60}};    // Bb add9: D F Bb C
constexpr Chord kFm{41, {56, 60, 63, 67}};    // Fm9: Ab C Eb G
constexpr Chord kG{31, {53, 59, 62, 67}};     // G7: F B D G, the leading tone pulls home
constexpr Chord kGsus{31, {53, 60, 62, 67}};  // G7sus4: F C D G

// A stretch of the song with one chord per bar; the last bar may be cut short by `end`.
struct Section {
    double start, end;
    std::vector<Chord> harmony;
};

// The same section from its `bar`-th bar on.
Section fromBar(const Section& section, int bar) {
    bar = std::clamp(bar, 0, static_cast<int>(section.harmony.size()));
    return {section.start + bar * kBarSeconds, section.end,
            std::vector<Chord>(section.harmony.begin() + bar, section.harmony.end())};
}

// Calls `play(barStart, barEnd, chord)` for each bar of the section.
void forEachBar(const Section& section,
                const std::function<void(double, double, const Chord&)>& play) {
    double barStart = section.start;
    for (const Chord& chord : section.harmony) {
        if (barStart >= section.end) break;
        const double barEnd = std::min(barStart + kBarSeconds, section.end);
        play(barStart, barEnd, chord);
        barStart += kBarSeconds;
    }
}

// Arpeggio notes: the chord's root and its four voiced notes, an octave up, low to high.
std::array<int, 5> chordTones(const Chord& chord) {
    std::array<int, 5> tones = {60 + chord.bass % 12, chord.voicing[0] + 12,
                                chord.voicing[1] + 12, chord.voicing[2] + 12,
                                chord.voicing[3] + 12};
    std::sort(tones.begin(), tones.end());
    return tones;
}

// Pads hold each chord for its bar; the release overlaps the next one.
void playPads(Song& song, const Section& section, float velocity) {
    forEachBar(section, [&](double from, double to, const Chord& chord) {
        for (int note : chord.voicing)
            song.tracks[kPad].notes.push_back(
                {from, static_cast<float>(to - from), static_cast<float>(note), velocity});
    });
}

void playBass(Song& song, const Section& section, const char* bar, float velocity) {
    forEachBar(section, [&](double from, double to, const Chord& chord) {
        addLine(song.tracks[kBass], from, to, bar, velocity, chord.bass);
    });
}

// Sixteenth notes through the chord tones in the given order (indices 0..4), accented
// on the beat.
void playArpeggio(Song& song, const Section& section, const int order[8], float velocity) {
    forEachBar(section, [&](double from, double to, const Chord& chord) {
        const std::array<int, 5> tones = chordTones(chord);
        for (int step = 0; step < 16; ++step) {
            const double at = from + step * kStepSeconds;
            if (at >= to) break;
            const float accent = step % 4 == 0 ? 1.0f : 0.7f;
            song.tracks[kArp].notes.push_back(
                {at, 0.11f, static_cast<float>(tones[order[step % 8]]), velocity * accent});
        }
    });
}

// Whole chords struck short, an octave up, in the given rhythm.
void playStabs(Song& song, const Section& section, const char* rhythm) {
    forEachBar(section, [&](double from, double to, const Chord& chord) {
        Track hits;
        addHits(hits, from, to, rhythm);
        for (Note hit : hits.notes) {
            hit.length = 0.09f;
            for (int note : chord.voicing) {
                hit.pitch = static_cast<float>(note + 12);
                song.tracks[kStab].notes.push_back(hit);
            }
        }
    });
}

// Hits repeated bar after bar from `start` to `end`.
void playDrums(Song& song, TrackId track, double start, double end, const char* bar) {
    for (double from = start; from < end; from += kBarSeconds)
        addHits(song.tracks[track], from, end, bar);
}

void playCrash(Song& song, double at) {
    song.tracks[kCrash].notes.push_back({at, 0.1f, 60.0f, 1.0f});
}

// A roll from `start` to `end`, one hit every `interval` seconds, growing from soft to loud.
void playRoll(Song& song, double start, double end, double interval, float from, float to) {
    const int count = truncToInt((end - start) / interval + 0.5);
    for (int i = 0; i < count; ++i) {
        const float t = count > 1 ? static_cast<float>(i) / (count - 1) : 1.0f;
        song.tracks[kSnare].notes.push_back({start + i * interval, 0.05f, 60.0f,
                                             from + (to - from) * t});
    }
}

// The patterns. Melodies and bass lines use the notation of notation.h; bass lines count
// semitones from each chord's bass note.
constexpr int kUpDown[8] = {0, 1, 2, 3, 4, 3, 2, 1};
constexpr int kLeaping[8] = {0, 2, 1, 3, 2, 4, 3, 1};

constexpr const char* kKickFour = "X...X...X...X...";
constexpr const char* kKickHalf = "x.......x.......";
constexpr const char* kBackbeat = "....X.......X...";
constexpr const char* kBackbeatGhosts = "....X..o....X.o.";
constexpr const char* kHatOffbeat = "..x...x...x...x.";
constexpr const char* kHatSixteenths = "xoxoxoxoxoxoxoxo";
constexpr const char* kStabRhythm = "..x...x..x...x..";
constexpr const char* kFillHalfBar = "o.x.xxXX";
constexpr const char* kPickup = "......xX";

constexpr const char* kBassHeld = "0 - - - - - - - - - - - - - - -";
constexpr const char* kBassOffbeat = ". . 0 - . . 0 - . . 0 - . . 12 -";
constexpr const char* kBassSyncopated = "0 - . 0 . . 0 - . 0 . . 7 - 10 -";
constexpr const char* kBassPush = ". . 0 - . . 0 - . . 0 - . 0 12 -";
constexpr const char* kBassRolling = ". 0 12 0 . 0 0 12 . 0 12 0 . 0 7 0";
constexpr const char* kBassOctaves = ". 0 12 0 . 12 0 12 . 0 12 0 . 10 12 7";
constexpr const char* kBassPedal = "0 . 0 . 0 . 0 . 0 0 0 0 0 0 0 0";

constexpr const char* kBellMoonrise =
    "G5 - - - - - - - . . . . Bb5 - - - | Eb5 - - - - - - - D5 - - - - - - - |"
    "C5 - - - - - - - . . . . G4 - - - | . . . . . . . . . . . . . . . .";
constexpr const char* kBellAnswer =
    "Eb6 - - - . . . . D6 - - - . . . . | C6 - - - - - - - G5 - - - - - - - |"
    "Bb5 - - - - - - - G5 - - - . . . . | F5 - - - - - - - D5 - - - - - - -";
constexpr const char* kBellBreak =
    "C6 - - - - - - - Bb5 - - - G5 - - - | D6 - - - - - - - C6 - - - Bb5 - - - |"
    "G5 - - - - - - - - - - - Eb5 - - - | D5 - - - - - - - C5 - - - - - - -";

constexpr const char* kVerseLead =
    "G4 - - - C5 - - - Eb5 - - - D5 - C5 - | C5 - - - - - - - Ab4 - - - G4 - Ab4 - |"
    "Bb4 - - - - - G4 - Bb4 - - - D5 - - - | F5 - - - - - - - D5 - - - Bb4 - C5 - |"
    "G4 - - - C5 - - - Eb5 - - - G5 - - - | F5 - - - Eb5 - - - C5 - - - Ab4 - - - |"
    "G5 - - - - - F5 - Eb5 - - - D5 - - - | D5 - - - - - - - - - - - . . . . |"
    "C5 - - - Eb5 - - - F5 - - - Ab5 - - - | G5 - - - - - - - F5 - - - D5 - B4 -";
constexpr const char* kGrooveLead =
    "C5 - - G4 - - C5 - Eb5 - - D5 - - C5 - | D5 - - Bb4 - - F5 - D5 - - C5 - - Bb4 - |"
    "C5 - - Ab4 - - C5 - Eb5 - - F5 - - G5 - | F5 - - Eb5 - - D5 - B4 - - - G4 - - -";
constexpr const char* kGrooveLeadTurn =
    "Ab4 - - C5 - - F5 - Eb5 - - C5 - - Ab4 - | B4 - - D5 - - F5 - G5 - - - - - . .";


// Scene 1, the ring flight: a drone on C minor, then the progression under a bell melody;
// the arpeggio fades in, a half-time kick and held bass notes arrive, then hats, then a
// riser into the first drop.
void composeRingFlight(Song& song) {
    const Section section{kRingFlight, kSphere,
                          {kCm, kCm, kCm, kCm, kAb, kEb, kBb, kCm, kAb, kEb, kBb, kCm, kAb,
                           kEb, kBb}};
    playPads(song, section, 0.9f);
    addLine(song.tracks[kBell], section.start, section.end, kBellMoonrise, 0.8f);
    addLine(song.tracks[kBell], section.start + 7 * kBarSeconds, section.end, kBellAnswer,
            0.6f);
    playArpeggio(song, fromBar(section, 3), kUpDown, 0.8f);
    const Section pulse = fromBar(section, 7);
    playBass(song, pulse, kBassHeld, 0.7f);
    playDrums(song, kKick, pulse.start, section.end, kKickHalf);
    playDrums(song, kHat, section.start + 11 * kBarSeconds, section.end, kHatOffbeat);
    song.tracks[kRiser].notes.push_back({section.end - 4.0, 4.0f, 60.0f, 0.8f});
}

// Scene 2, the deforming sphere: the kick goes four to the floor under an off-beat bass.
void composeSphere(Song& song) {
    const Section section{kSphere, kMirror, {kCm, kAb, kEb, kBb, kCm, kAb, kEb, kBb, kFm, kG}};
    playCrash(song, section.start);
    playPads(song, section, 0.8f);
    playArpeggio(song, section, kUpDown, 0.8f);
    playBass(song, section, kBassOffbeat, 0.9f);
    playDrums(song, kKick, section.start, section.end, kKickFour);
    playDrums(song, kHat, section.start, section.end, kHatOffbeat);
}

// Scene 3, the model in the mirror: a new progression from the subdominant; the snare
// comes in, chord stabs replace the arpeggio, the bass syncopates; a fill turns the
// half bar at the end.
void composeMirror(Song& song) {
    const Section section{kMirror, kSwirl, {kFm, kCm, kAb, kG, kFm, kCm, kAb, kG, kG}};
    const double fill = section.end - 0.5 * kBarSeconds;
    playCrash(song, section.start);
    playPads(song, section, 0.7f);
    playStabs(song, section, kStabRhythm);
    playBass(song, section, kBassSyncopated, 0.9f);
    playDrums(song, kKick, section.start, fill, kKickFour);
    playDrums(song, kSnare, section.start, fill, kBackbeat);
    playDrums(song, kHat, section.start, section.end, kHatSixteenths);
    addHits(song.tracks[kSnare], fill, section.end, kFillHalfBar);
}

// Scene 4, the swirl: the lead sings its first melody over the opening progression, the
// arpeggio returns with open hats; a snare roll winds up into the break.
void composeSwirl(Song& song) {
    const Section section{kSwirl, kCredits, {kCm, kAb, kEb, kBb, kCm, kAb, kEb, kBb, kFm, kGsus}};
    const double roll = section.end - kBarSeconds;
    playCrash(song, section.start);
    playPads(song, section, 0.7f);
    addLine(song.tracks[kLead], section.start, section.end, kVerseLead, 0.9f);
    playArpeggio(song, section, kLeaping, 0.6f);
    playBass(song, section, kBassPush, 0.9f);
    playDrums(song, kKick, section.start, section.end, kKickFour);
    playDrums(song, kSnare, section.start, roll, kBackbeat);
    playDrums(song, kHat, section.start, section.end, kHatSixteenths);
    playDrums(song, kOpenHat, section.start, section.end, kHatOffbeat);
    playRoll(song, roll, section.end, kStepSeconds, 0.3f, 1.0f);
}

// Scene 5, the credits: the drums stop; pads, held bass and a bell melody, the arpeggio
// quiet and echoing.
void composeCredits(Song& song) {
    const Section section{kCredits, kReveal, {kAb, kBb, kCm, kCm}};
    playPads(song, section, 1.0f);
    playBass(song, section, kBassHeld, 0.6f);
    addLine(song.tracks[kBell], section.start, section.end, kBellBreak, 0.9f);
    playArpeggio(song, section, kUpDown, 0.5f);
}

// Scene 6, the reveal: five seconds of build on the dominant: a riser, a pedal bass, the
// kick on the beat and a snare roll that doubles its speed each bar, then half a bar of
// roll alone before the drop.
void composeReveal(Song& song) {
    const Section section{kReveal, kMetaballs, {kGsus, kG, kG}};
    const double secondBar = section.start + kBarSeconds;
    const double lastHalf = section.start + 2 * kBarSeconds;
    playPads(song, section, 0.9f);
    playArpeggio(song, section, kUpDown, 0.6f);
    playBass(song, section, kBassPedal, 0.8f);
    playDrums(song, kKick, section.start, lastHalf, kKickFour);
    playRoll(song, section.start, secondBar, 2 * kStepSeconds, 0.25f, 0.5f);
    playRoll(song, secondBar, lastHalf, kStepSeconds, 0.5f, 0.75f);
    playRoll(song, lastHalf, section.end, 0.5 * kStepSeconds, 0.75f, 1.0f);
    song.tracks[kRiser].notes.push_back(
        {section.start, static_cast<float>(section.end - section.start), 60.0f, 1.0f});
}

// Scene 7, the metaballs: the full groove. A descending progression, rolling bass,
// sixteenth hats with open hats between the kicks, ghost notes on the snare, the lead's
// second melody. The drums hold their breath for the last two beats.
void composeMetaballs(Song& song) {
    const Section section{kMetaballs, kSupertoroid,
                          {kCm, kBb, kAb, kG, kCm, kBb, kAb, kG, kFm, kG}};
    const double fill = section.end - 0.5 * kBarSeconds;
    playCrash(song, section.start);
    playPads(song, section, 0.7f);
    addLine(song.tracks[kLead], section.start, section.end, kGrooveLead, 0.9f);
    addLine(song.tracks[kLead], section.start + 4 * kBarSeconds, section.end, kGrooveLead,
            0.9f);
    addLine(song.tracks[kLead], section.start + 8 * kBarSeconds, section.end,
            kGrooveLeadTurn, 0.9f);
    playArpeggio(song, section, kLeaping, 0.6f);
    playBass(song, section, kBassRolling, 1.0f);
    playDrums(song, kKick, section.start, fill, kKickFour);
    playDrums(song, kSnare, section.start, fill, kBackbeatGhosts);
    addHits(song.tracks[kSnare], fill, section.end, kPickup);
    playDrums(song, kHat, section.start, fill, kHatSixteenths);
    playDrums(song, kOpenHat, section.start, fill, kHatOffbeat);
}

// Scene 8, the supertoroid: the groove lifts: the lead an octave higher, chord stabs over
// the arpeggio, the bass jumping octaves; a half-bar fill leads into the outro.
void composeSupertoroid(Song& song) {
    const Section section{kSupertoroid, kParticles,
                          {kCm, kBb, kAb, kG, kCm, kBb, kAb, kG, kCm, kBb, kAb, kG, kG}};
    const double fill = section.end - 0.5 * kBarSeconds;
    playCrash(song, section.start);
    playPads(song, section, 0.7f);
    for (int phrase = 0; phrase < 3; ++phrase)
        addLine(song.tracks[kLead], section.start + 4 * phrase * kBarSeconds, fill,
                kGrooveLead, 0.85f, 0);
    for (Note& note : song.tracks[kLead].notes) {
        if (note.start >= section.start) note.pitch += 12.0f;
    }
    playArpeggio(song, section, kLeaping, 0.5f);
    playStabs(song, section, kStabRhythm);
    playBass(song, section, kBassOctaves, 1.0f);
    playDrums(song, kKick, section.start, fill, kKickFour);
    playDrums(song, kSnare, section.start, fill, kBackbeatGhosts);
    addHits(song.tracks[kSnare], fill, section.end, kFillHalfBar);
    playDrums(song, kHat, section.start, section.end, kHatSixteenths);
    playDrums(song, kOpenHat, section.start, fill, kHatOffbeat);
}

// Scene 9, the particle trails, and the end of the track: the snare and lead leave, then
// the drums, the bell comes back, the harmony comes to rest on C minor and fades away.
void composeParticles(Song& song) {
    const Section section{kParticles, kLastChord,
                          {kCm, kAb, kEb, kBb, kCm, kAb, kEb, kBb, kAb, kFm, kCm, kCm}};
    const double drumsOut = section.start + 4 * kBarSeconds;
    playCrash(song, section.start);
    playPads(song, section, 0.8f);
    playArpeggio(song, section, kUpDown, 0.6f);
    playBass(song, {section.start, drumsOut, section.harmony}, kBassOffbeat, 0.9f);
    playBass(song, fromBar(section, 4), kBassHeld, 0.6f);
    playDrums(song, kKick, section.start, drumsOut, kKickFour);
    playDrums(song, kHat, section.start, drumsOut + 2 * kBarSeconds, kHatOffbeat);
    addLine(song.tracks[kBell], section.start + 2 * kBarSeconds, section.end, kBellMoonrise,
            0.7f);
    addLine(song.tracks[kBell], section.start + 6 * kBarSeconds, section.end, kBellAnswer,
            0.6f);

    const Section lastChord{kLastChord, kSongEnd - 6.0, {kCm}};
    for (int note : kCm.voicing)
        song.tracks[kPad].notes.push_back({kLastChord, 8.0f, static_cast<float>(note), 0.8f});
    playBass(song, lastChord, kBassHeld, 0.5f);
    addLine(song.tracks[kBell], kLastChord, kSongEnd, "C5 - - - G5 - - - C6", 0.6f);
}

// The tracks with their place in the mix and their automation.
void setUpTracks(Song& song) {
    song.tracks.resize(kTrackCount);
    auto setUp = [&](TrackId id, Instrument instrument, float gain, float pan, float delay,
                     float reverb, bool ducked) {
        Track& track = song.tracks[id];
        track.instrument = instrument;
        track.gain = gain;
        track.pan = pan;
        track.delaySend = delay;
        track.reverbSend = reverb;
        track.duckedByKick = ducked;
    };
    setUp(kPad, Instrument::Pad, 0.55f, 0.0f, 0.0f, 0.5f, true);
    setUp(kBass, Instrument::Bass, 0.6f, 0.0f, 0.0f, 0.0f, true);
    setUp(kArp, Instrument::Pluck, 0.3f, 0.3f, 0.35f, 0.3f, true);
    setUp(kStab, Instrument::Pluck, 0.2f, -0.25f, 0.25f, 0.35f, true);
    setUp(kLead, Instrument::Lead, 0.4f, -0.1f, 0.3f, 0.35f, false);
    setUp(kBell, Instrument::Bell, 0.4f, 0.1f, 0.45f, 0.8f, false);
    setUp(kKick, Instrument::Kick, 0.8f, 0.0f, 0.0f, 0.04f, false);
    setUp(kSnare, Instrument::Snare, 0.45f, 0.05f, 0.05f, 0.35f, false);
    setUp(kHat, Instrument::ClosedHat, 0.22f, 0.25f, 0.0f, 0.1f, false);
    setUp(kOpenHat, Instrument::OpenHat, 0.16f, -0.3f, 0.0f, 0.15f, false);
    setUp(kCrash, Instrument::Crash, 0.25f, -0.1f, 0.0f, 0.4f, false);
    setUp(kRiser, Instrument::Riser, 0.3f, 0.0f, 0.2f, 0.5f, false);

    // The night opens up through the intro, darkens for the mirror, glows in the breaks
    // and closes again as the track fades.
    song.tracks[kPad].brightness = Curve{{0, 0.1f}, {28, 0.5f}, {50, 0.35f}, {67, 0.45f},
                                         {87, 0.65f}, {95, 0.45f}, {100, 0.55f}, {120, 0.55f}, {120, 0.8f},
                                         {145, 0.5f}, {169, 0.35f}, {184, 0.1f}};
    song.tracks[kBass].brightness = Curve{{0, 0.2f}, {30, 0.35f}, {50, 0.45f}, {87, 0.15f},
                                          {95, 0.15f}, {100, 0.5f}, {120, 0.55f},
                                          {145, 0.4f}, {160, 0.2f}};
    song.tracks[kArp].brightness = Curve{{6, 0.0f}, {30, 0.5f}, {87, 0.3f}, {95, 0.2f},
                                         {100, 0.6f}, {145, 0.5f}, {175, 0.05f}};
    song.tracks[kStab].brightness = Curve(0.55f);
    song.tracks[kLead].brightness = Curve{{67, 0.45f}, {100, 0.5f}, {120, 0.7f}};
    song.tracks[kArp].level = Curve{{6, 0.3f}, {24, 1.0f}};
    // Headroom: the limiter only rounds off the loudest kicks.
    song.masterLevel = Curve{{165, 0.7f}, {kSongEnd - 1.0f, 0.0f}};
}

}  // namespace

Song composeSoundtrack() {
    Song song;
    song.seconds = static_cast<float>(kSongEnd);
    setUpTracks(song);
    composeRingFlight(song);
    composeSphere(song);
    composeMirror(song);
    composeSwirl(song);
    composeCredits(song);
    composeReveal(song);
    composeMetaballs(song);
    composeSupertoroid(song);
    composeParticles(song);
    return song;
}
