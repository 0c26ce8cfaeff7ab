// Box blur with a running sum: constant work per pixel in the middle of each line; only
// the n pixels at either end, whose windows the edge cuts, sum their windows directly.
#include "fx2d/box_blur.h"

#include <algorithm>

#include "core/display.h"

namespace {

// The sum of the window [position - n, position + n - 1], clipped to the line.
int clippedWindowSum(const uint8_t* source, int length, int stride, int n, int position) {
    const int first = std::max(0, position - n);
    const int last = std::min(length - 1, position + n - 1);
    int sum = 0;
    for (int j = first; j <= last; ++j) sum += source[j * stride];
    return sum;
}

// One line of `length` pixels, `stride` bytes apart, blurred from source into destination
// with 1 <= n <= length / 2.
void blurLine(uint8_t* destination, const uint8_t* source, int length, int stride, int n) {
    const int divisor = 2 * n;
    // The edges: the first n and the last n positions.
    for (int x = 0; x < n; ++x)
        destination[x * stride] =
            static_cast<uint8_t>(clippedWindowSum(source, length, stride, n, x) / divisor);
    for (int x = length - n; x < length; ++x)
        destination[x * stride] =
            static_cast<uint8_t>(clippedWindowSum(source, length, stride, n, x) / divisor);
    // The middle stretch, n .. length - n - 1, where every window lies inside the line:
    // slide the window one pixel at a time, adding the pixel that enters and subtracting
    // the one that leaves.
    if (n >= length - n) return;
    int sum = clippedWindowSum(source, length, stride, n, n);
    destination[n * stride] = static_cast<uint8_t>(sum / divisor);
    for (int x = n + 1; x < length - n; ++x) {
        sum += source[(x + n - 1) * stride] - source[(x - n - 1) * stride];
        destination[x * stride] = static_cast<uint8_t>(sum / divisor);
    }
}

}  // namespace

void blurHorizontal(uint8_t* destination, const uint8_t* source, int n) {
    n = std::min(n, kFrameWidth / 2);
    if (n <= 0) {
        copyFrame(destination, source);
        return;
    }
    for (int y = 0; y < kFrameHeight; ++y)
        blurLine(destination + y * kFrameWidth, source + y * kFrameWidth, kFrameWidth, 1, n);
}

void blurVertical(uint8_t* destination, const uint8_t* source, int n) {
    n = std::min(n, kFrameHeight / 2);
    if (n <= 0) {
        copyFrame(destination, source);
        return;
    }
    for (int x = 0; x < kFrameWidth; ++x)
        blurLine(destination + x, source + x, kFrameHeight, kFrameWidth, n);
}
