// The metaball polygonizer's flag tables cleared plainly: the whole grid, every surface.
#include "render3d/metaballs.h"

#include <algorithm>
#include <cstring>

namespace plain {

void resetMetaballWork(MetaballWork& work, int gridPoints) {
    std::memset(work.visited, 0, gridPoints);
    std::memset(work.evaluated, 0, gridPoints);
    std::fill(work.edgeVertexCache, work.edgeVertexCache + 3 * gridPoints, kNoMetaballVertex);
    work.visitedCount = work.evaluatedCount = work.vertexEdgeCount = 0;
}

}  // namespace plain
