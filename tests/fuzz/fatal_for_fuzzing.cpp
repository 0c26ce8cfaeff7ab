// The fuzz targets' fatal path: instead of an error box and the end of the process, an
// exception that the target catches, so that the fuzzer goes on with its next input.
// Linked in place of the program's own (see core/fatal.h).
#include "fatal_for_fuzzing.h"

#include "core/fatal.h"

void exitWithErrorBox(const char* text, const char* caption, const std::string&) {
    throw FatalLoadError{text, caption};
}
