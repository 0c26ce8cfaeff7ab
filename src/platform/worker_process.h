// A helper process: this program started again with arguments of its own, for work that
// must not share the program's state (the scenes keep theirs at file level). What it
// writes to its report pipe is read without waiting. Only on Linux; elsewhere nothing
// starts and the caller does the work itself.
#pragma once

#include <cstddef>

namespace platform {

struct WorkerProcess {
    long id = -1;    // the process; -1 when none
    int pipe = -1;   // the read end of its report pipe
};

// Starts `program` (null: this program) with the arguments (null-terminated list, the
// program's name not among them), without a display; its standard streams on /dev/null
// (what it has to say goes through the report pipe, and the program says what a failed
// worker means), its report pipe on descriptor 3. False when it cannot start.
bool startWorker(const char* program, const char* const* arguments, WorkerProcess& worker);

// What the worker has written since the last read, up to size bytes: the count read, 0
// when nothing is waiting, -1 once it has closed the pipe (ended, or failed).
long readWorker(WorkerProcess& worker, void* bytes, size_t size);

// Ends the worker if it still runs and waits for it; nothing when none was started.
void stopWorker(WorkerProcess& worker);

// In the worker: writes bytes whole to the report pipe. False when no one reads it any
// more (the program that started it has gone): the worker should stop.
bool writeReport(const void* bytes, size_t size);

// In the worker, first: a lower priority than the program's, so that its work takes only
// time the program leaves; and a report pipe no one reads any more ends a write with an
// error (writeReport's false), not the worker.
void settleWorker();

}  // namespace platform
