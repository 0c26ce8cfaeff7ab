// A small text notation for writing patterns: one token per sixteenth note.
#pragma once

#include "music/score.h"

// The song's grid: 120 beats per minute, four sixteenths to the beat, four beats to the bar.
constexpr double kBeatsPerMinute = 120.0;
constexpr double kStepSeconds = 60.0 / kBeatsPerMinute / 4.0;
constexpr double kBarSeconds = 16.0 * kStepSeconds;

// The MIDI number of a note name: a letter, an optional flat or sharp, an octave
// ("C4" = 60, "Eb5" = 75, "F#3" = 54). False for anything else.
bool parseNoteName(const char* name, int& note);

// Adds a line of notes from `start`, one whitespace-separated token per step:
//   a note name ("G4")          starts that note,
//   a whole number ("7", "-5")  starts the note that many semitones from `base`,
//   "-"                         holds the note before,
//   "."                         is a rest;
// "|" marks a bar line and takes no time. Nothing sounds from `end` on: later notes are
// dropped, a note held past it is cut. A token it cannot read ends the generator with a
// message, since the score is part of the program.
void addLine(Track& track, double start, double end, const char* line, float velocity,
             int base = 0);

// Adds drum hits from `start`, one character per step: 'X' accent, 'x' normal, 'o' soft,
// '.' nothing; spaces and '|' are ignored. Hits from `end` on are dropped.
void addHits(Track& track, double start, double end, const char* steps);
