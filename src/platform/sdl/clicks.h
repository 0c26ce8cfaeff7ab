// The calibration's sound: a minute of silence with a click at the start of every second,
// as a WAV file in memory (16-bit mono, 22.05 kHz), for SDL_mixer to play as music.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> clicksWave();
