// The calibration's picture: a small square at the start of every second, else black.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/frame_format.h"
#include "demo/calibration.h"

namespace {

int litPixels(double seconds) {
    std::vector<uint8_t> frame(kFrameSize, 7);
    drawCalibrationFrame(seconds, frame.data());
    int lit = 0;
    for (uint8_t p : frame) {
        EXPECT_TRUE(p == 0 || p == 255);
        lit += p != 0;
    }
    return lit;
}

TEST(Calibration, ASmallSquareForATenthOfEverySecondAndNothingElse) {
    const int square = litPixels(3.0);
    EXPECT_GT(square, 0);
    EXPECT_LT(square, kFrameSize / 100);  // far below the area a flash warning is about
    EXPECT_EQ(litPixels(3.099), square);
    EXPECT_EQ(litPixels(3.1), 0);
    EXPECT_EQ(litPixels(3.95), 0);
    EXPECT_EQ(litPixels(-0.5), 0);
    EXPECT_EQ(litPixels(NAN), 0);
}

}  // namespace
