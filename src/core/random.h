// The program's one random source: a linear congruential generator whose state lasts the
// whole run and is never reseeded, so a run's first draws are always the same.
#pragma once

#include <cstdint>

// state = state * 214013 + 2531011 (mod 2^32); a draw is bits 16..30 of the new state.
struct RandomSource {
    uint32_t state = 1;

    // The next value, 0..32767.
    int draw() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

// The next value, 0..32767, of the source the whole program shares.
int drawRandom();

// The shared source's state, and that state put back: a seek gives a scene the draws it
// had at that moment of the show.
uint32_t randomSourceState();
void setRandomSourceState(uint32_t state);
