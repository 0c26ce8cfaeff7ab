// Fatal start-up errors: the loaders end the program here when a data file is unusable.
#include "core/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

void exitWithErrorBox(const char* text, const char* caption, const std::string& detail) {
    std::fputs(detail.c_str(), stderr);
    platform::showErrorBox(text, caption);
    std::exit(1);
}
