// Fatal start-up errors: the loaders end the program here when a data file is unusable.
#include "core/fatal.h"

#include <cstdlib>

#include "platform/platform.h"

void exitWithErrorBox(const char* text, const char* caption) {
    platform::showErrorBox(text, caption);
    std::exit(1);
}
