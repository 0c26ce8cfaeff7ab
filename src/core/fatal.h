// Fatal start-up errors: an error box, then the process ends with exit code 1.
#pragma once

[[noreturn]] void exitWithErrorBox(const char* text, const char* caption);
