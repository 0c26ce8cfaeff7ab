// Seeking by replay from the scene's beginning or from a checkpoint.
#include "show/seek.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "core/clock.h"
#include "core/display.h"
#include "core/random.h"
#include "core/state_record.h"
#include "show/show_passes.h"
#include "show/timeline.h"
#include "safety/gentle_limiter.h"
#include "scenes/scene_table.h"

namespace {

// A checkpoint whenever the passes since the last took this long to play (seek.h).
double replayMsPerCheckpoint = kReplayMsPerCheckpoint;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What a scene's pass may change besides the frames: the palette in force, the random
// source (scene 9 draws from it as it starts), the scene's own state, and the gentle
// show's limiter, whose history runs through the whole show.
struct Snapshot {
    Palette palette;
    uint32_t random = 0;
    StateRecord scene;
    FlashLimiter limiter;
};

// The state before a pass of the row.
struct Checkpoint {
    long pass;
    Snapshot state;
};

struct RowSeeking {
    long firstPass = 0;  // the pass on which the row begins
    long endPass = 0;    // one past the last pass a seek may ask for
    Snapshot loaded;     // the state as loaded
    std::vector<Checkpoint> checkpoints;  // by pass
    // How far the replay that lays the checkpoints down has come: the state before
    // progressPass, and the time its passes took since the last checkpoint.
    long progressPass = 0;
    Snapshot progress;
    double msSinceCheckpoint = 0.0;
    bool hasState = false;
    // What a helper process has handed over of it: the checkpoints, and whether the
    // state at the row's end.
    size_t checkpointsHandedOver = 0;
    bool endHandedOver = false;
    // The limiter as the row begins: the one at the end of the row before, known once
    // that row's replay is complete. A row's checkpoints are laid down only then.
    FlashLimiter limiterAtStart;
    bool limiterKnown = false;

    bool complete() const { return progressPass >= endPass; }
};

std::vector<RowSeeking> rows;

// The live show's frames and state while the checkpoints' replay has the scenes.
uint8_t liveFrameBuffer[kFrameSize];
uint8_t liveScratchFrame[kFrameSize];
Snapshot liveState;

void take(int row, Snapshot& snapshot) {
    snapshot.palette = currentPalette();
    snapshot.random = randomSourceState();
    snapshot.scene.clear();
    if (rows[row].hasState) timelineRows[row].keepState(snapshot.scene);
    snapshot.limiter = gentleLimiter();
}

void putBack(int row, Snapshot& snapshot) {
    setPalette(&snapshot.palette);
    setRandomSourceState(snapshot.random);
    snapshot.scene.rewind();
    if (rows[row].hasState) timelineRows[row].restoreState(snapshot.scene);
    setGentleLimiter(snapshot.limiter);
}

// The row begins as it did in the frame tool's show: from its state as loaded (nothing
// that carries over from visit to visit has been carried yet), then its start.
void beginRow(int row) {
    putBack(row, rows[row].loaded);
    setGentleLimiter(rows[row].limiterAtStart);
    timelineRows[row].start();
}

void playPass(int row, long pass) {
    replayGentleAt(secondsOfTicks(ticksOfPass(pass, kSeekFps)));  // the frame tool's clock
    timelineRows[row].render(sceneSecondsOfPass(pass, rows[row].firstPass, kSeekFps));
    showPaletteChange();
}

// The checkpoints' replay picks up where it stopped in the row.
void resumeProgress(int row) {
    RowSeeking& r = rows[row];
    if (r.progressPass == r.firstPass) beginRow(row);
    else putBack(row, r.progress);
}

// A row's replay has reached its end: the limiter there is the next row's at its start.
void handLimiterOn(int row, const FlashLimiter& limiterAtEnd) {
    if (row + 1 >= int(rows.size())) return;
    rows[row + 1].limiterAtStart = limiterAtEnd;
    rows[row + 1].limiterKnown = true;
}

// One pass of the checkpoints' replay: a checkpoint first when one is due, then the pass,
// timed. Seen or not as the presentation stands.
void playProgressPass(int row) {
    RowSeeking& r = rows[row];
    if (r.msSinceCheckpoint >= replayMsPerCheckpoint) {
        r.checkpoints.push_back({r.progressPass, Snapshot{}});
        take(row, r.checkpoints.back().state);
        r.msSinceCheckpoint = 0.0;
    }
    const Clock::time_point before = Clock::now();
    playPass(row, r.progressPass);
    r.msSinceCheckpoint += millisecondsSince(before);
    ++r.progressPass;
    if (r.progressPass == r.endPass) handLimiterOn(row, gentleLimiter());
}

// The row whose checkpoints are laid down next: the current one when the limiter's state at
// its start is known, then the show's order.
int rowToBuild() {
    if (currentScene >= 0 && currentScene < int(rows.size()) && !rows[currentScene].complete() &&
        rows[currentScene].limiterKnown)
        return currentScene;
    for (int row = 0; row < int(rows.size()); ++row) {
        if (!rows[row].complete()) return row;
    }
    return -1;
}

// The row on a pass of the frame tool's show.
int rowOfPass(long pass) {
    int row = 0;
    while (row + 1 < int(rows.size()) && pass >= rows[row + 1].firstPass) ++row;
    return row;
}

// Puts the row's state before a pass that the checkpoints' replay has passed: from the
// last checkpoint at or before it, or the row's beginning; returns the pass it is at.
long restoreBefore(int row, long pass) {
    RowSeeking& r = rows[row];
    const auto after = std::upper_bound(
        r.checkpoints.begin(), r.checkpoints.end(), pass,
        [](long p, const Checkpoint& checkpoint) { return p < checkpoint.pass; });
    if (after == r.checkpoints.begin()) {
        beginRow(row);
        return r.firstPass;
    }
    Checkpoint& checkpoint = *(after - 1);
    putBack(row, checkpoint.state);
    return checkpoint.pass;
}

// Goes on with a row's replay, laying its checkpoints down, for about this long.
void layCheckpoints(int row, double budgetMilliseconds) {
    const Clock::time_point start = Clock::now();
    RowSeeking& r = rows[row];
    resumeProgress(row);
    while (!r.complete()) {
        playProgressPass(row);
        if (millisecondsSince(start) >= budgetMilliseconds) break;
    }
    take(row, r.progress);
}

// The gentle show's limiter at a row's start comes from the rows before it: their
// replays are completed first, unseen.
void completeRowsBefore(int row) {
    if (rows[row].limiterKnown) return;
    hidePresentation(true);
    for (int earlier = 0; earlier < row; ++earlier) {
        if (!rows[earlier].complete()) layCheckpoints(earlier, 1e300);
    }
    hidePresentation(false);
}

// A record of the state before a pass, as a helper process hands it over: the row, the
// pass, whether it is a checkpoint (or the row's end), then the snapshot.
void keepRecord(int row, long pass, bool checkpoint, const Snapshot& snapshot,
                StateRecord& record) {
    record.clear();
    record.keep(int32_t(row));
    record.keep(int64_t(pass));
    record.keep(uint8_t(checkpoint));
    record.keep(snapshot.palette);
    record.keep(snapshot.random);
    record.keep(uint64_t(snapshot.scene.size()));
    record.keep(snapshot.scene.data(), snapshot.scene.size());
    snapshot.limiter.keep(record);
}

struct HandedRecord {
    int row = -1;
    long pass = 0;
    bool checkpoint = false;
    Snapshot snapshot;
};

// The limiter's part of a record is the same size whatever its history.
size_t limiterRecordSize() {
    StateRecord record;
    FlashLimiter{}.keep(record);
    return record.size();
}

// Reads a record back; false for one of another length than its parts say.
bool readRecord(const uint8_t* bytes, size_t size, HandedRecord& out) {
    int32_t row = 0;
    int64_t pass = 0;
    uint8_t checkpoint = 0;
    uint64_t sceneSize = 0;
    constexpr size_t kHead = sizeof row + sizeof pass + sizeof checkpoint + sizeof(Palette) +
                             sizeof(uint32_t) + sizeof sceneSize;
    if (size < kHead) return false;
    StateRecord head;
    head.assign(bytes, kHead);
    head.restore(row);
    head.restore(pass);
    head.restore(checkpoint);
    head.restore(out.snapshot.palette);
    head.restore(out.snapshot.random);
    head.restore(sceneSize);
    static const size_t kLimiterSize = limiterRecordSize();
    if (sceneSize > size - kHead || size - kHead - sceneSize != kLimiterSize) return false;
    out.row = row;
    out.pass = long(pass);
    out.checkpoint = checkpoint != 0;
    out.snapshot.scene.assign(bytes + kHead, size_t(sceneSize));
    StateRecord limiter;
    limiter.assign(bytes + kHead + sceneSize, size - kHead - size_t(sceneSize));
    out.snapshot.limiter.restore(limiter);
    return true;
}

}  // namespace

void prepareSeeking(double showSeconds, double msPerCheckpoint) {
    replayMsPerCheckpoint = msPerCheckpoint;
    rows.assign(timelineRowCount, RowSeeking{});
    for (int row = 0; row < timelineRowCount; ++row) {
        RowSeeking& r = rows[row];
        r.hasState = timelineRows[row].keepState != nullptr;
        r.firstPass = firstPassOfRow(row, kSeekFps);
        r.progressPass = r.firstPass;
        if (row > 0) rows[row - 1].endPass = r.firstPass;
        take(row, r.loaded);
    }
    if (!rows.empty()) {
        rows[0].limiterAtStart = FlashLimiter{};
        rows[0].limiterKnown = true;
    }
    extendSeekingSpan(showSeconds);
}

void extendSeekingSpan(double showSeconds) {
    if (rows.empty()) return;
    RowSeeking& last = rows.back();
    last.endPass = std::max(last.endPass, passAtOrAfter(showSeconds, kSeekFps) + 1);
}

double rowShowSeconds(int row) {
    if (row < 0 || row >= timelineRowCount) return 0.0;
    const long pass = row < int(rows.size()) ? rows[row].firstPass : firstPassOfRow(row, kSeekFps);
    return pass / kSeekFps;
}

SeekResult seekShow(double showSeconds) {
    if (rows.empty()) prepareSeeking(showSeconds);
    const long pass = passAtOrAfter(showSeconds, kSeekFps);
    const int row = rowOfPass(pass);
    RowSeeking& r = rows[row];
    if (gentleMode()) completeRowsBefore(row);

    if (!r.hasState && !gentleMode()) {
        // Every frame stands alone once start has run (in the gentle show the limiter's
        // history does not).
        beginRow(row);
        playPass(row, pass);
    } else if (pass < r.progressPass || !r.limiterKnown) {
        // Within the checkpoints: at most their spacing of unseen passes.
        long from = restoreBefore(row, pass);
        hidePresentation(true);
        for (; from < pass; ++from) playPass(row, from);
        hidePresentation(false);
        playPass(row, pass);
    } else {
        // Beyond them: the checkpoints' replay goes on up to the pass, laying them down,
        // and from the state after it later.
        resumeProgress(row);
        hidePresentation(true);
        while (r.progressPass < pass) playProgressPass(row);
        hidePresentation(false);
        playProgressPass(row);
        take(row, r.progress);
    }
    runGentleClockOn();

    const float sceneSeconds = sceneSecondsOfPass(pass, r.firstPass, kSeekFps);
    setCurrentRow(row, sceneSeconds);
    return {pass, pass / kSeekFps, row, sceneSeconds};
}

bool buildCheckpoints(double budgetMilliseconds) {
    const int row = rowToBuild();
    if (row < 0) return false;
    const Clock::time_point start = Clock::now();

    // The live show's state aside: its frames, and what the row's passes change.
    std::memcpy(liveFrameBuffer, FrameBuffer, kFrameSize);
    std::memcpy(liveScratchFrame, ScratchFrame, kFrameSize);
    take(row, liveState);
    hidePresentation(true);

    layCheckpoints(row, budgetMilliseconds - millisecondsSince(start));

    putBack(row, liveState);
    endGentleReplay();
    std::memcpy(FrameBuffer, liveFrameBuffer, kFrameSize);
    std::memcpy(ScratchFrame, liveScratchFrame, kFrameSize);
    hidePresentation(false);
    return rowToBuild() >= 0;
}

void buildAllCheckpoints() {
    while (buildCheckpoints(1000.0)) {
    }
}

double checkpointBytes() {
    double bytes = 0.0;
    for (const RowSeeking& r : rows) {
        for (const Checkpoint& checkpoint : r.checkpoints)
            bytes += sizeof(Checkpoint) + checkpoint.state.scene.size();
    }
    return bytes;
}

std::vector<long> dearestSeekPasses() {
    std::vector<long> passes;
    for (const RowSeeking& r : rows) {
        passes.push_back(r.firstPass);
        for (const Checkpoint& checkpoint : r.checkpoints) passes.push_back(checkpoint.pass - 1);
        if (r.endPass - 1 > r.firstPass) passes.push_back(r.endPass - 1);
    }
    return passes;
}

void collectLaidRecords(std::vector<std::vector<uint8_t>>& records) {
    StateRecord record;
    for (int row = 0; row < int(rows.size()); ++row) {
        RowSeeking& r = rows[row];
        for (; r.checkpointsHandedOver < r.checkpoints.size(); ++r.checkpointsHandedOver) {
            const Checkpoint& checkpoint = r.checkpoints[r.checkpointsHandedOver];
            keepRecord(row, checkpoint.pass, true, checkpoint.state, record);
            records.emplace_back(record.data(), record.data() + record.size());
        }
        if (r.complete() && !r.endHandedOver) {
            keepRecord(row, r.progressPass, false, r.progress, record);
            records.emplace_back(record.data(), record.data() + record.size());
            r.endHandedOver = true;
        }
    }
}

bool installLaidRecord(const uint8_t* bytes, size_t size) {
    HandedRecord record;
    if (!readRecord(bytes, size, record)) return false;
    if (record.row < 0 || record.row >= int(rows.size())) return false;
    RowSeeking& r = rows[record.row];
    // A pass this show's replay has reached already (a seek went there), or one past its
    // span (the helper's last row ran longer): nothing to add.
    if (record.pass <= r.progressPass || record.pass > r.endPass) return true;
    if (record.checkpoint) r.checkpoints.push_back({record.pass, record.snapshot});
    r.progressPass = record.pass;
    r.progress = std::move(record.snapshot);
    r.msSinceCheckpoint = 0.0;
    if (r.complete()) handLimiterOn(record.row, r.progress.limiter);
    return true;
}

bool checkpointsComplete() { return !rows.empty() && rowToBuild() < 0; }
