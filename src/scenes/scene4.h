// Scene 4: a swirling picture shaded by a pulsing sphere of dots smeared into streaks.
#pragma once

#include <cstdint>

#include "core/vector_math.h"

namespace scene4 {

void load();
void unload();
void start();
void render(float t);

// The pieces of render with rules of their own, exposed for the tests.
// Where a view-space vertex is drawn as a dot: sprite `size` (1..9, 2 size pixels
// square) with its top-left corner at (left, top). False when the vertex gets no dot.
struct DotPlacement {
    int size, left, top;
};
bool placeDot(const Vector3& view, DotPlacement& dot);
// How many of the sphere's vertices are drawn at time t (all from about 6.3 s on).
int visibleVertexCount(int vertexCount, float t);
// The fade table entry: the picture colour `colour` darkened by `level` (0..255).
uint8_t fadedColour(int level, int colour);
// The opening wipe: which rows of the finished frame show at time t (t < 2).
bool wipeShowsRow(int row, float t);

}  // namespace scene4
