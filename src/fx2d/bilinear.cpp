// Fixed-point bilinear sampler and zoom feedback, made quick: each run along a row keeps
// what the row shares, and four rows run side by side. One table lookup, four multiplies
// and a shift per pixel, in place, with no second buffer. The plain pass, pixel after
// pixel in the order it is defined, is in bilinear_plain.cpp; start there. This one
// gives every pixel the very same value.
#include "fx2d/bilinear.h"

#include <algorithm>
#include <cstddef>

#include "core/display.h"
#include "core/fixed_point.h"

namespace {

// Entry fx * 16 + fy. File-level work table, built once at start-up.
BilinearWeightEntry weightTable[256];

}  // namespace

void buildBilinearWeights() {
    for (int fx = 0; fx < 16; ++fx) {
        for (int fy = 0; fy < 16; ++fy) {
            BilinearWeightEntry& w = weightTable[fx * 16 + fy];
            w.lowerRight = static_cast<uint8_t>(fx * fy / 16);
            w.lowerLeft = static_cast<uint8_t>((16 - fx) * fy / 16);
            w.upperRight = static_cast<uint8_t>(fx * (16 - fy) / 16);
            // The rest, so that the four always add up to exactly 16.
            w.upperLeft = static_cast<uint8_t>(16 - w.lowerRight - w.lowerLeft - w.upperRight);
        }
    }
}

const BilinearWeightEntry& bilinearWeights(int fx, int fy) {
    return weightTable[(fx & 15) * 16 + (fy & 15)];
}

namespace {

// A run along one row (dy = 0), which is every run of the zoom: the sample row, its
// fraction and its lower neighbour stay the same for the whole run, and the weights come
// from the table's column for that fraction. Each pixel gets the very sum and blend the
// plain blendSample would give it, from the image as the run has left it so far.
class RowRun {
public:
    RowRun() = default;
    RowRun(uint8_t* image, int32_t i, int32_t y, int32_t x, int32_t dx, int32_t rowOffset,
           int32_t iStep)
        : pixel_(image + rowOffset + i),
          upper_(image + floorFixed16(y) * kFrameWidth),
          down_(sixteenthsOfFixed16(y) != 0 ? kFrameWidth : 0),
          weights_(weightTable + sixteenthsOfFixed16(y)),  // entry fx is at fx * 16
          x_(x),
          dx_(dx),
          step_(iStep) {}

    void blendNext() {
        const int32_t fx = sixteenthsOfFixed16(x_);
        const BilinearWeightEntry w = weights_[fx * 16];
        const uint8_t* sample = upper_ + floorFixed16(x_);
        const ptrdiff_t right = fx != 0 ? 1 : 0;
        const int32_t sum = sample[0] * w.upperLeft + sample[right] * w.upperRight +
                            sample[down_] * w.lowerLeft + sample[down_ + right] * w.lowerRight;
        *pixel_ = static_cast<uint8_t>((sum * 15 + *pixel_ * 16) >> 8);
        pixel_ += step_;
        x_ += dx_;
    }

private:
    uint8_t* pixel_;
    const uint8_t* upper_;
    ptrdiff_t down_;
    const BilinearWeightEntry* weights_;
    Fixed16 x_;
    Fixed16 dx_;
    ptrdiff_t step_;
};

// One quarter of the zoom: rows from cy outward (rowStep -1 up, +1 down) while inside
// the image, each row from its first column outward by columnStep for `length` pixels.
//
// A pixel's sample lies between it and the centre, so it reads only pixels of the
// rectangle between it and the centre: rows nearer the centre, and the nearer columns of
// its own row. A row therefore reads the row before it (nearer the centre) only at
// columns from its own toward the centre, and can run beside it a pixel behind: it still
// finds everything it reads as finished as if the rows ran one after the other. Rows
// side by side give the processor independent chains of reads and writes, where a single
// row waits on each pixel it has just written.
void blendQuarter(uint8_t* image, int cx, int cy, int k, int firstRow, int rowStep,
                  int firstColumn, int columnStep, int length) {
    if (length <= 0) return;
    auto inImage = [](int r) { return r >= 1 && r < kFrameHeight; };
    constexpr int kSideBySide = 4;
    for (int r = firstRow; inImage(r); r += kSideBySide * rowStep) {
        RowRun runs[kSideBySide];
        int rows = 0;
        for (; rows < kSideBySide && inImage(r + rows * rowStep); ++rows) {
            const int row = r + rows * rowStep;
            runs[rows] = RowRun(image, firstColumn, toFixed16(cy) + (row - cy) * k,
                                toFixed16(cx) + (firstColumn - cx) * k, columnStep * k,
                                row * kFrameWidth, columnStep);
        }
        // Step n blends pixel n - j of row j. While every row is under way the steps are
        // written out; the first and last few check which rows have a pixel.
        auto checkedStep = [&](int n) {
            for (int j = 0; j < rows; ++j) {
                if (n - j >= 0 && n - j < length) runs[j].blendNext();
            }
        };
        int n = 0;
        for (; n < rows - 1; ++n) checkedStep(n);
        if (rows == kSideBySide) {
            for (; n < length; ++n) {
                runs[0].blendNext();
                runs[1].blendNext();
                runs[2].blendNext();
                runs[3].blendNext();
            }
        }
        for (; n < length + rows - 1; ++n) checkedStep(n);
    }
}

}  // namespace

void fast::zoomBlend(uint8_t* image, int cx, int cy, int k) {
    cx = std::clamp(cx, 0, kFrameWidth - 1);
    cy = std::clamp(cy, 0, kFrameHeight - 1);
    k = std::clamp(k, 1, 65535);
    // Four quarters, each row going outward from the centre column, the rows going
    // outward from the centre row: up and leftward (columns cx down to 1), down and
    // leftward, up and rightward (columns cx + 1 up to 319), down and rightward.
    // Samples lie between the centre and the pixel, so each reads pixels this pass has
    // mostly already blended: that draws the streaks.
    const int leftward = cx;                      // columns cx .. 1
    const int rightward = kFrameWidth - 1 - cx;  // columns cx + 1 .. 319
    blendQuarter(image, cx, cy, k, cy, -1, cx, -1, leftward);
    blendQuarter(image, cx, cy, k, cy + 1, 1, cx, -1, leftward);
    blendQuarter(image, cx, cy, k, cy, -1, cx + 1, 1, rightward);
    blendQuarter(image, cx, cy, k, cy + 1, 1, cx + 1, 1, rightward);
}
