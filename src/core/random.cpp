// The shared random source.
#include "core/random.h"

namespace {
RandomSource programSource;  // starts at state 1 with the program
}  // namespace

int drawRandom() { return programSource.draw(); }

uint32_t randomSourceState() { return programSource.state; }

void setRandomSourceState(uint32_t state) { programSource.state = state; }
