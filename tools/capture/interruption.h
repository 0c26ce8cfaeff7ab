// The signals that would end a capture: caught, so that it stops at its next frame,
// removes its partial file and only then ends, by that same signal.
#pragma once

#include <csignal>

// The signal that came; 0 while none has.
extern volatile std::sig_atomic_t interruption;

// Catches every signal whose default would end the process without a word (the polite
// ones, the timers, the user's); a closed pipe becomes a failed write (the progress then
// stops), and a file size limit a "File too large" error.
void catchInterruptions();

// No file is left, then the process ends by the signal, as the shell expects of an
// interrupted program.
[[noreturn]] void endInterrupted(const char* program);
