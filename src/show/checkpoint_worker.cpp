// The helper process that lays the seek's checkpoints down.
#include "show/checkpoint_worker.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/display.h"
#include "platform/data_path.h"
#include "safety/gentle_limiter.h"
#include "show/loading_screen.h"
#include "show/seek.h"
#include "show/timeline.h"

namespace {

// The helper's replay between hand-overs: short, so that the first checkpoints come soon.
constexpr double kReplaySliceMs = 20.0;
// The most a pass reads: a few records (a checkpoint of the scenes' state is tens of
// kilobytes), a fraction of a millisecond to copy.
constexpr size_t kBytesReadPerPass = 1 << 20;
constexpr size_t kReadChunk = 64 * 1024;
// Far beyond any checkpoint: a length above it is no record of this program's.
constexpr uint32_t kLongestRecord = 64u << 20;

bool sendRecord(const std::vector<uint8_t>& record) {
    const uint32_t length = uint32_t(record.size());
    return platform::writeReport(&length, sizeof length) &&
           platform::writeReport(record.data(), record.size());
}

// Installs the whole records at the front of the inbox and keeps the rest; false for
// bytes that are no records (the helper is then let go).
bool installWholeRecords(std::vector<uint8_t>& inbox) {
    size_t at = 0;
    while (inbox.size() - at >= sizeof(uint32_t)) {
        uint32_t length = 0;
        std::memcpy(&length, inbox.data() + at, sizeof length);
        if (length > kLongestRecord) return false;
        if (inbox.size() - at - sizeof length < length) break;
        if (!installLaidRecord(inbox.data() + at + sizeof length, length)) return false;
        at += sizeof length + length;
    }
    inbox.erase(inbox.begin(), inbox.begin() + long(at));
    return true;
}

}  // namespace

int runCheckpointWorker(const DemoOptions& options) {
    platform::settleWorker();
    setDataFolder(options.dataFolder);
    resetTimeline();
    hidePresentation(true);
    installGentleLimiter();  // the gentle show's history goes into every checkpoint
    loadScenes();  // as the show loads, so that every row starts from the same state
    prepareSeeking(options.layCheckpointsSeconds, kHelperReplayMsPerCheckpoint);
    std::vector<std::vector<uint8_t>> records;
    bool more = true;
    while (more) {
        more = buildCheckpoints(kReplaySliceMs);
        records.clear();
        collectLaidRecords(records);
        for (const std::vector<uint8_t>& record : records) {
            if (!sendRecord(record)) return 1;  // the show has gone
        }
    }
    return 0;
}

bool startCheckpointWorker(CheckpointWorker& worker, const DemoOptions& options,
                           double showSeconds, const char* program) {
    worker = CheckpointWorker{};
    char span[32];
    std::snprintf(span, sizeof span, "%.17g", showSeconds);
    std::vector<const char*> arguments{"--lay-checkpoints", span};
    if (!options.dataFolder.empty()) {
        arguments.push_back("--data");
        arguments.push_back(options.dataFolder.c_str());
    }
    arguments.push_back(nullptr);
    worker.running = platform::startWorker(program, arguments.data(), worker.process);
    return worker.running;
}

bool pollCheckpointWorker(CheckpointWorker& worker) {
    if (!worker.running) return false;
    for (size_t read = 0; read < kBytesReadPerPass;) {
        const size_t held = worker.inbox.size();
        worker.inbox.resize(held + kReadChunk);
        const long count = platform::readWorker(worker.process, worker.inbox.data() + held,
                                                kReadChunk);
        worker.inbox.resize(held + size_t(count > 0 ? count : 0));
        if (count < 0) {
            stopCheckpointWorker(worker);  // ended: what it handed over whole is in place
            if (!checkpointsComplete())
                std::fputs("dorminax: the checkpoint helper stopped; laying them here\n", stderr);
            return false;
        }
        if (!installWholeRecords(worker.inbox)) {
            std::fputs("dorminax: the checkpoint helper sent no records; laying them here\n",
                       stderr);
            stopCheckpointWorker(worker);
            return false;
        }
        if (count == 0) break;
        read += size_t(count);
    }
    return true;
}

void stopCheckpointWorker(CheckpointWorker& worker) {
    platform::stopWorker(worker.process);
    worker.inbox.clear();
    worker.running = false;
}
