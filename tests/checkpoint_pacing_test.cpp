// The seek's checkpoints fitted around the frames: a paced display keeps its refresh.
#include <gtest/gtest.h>

#include "show/checkpoint_pacing.h"

namespace {

TEST(CheckpointPacing, APacedDisplayGivesThemOnlyWhatTheRefreshLeaves) {
    // A window playing as fast as it can: the fixed share, whatever the timing.
    EXPECT_EQ(checkpointBudgetMs(false, 4.17, 1.7), kCheckpointMsPerPass);
    // 60 Hz leaves plenty; 240 Hz with a 1.7 ms frame leaves under a millisecond, and a
    // frame that fills the refresh leaves nothing.
    EXPECT_EQ(checkpointBudgetMs(true, 16.7, 1.7), kCheckpointMsPerPass);
    const double at240 = checkpointBudgetMs(true, 1000.0 / 240, 1.7);
    EXPECT_GT(at240, 0.0);
    EXPECT_LT(at240 + 1.7, 1000.0 / 240);
    EXPECT_EQ(checkpointBudgetMs(true, 4.17, 5.0), 0.0);
    // Before the refresh is known, the fixed share.
    EXPECT_EQ(checkpointBudgetMs(true, 0.0, 1.7), kCheckpointMsPerPass);
}

TEST(CheckpointPacing, TheRefreshIsTheShortestRecentIntervalNotOneThatMissed) {
    CheckpointPacing pacing;
    double at = 100.0;
    for (int i = 0; i < CheckpointPacing::kKept - 1; ++i) {
        notePassEnd(pacing, at);
        at += i % 3 == 0 ? 2.0 / 144 : 1.0 / 144;  // every third pass missed a refresh
    }
    EXPECT_EQ(refreshMs(pacing), 0.0);  // not enough passes yet
    notePassEnd(pacing, at);
    EXPECT_NEAR(refreshMs(pacing), 1000.0 / 144, 1e-6);
    // The ring keeps only the latest: a slower display later is found again.
    for (int i = 0; i < CheckpointPacing::kKept; ++i) notePassEnd(pacing, at += 1.0 / 60);
    EXPECT_NEAR(refreshMs(pacing), 1000.0 / 60, 1e-6);
}

}  // namespace
