// The scenes' rules in time and on the screen.
#include "scenes/scene_rules.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "platform/frame_size.h"

namespace scene4 {

bool placeDot(const Vector3& view, DotPlacement& dot) {
    // Only points in front of the eye project (this also keeps z = 0, infinities and NaN
    // away from the divisions); nearer dots are bigger, and none is drawn beyond depth 8.
    if (!(view.z > 0.0f)) return false;
    const int size = truncToInt(9.0 - view.z);
    if (size < 1 || size > kLargestDot) return false;
    const int sx = truncToInt(160.0 + 256.0 * view.x / view.z);
    const int sy = truncToInt(120.0 + 256.0 * view.y / view.z);
    // The dot must keep a margin of its own width from every edge.
    if (sx <= 2 * size || sx >= kFrameWidth - 2 * size) return false;
    if (sy <= 2 * size || sy >= kFrameHeight - 2 * size) return false;
    dot = {size, sx, sy - size};
    return true;
}

int visibleVertexCount(int vertexCount, float t) {
    return truncToInt(vertexCount * std::min(1.0, 0.025 * t * t));
}

bool wipeShowsRow(int row, float t) {
    if (row % 2 == 0) {
        const int h = truncToInt(120.0 * std::min(t, 1.0f));
        return row <= std::min(2 * h, 238);
    }
    if (!(t > 1.0f)) return false;
    const int m = truncToInt(240.0 * (2.0 - t));
    const int rowsFromBottom = (241 - m) / 2;  // rows 239, 237, ...
    return m <= 239 && row >= 241 - 2 * rowsFromBottom;
}

}  // namespace scene4

namespace scene5 {

float fadeFactor(float t) {
    const float f = (5.0f - t) * 0.2f;
    return f < 0.0f ? 0.0f : f;
}

int horizontalBlurRadius(float t) {
    return truncToInt((std::cos(1.9 * t) + 1.0) * 25.0 * fadeFactor(t));
}

int verticalBlurRadius(float t) {
    return truncToInt((std::sin(3.4 * t + 34.0) + 1.0) * 25.0 * fadeFactor(t));
}

int dissolveReach(float t) {
    return std::min(truncToInt((1.0 - (t - kFreezeTime) * 0.5) * 264.0), 264);
}

int blockInset(int reach, int mapValue) {
    const int d = reach - mapValue;
    if (d < 0) return 8;  // gone
    return d > 8 ? 0 : 8 - d;
}

}  // namespace scene5

namespace scene7 {
namespace {

constexpr float kWindowLength = 2.0f;
constexpr float kEnvironmentMapFrom = 9.5f;
constexpr float kBlurGrowsFrom = 17.5f;
constexpr float kBlurGrowth = 7.0f;  // pixels of radius per second

}  // namespace

void advanceClock(WindowClock& clock, float t) {
    float step = t - clock.lastFrame;
    if (!isFiniteValue(step)) step = 0.0f;
    // Dropping whole seconds one at a time leaves exactly what fmod leaves.
    if (step >= 1.0f) step = std::fmod(step, 1.0f);
    clock.time += step;
    clock.lastFrame = t;
}

bool ballsMoveAt(float t) { return truncToInt(t / kWindowLength) % 2 == 0; }

bool environmentMappedAt(float t) { return t >= kEnvironmentMapFrom; }

BlurRadii blurRadiiAt(float t) {
    const float growth = t < kBlurGrowsFrom ? 0.0f : kBlurGrowth * (t - kBlurGrowsFrom);
    return {truncToInt(6.0f * std::sin(2.7f * t) + 6.0f + growth),
            truncToInt(4.0f * std::cos(5.0f - 3.8f * t) + 4.0f + growth)};
}

}  // namespace scene7

namespace scene8 {

ShapeParameters shapeAt(float t) {
    const float major = 1.0f + 0.76f * std::cos(1.777f * t);
    return {major, major - 0.25f * (std::sin(1.1f * t) + 1.0f),
            2.0f * (std::cos(2.3f * t + 2.0f) + 1.0f), 2.0f * (std::cos(12.0f - 3.2f * t) + 1.0f)};
}

}  // namespace scene8

namespace scene9 {
namespace {

constexpr float kBurstSeconds = 2.0f;  // random start velocities until then

}  // namespace

bool UpdateTurn::take(float t) {
    if (!(t > kBurstSeconds)) return false;
    const bool due = flag == 0;
    flag = flag == 0 ? 1 : 0;
    return due;
}

}  // namespace scene9
