// Catching the signals that would end a capture.
#include "interruption.h"

#include <cstdio>
#include <cstdlib>

#include "partial_file.h"
#include "platform/output_file.h"

volatile std::sig_atomic_t interruption = 0;

namespace {

extern "C" void onInterrupt(int signal) { interruption = signal; }

}  // namespace

void catchInterruptions() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                       SIGPROF, SIGXCPU, SIGIO}) {
        std::signal(signal, onInterrupt);
    }
    std::signal(SIGPIPE, SIG_IGN);
    failWritesPastTheSizeLimit();
}

void endInterrupted(const char* program) {
    discardPartialFile();
    std::fprintf(stderr, "%s: interrupted; nothing written\n", program);
    std::signal(interruption, SIG_DFL);
    std::raise(interruption);
    std::_Exit(128 + interruption);
}
