// Seeking by replay from the scene's beginning or from a checkpoint.
#include "demo/seek.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "core/display.h"
#include "core/random.h"
#include "core/state_record.h"
#include "demo/show_passes.h"
#include "demo/timeline.h"
#include "scenes/scene_table.h"

namespace {

// A checkpoint a second: at most 59 unseen passes before the frame a seek shows.
constexpr long kCheckpointPasses = 60;

// What a scene's pass may change besides the frames: the palette in force, the random
// source (scene 9 draws from it as it starts) and the scene's own state.
struct Snapshot {
    Palette palette;
    uint32_t random = 0;
    StateRecord scene;
};

struct RowSeeking {
    long firstPass = 0;  // the pass on which the row begins
    long endPass = 0;    // one past the last pass the checkpoints cover
    Snapshot loaded;     // the state as loaded
    // Checkpoint k (k from 1) is the state before pass firstPass + k x kCheckpointPasses,
    // at index k - 1; the first `built` are in place.
    std::vector<Snapshot> checkpoints;
    size_t built = 0;

    bool complete() const { return built == checkpoints.size(); }
    long passOfCheckpoint(size_t k) const { return firstPass + long(k) * kCheckpointPasses; }
};

std::vector<RowSeeking> rows;

// The background replay between two of its turns: the row and the next pass it plays.
struct Builder {
    int row = -1;
    long nextPass = 0;
    Snapshot state;
};
Builder builder;

// The live show's frames while the builder has the scenes.
uint8_t liveFrameBuffer[kFrameSize];
uint8_t liveScratchFrame[kFrameSize];
Snapshot liveState;

bool hasState(int row) { return timelineRows[row].keepState != nullptr; }

void take(int row, Snapshot& snapshot) {
    snapshot.palette = currentPalette();
    snapshot.random = randomSourceState();
    snapshot.scene.clear();
    if (hasState(row)) timelineRows[row].keepState(snapshot.scene);
}

void putBack(int row, Snapshot& snapshot) {
    setPalette(&snapshot.palette);
    setRandomSourceState(snapshot.random);
    snapshot.scene.rewind();
    if (hasState(row)) timelineRows[row].restoreState(snapshot.scene);
}

// The row begins as it did in the frame tool's show: from its state as loaded (nothing
// that carries over from visit to visit has been carried yet), then its start.
void beginRow(int row) {
    putBack(row, rows[row].loaded);
    timelineRows[row].start();
}

void playPass(int row, long pass) {
    timelineRows[row].render(sceneSecondsOfPass(pass, rows[row].firstPass, kSeekFps));
    showPaletteChange();
}

// Before playing `pass`: when it is the next checkpoint's, that checkpoint is taken.
void takeCheckpointIfDue(int row, long pass) {
    RowSeeking& r = rows[row];
    if (r.complete() || pass != r.passOfCheckpoint(r.built + 1)) return;
    take(row, r.checkpoints[r.built]);
    ++r.built;
}

size_t checkpointCount(const RowSeeking& r) {
    if (r.endPass <= r.firstPass + 1) return 0;
    return size_t((r.endPass - 1 - r.firstPass) / kCheckpointPasses);
}

void sizeCheckpoints(int row) {
    RowSeeking& r = rows[row];
    if (!hasState(row)) return;
    const size_t count = checkpointCount(r);
    if (count > r.checkpoints.size()) r.checkpoints.resize(count);
}

// The row whose checkpoints are built next: the current one, then the show's order.
int rowToBuild() {
    if (currentScene >= 0 && currentScene < int(rows.size()) && !rows[currentScene].complete())
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

// Where the builder carries on in a row: its own last state when it is still ahead of the
// checkpoints (a seek may have laid some down meanwhile), else the last checkpoint.
long resumeBuilding(int row) {
    RowSeeking& r = rows[row];
    const long frontier = r.passOfCheckpoint(r.built);
    if (builder.row == row && builder.nextPass > frontier) {
        putBack(row, builder.state);
        return builder.nextPass;
    }
    if (r.built == 0) {
        beginRow(row);
        return r.firstPass;
    }
    putBack(row, r.checkpoints[r.built - 1]);
    return frontier;
}

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

void prepareSeeking(double showSeconds) {
    rows.assign(timelineRowCount, RowSeeking{});
    builder = Builder{};
    for (int row = 0; row < timelineRowCount; ++row) {
        RowSeeking& r = rows[row];
        r.firstPass = firstPassOfRow(row, kSeekFps);
        if (row > 0) rows[row - 1].endPass = r.firstPass;
        take(row, r.loaded);
    }
    extendSeekingSpan(showSeconds);
    for (int row = 0; row + 1 < timelineRowCount; ++row) sizeCheckpoints(row);
}

void extendSeekingSpan(double showSeconds) {
    if (rows.empty()) return;
    const int last = int(rows.size()) - 1;
    rows[last].endPass =
        std::max(rows[last].endPass, passAtOrAfter(showSeconds, kSeekFps) + 1);
    sizeCheckpoints(last);
}

double rowShowSeconds(int row) {
    if (row < 0 || row >= int(rows.size())) return 0.0;
    return rows[row].firstPass / kSeekFps;
}

SeekResult seekShow(double showSeconds) {
    if (rows.empty()) prepareSeeking(showSeconds);
    const long pass = passAtOrAfter(showSeconds, kSeekFps);
    const int row = rowOfPass(pass);
    RowSeeking& r = rows[row];

    // The nearest start before the pass: the row's beginning, or a checkpoint (a scene
    // with no state to hand on needs only the pass itself).
    long from = pass;
    const size_t k = std::min(size_t((pass - r.firstPass) / kCheckpointPasses), r.built);
    if (!hasState(row)) {
        beginRow(row);
    } else if (k == 0) {
        beginRow(row);
        from = r.firstPass;
    } else {
        putBack(row, r.checkpoints[k - 1]);
        from = r.passOfCheckpoint(k);
    }

    hidePresentation(true);
    for (long p = from; p < pass; ++p) {
        if (hasState(row)) takeCheckpointIfDue(row, p);
        playPass(row, p);
    }
    hidePresentation(false);
    if (hasState(row)) takeCheckpointIfDue(row, pass);
    playPass(row, pass);

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

    RowSeeking& r = rows[row];
    long pass = resumeBuilding(row);
    while (!r.complete()) {
        takeCheckpointIfDue(row, pass);
        if (r.complete()) break;
        playPass(row, pass);
        ++pass;
        if (millisecondsSince(start) >= budgetMilliseconds) break;
    }
    if (r.complete()) {
        builder.row = -1;
    } else {
        take(row, builder.state);
        builder.row = row;
        builder.nextPass = pass;
    }

    putBack(row, liveState);
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
        for (size_t k = 0; k < r.built; ++k) bytes += sizeof(Snapshot) + r.checkpoints[k].scene.size();
    }
    return bytes;
}
