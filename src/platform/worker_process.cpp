// The helper process, by posix_spawn on Linux.
#include "platform/worker_process.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace platform {

namespace {

constexpr int kReportDescriptor = 3;
constexpr int kWorkerNiceness = 10;

// The program's environment without its display: a worker opens no window and shows no
// box (an error goes to standard error only).
std::vector<char*> workerEnvironment() {
    std::vector<char*> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("DISPLAY=", 0) == 0 || text.rfind("WAYLAND_DISPLAY=", 0) == 0) continue;
        environment.push_back(*entry);
    }
    environment.push_back(nullptr);
    return environment;
}

}  // namespace

bool startWorker(const char* program, const char* const* arguments, WorkerProcess& worker) {
    worker = WorkerProcess{};
    const char* path = program ? program : "/proc/self/exe";
    std::vector<char*> argv{const_cast<char*>(path)};
    for (const char* const* argument = arguments; *argument; ++argument)
        argv.push_back(const_cast<char*>(*argument));
    argv.push_back(nullptr);

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // dup2 clears close-on-exec on the copy: only the write end reaches the worker.
    posix_spawn_file_actions_adddup2(&actions, ends[1], kReportDescriptor);
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
    // Nothing else of the program's (its display's connection, its sound) is the worker's.
    posix_spawn_file_actions_addclosefrom_np(&actions, kReportDescriptor + 1);
#endif
    pid_t id = -1;
    std::vector<char*> environment = workerEnvironment();
    const int failed = posix_spawn(&id, path, &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        close(ends[0]);
        return false;
    }
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    fcntl(ends[0], F_SETPIPE_SZ, 1 << 20);  // room for a few reports: the worker waits less
    worker.id = id;
    worker.pipe = ends[0];
    return true;
}

long readWorker(WorkerProcess& worker, void* bytes, size_t size) {
    if (worker.pipe < 0) return -1;
    for (;;) {
        const ssize_t count = read(worker.pipe, bytes, size);
        if (count > 0) return long(count);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        close(worker.pipe);  // the end, or an error: nothing more will come
        worker.pipe = -1;
        return -1;
    }
}

void stopWorker(WorkerProcess& worker) {
    if (worker.pipe >= 0) close(worker.pipe);
    if (worker.id > 0) {
        kill(pid_t(worker.id), SIGTERM);
        while (waitpid(pid_t(worker.id), nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    worker = WorkerProcess{};
}

bool writeReport(const void* bytes, size_t size) {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t count = write(kReportDescriptor, at, size);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        at += count;
        size -= size_t(count);
    }
    return true;
}

void settleWorker() {
    setpriority(PRIO_PROCESS, 0, kWorkerNiceness);
    // A reader that has gone must end a write with an error, not the worker by SIGPIPE
    // before it can tell.
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace platform

#else

namespace platform {

bool startWorker(const char*, const char* const*, WorkerProcess& worker) {
    worker = WorkerProcess{};
    return false;
}
long readWorker(WorkerProcess&, void*, size_t) { return -1; }
void stopWorker(WorkerProcess& worker) { worker = WorkerProcess{}; }
bool writeReport(const void*, size_t) { return false; }
void settleWorker() {}

}  // namespace platform

#endif
