// Golden frames: the show played by the simulated 60 fps clock, with a hash of the frame
// on screen (palette indices and the palette in force) at about a hundred show times:
// every scene, its fades, wipes and dissolves, and the last scene a minute in. Any change
// that alters a frame fails here. A change that alters frames on purpose updates the
// table in the same commit; DORMINAX_PRINT_GOLDEN=1 prints the table as it now is.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/display.h"
#include "demo/simulated_show.h"

namespace {

struct GoldenFrame {
    double showSeconds;
    uint64_t hash;
};

// FNV-1a, 64 bits.
uint64_t hashBytes(uint64_t hash, const uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001B3ull;
    }
    return hash;
}

uint64_t hashFrameOnScreen() {
    const uint64_t hash = hashBytes(0xCBF29CE484222325ull, frameOnScreen(), kFrameSize);
    return hashBytes(hash, currentPalette().rgb, sizeof currentPalette().rgb);
}

// Scene changes by the table fall at 30, 50, 67, 87, 95, 100, 120 and 145 s.
const GoldenFrame kGolden[] = {
#include "golden_frames.inc"
};

}  // namespace

TEST(GoldenFrames, TheShowDrawsTodaysFramesAtEveryCheckedTime) {
    const bool print = std::getenv("DORMINAX_PRINT_GOLDEN") != nullptr;
    SimulatedShow show(60.0);
    ASSERT_TRUE(show.start());
    for (const GoldenFrame& golden : kGolden) {
        show.runUntil(golden.showSeconds);
        const uint64_t hash = hashFrameOnScreen();
        if (print) std::printf("    {%.2f, 0x%016llxull},\n", golden.showSeconds,
                               static_cast<unsigned long long>(hash));
        EXPECT_EQ(hash, golden.hash) << "the frame at " << golden.showSeconds << " s changed";
    }
    show.finish();
}
