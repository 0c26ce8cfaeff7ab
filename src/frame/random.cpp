// The shared random source.
#include "frame/random.h"

namespace {
RandomSource programSource;  // starts at state 1 with the program
}  // namespace

int drawRandom() { return programSource.draw(); }
