// Box blur with running sums: each window sum comes from the one before by adding the
// pixel that enters and subtracting the one that leaves, so every pixel costs the same
// whatever the radius. Where the window reaches past the image edge those pixels are
// simply not there to add or subtract, which gives the clipped window sums exactly.
#include "fx2d/box_blur.h"

#include <algorithm>

#include "core/display.h"

namespace {

// Division by 2n as a multiply and a shift, exact: with m = ceil(2^32 / d) and
// e = m * d - 2^32 < d, (s * m) / 2^32 = s / d + s * e / (d * 2^32). Window sums are at
// most 255 * 320 = 81,600 < 2^17 and d <= 320, so s * e < 2^32 and the excess stays
// below 1/d: it never carries s / d past the next whole number.
struct WindowDivider {
    uint64_t reciprocal;
    explicit WindowDivider(int divisor)
        : reciprocal(((uint64_t{1} << 32) + static_cast<uint64_t>(divisor) - 1) /
                     static_cast<uint64_t>(divisor)) {}
    uint8_t operator()(int sum) const {
        return static_cast<uint8_t>((static_cast<uint64_t>(sum) * reciprocal) >> 32);
    }
};

// The window of position p is p - n .. p + n - 1: moving to p + 1, pixel p + n enters
// and pixel p - n leaves, each only if it lies inside the line.
void blurRow(uint8_t* destination, const uint8_t* source, int n, const WindowDivider& divide) {
    int sum = 0;
    for (int j = 0; j < n; ++j) sum += source[j];  // the window of position 0
    for (int x = 0; x < kFrameWidth; ++x) {
        destination[x] = divide(sum);
        if (x + n < kFrameWidth) sum += source[x + n];
        if (x - n >= 0) sum -= source[x - n];
    }
}

}  // namespace

void fast::blurHorizontal(uint8_t* destination, const uint8_t* source, int n) {
    n = std::min(n, kFrameWidth / 2);
    if (n <= 0) {
        copyFrame(destination, source);
        return;
    }
    const WindowDivider divide(2 * n);
    for (int y = 0; y < kFrameHeight; ++y)
        blurRow(destination + y * kFrameWidth, source + y * kFrameWidth, n, divide);
}

// All columns at once, row by row: one running sum per column, moved down a row at a
// time, so that every step reads and writes whole rows.
void fast::blurVertical(uint8_t* destination, const uint8_t* source, int n) {
    n = std::min(n, kFrameHeight / 2);
    if (n <= 0) {
        copyFrame(destination, source);
        return;
    }
    const WindowDivider divide(2 * n);
    int sums[kFrameWidth] = {};
    for (int k = 0; k < n; ++k) {  // the windows of row 0
        const uint8_t* row = source + k * kFrameWidth;
        for (int x = 0; x < kFrameWidth; ++x) sums[x] += row[x];
    }
    for (int y = 0; y < kFrameHeight; ++y) {
        uint8_t* out = destination + y * kFrameWidth;
        for (int x = 0; x < kFrameWidth; ++x) out[x] = divide(sums[x]);
        if (y + n < kFrameHeight) {
            const uint8_t* entering = source + (y + n) * kFrameWidth;
            for (int x = 0; x < kFrameWidth; ++x) sums[x] += entering[x];
        }
        if (y - n >= 0) {
            const uint8_t* leaving = source + (y - n) * kFrameWidth;
            for (int x = 0; x < kFrameWidth; ++x) sums[x] -= leaving[x];
        }
    }
}
