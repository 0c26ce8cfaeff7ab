// The metaball polygonizer: from each ball a march along +x to the surface, then a
// depth-first walk over the cells the surface crosses, sharing edge vertices through a
// cache and taking normals from the field's gradient.
#include "render3d/metaballs.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "core/numeric.h"
#include "render3d/marching_cubes_tables.h"

namespace {

constexpr int kMaxGridPoints = kMaxMetaballGridPoints;
constexpr int kMaxCells = (kMaxMetaballGrid - 1) * (kMaxMetaballGrid - 1) * (kMaxMetaballGrid - 1);
constexpr int16_t kNoVertex = kNoMetaballVertex;

// Working storage, sized for the largest grid and shared by every MetaballMesh: only one
// polygonize runs at a time.
MetaballWork work;                     // the flags, and what the last surface set in them
float fieldValues[kMaxGridPoints];     // per grid point flagged as evaluated: its value
int cornerOffsets[8];                  // linear index of each cube corner from the cell's
Vector3 cornerPositions[8];            // position of each cube corner from the cell's lowest
float cornerValues[8];                 // the field at the current cell's corners

// The faces across which the walk continues: when the surface cuts one of a face's four
// edges it must go on in the cell beyond that face.
struct Neighbour {
    uint16_t edges;
    int8_t di, dj, dk;
};
const Neighbour kNeighbours[] = {
    {0x622, 1, 0, 0},   // edges 1, 5, 9, 10: the +x face
    {0x988, -1, 0, 0},  // edges 3, 7, 8, 11: the -x face
    {0x0F0, 0, 1, 0},   // edges 4 to 7: the +y face
    {0x00F, 0, -1, 0},  // edges 0 to 3: the -y face
    {0xC44, 0, 0, 1},   // edges 2, 6, 10, 11: the +z face
};
constexpr int kNeighbourCount = 5;
// Edges 0, 4, 8, 9: the -z face. This neighbour comes last and continues the same walk.
constexpr uint16_t kBelowEdges = 0x311;

// One cell of the depth-first walk: where it is, which edges the surface cuts there, and
// which neighbour it will try next. A cell not yet entered has not been checked at all.
struct WalkFrame {
    int cell;
    float x, y, z;  // the position of the cell's lowest corner
    uint16_t mask;
    int8_t i, j, k;
    int8_t nextNeighbour;
};
constexpr int8_t kNotEntered = -1;

// The walk keeps its own stack, as deep as the largest grid has cells: every frame on it
// but the top one stands for a distinct cell the walk has entered.
WalkFrame walkStack[kMaxCells + 1];

// One polygonize call: the mesh being filled, its grid, and the limits it must keep.
struct SurfaceBuild {
    MetaballMesh& blob;
    int n;
    float s;
    int vertexLimit;
    int faceLimit;
    bool full;  // a cell did not fit: nothing more is added this call
};

float fieldAt(const SurfaceBuild& build, int gridPoint, const Vector3& p) {
    float f = 0.0f;
    for (int b = 0; b < build.blob.ballCount; ++b) {
        const Vector3 d = p - build.blob.balls[b];
        f += 1.0f / (d.x * d.x + d.y * d.y + d.z * d.z);
    }
    // A grid point exactly on a ball centre: a finite value keeps the edge interpolation
    // defined (and it is inside, as the infinite value would be).
    if (!(f <= FLT_MAX)) f = FLT_MAX;
    fieldValues[gridPoint] = f;
    work.evaluated[gridPoint] = 1;
    return f;
}

// Fills cornerValues for the cell whose lowest corner is at (x, y, z) and returns its
// cube index: bit c is set when corner c lies below the threshold (outside).
int evaluateCorners(const SurfaceBuild& build, int cell, float x, float y, float z) {
    int cubeIndex = 0;
    for (int c = 0; c < 8; ++c) {
        const int g = cell + cornerOffsets[c];
        if (work.evaluated[g]) {
            cornerValues[c] = fieldValues[g];
        } else {
            const Vector3 p(x + cornerPositions[c].x, y + cornerPositions[c].y,
                            z + cornerPositions[c].z);
            cornerValues[c] = fieldAt(build, g, p);
        }
        if (cornerValues[c] < build.blob.threshold) cubeIndex |= 1 << c;
    }
    return cubeIndex;
}

// The negative field gradient at p, made unit length: it points out of the surface.
Vector3 surfaceNormal(const MetaballMesh& blob, const Vector3& p) {
    Vector3 g(0, 0, 0);
    for (int b = 0; b < blob.ballCount; ++b) {
        const Vector3 d = p - blob.balls[b];
        const float d2 = d.x * d.x + d.y * d.y + d.z * d.z;
        if (!(d2 > 0.0f)) continue;  // on the centre itself the direction is undefined
        g = g + d * (1.0f / (d2 * d2));
    }
    return g * fastInvSqrt(g.x * g.x + g.y * g.y + g.z * g.z);
}

int edgeKey(int cell, int edge) {
    return 3 * (cell + cornerOffsets[kCubeEdges[edge].owner]) + kCubeEdges[edge].slot;
}

// The vertex where the surface crosses the edge from A (value vA) to B (value vB), made
// once and shared by the four cells around the edge.
int edgeVertex(SurfaceBuild& build, int key, const Vector3& a, const Vector3& b, float vA,
               float vB) {
    if (work.edgeVertexCache[key] != kNoVertex) return work.edgeVertexCache[key];
    Mesh& mesh = build.blob.mesh;
    const float t = (build.blob.threshold - vA) / (vB - vA);
    const Vector3 p(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
    const int index = mesh.vertexCount++;
    mesh.positions[index] = p;
    mesh.normals[index] = surfaceNormal(build.blob, p);
    work.edgeVertexCache[key] = static_cast<int16_t>(index);
    return index;
}

// Adds the cell's vertices and triangles; false, adding nothing, when they do not fit.
bool polygonizeCell(SurfaceBuild& build, int cell, float x, float y, float z, int cubeIndex,
                    int mask) {
    const int8_t* triangles = kCubeTriangles[cubeIndex];
    int newFaces = 0;
    while (newFaces < 5 && triangles[3 * newFaces] != -1) ++newFaces;
    int newVertices = 0;
    for (int e = 0; e < 12; ++e) {
        if ((mask & (1 << e)) && work.edgeVertexCache[edgeKey(cell, e)] == kNoVertex) ++newVertices;
    }
    Mesh& mesh = build.blob.mesh;
    if (mesh.vertexCount + newVertices > build.vertexLimit ||
        mesh.faceCount + newFaces > build.faceLimit) {
        return false;
    }

    int vertex[12];
    const Vector3 origin(x, y, z);
    for (int e = 0; e < 12; ++e) {
        if (!(mask & (1 << e))) continue;
        const int from = kCubeEdges[e].from;
        const int to = kCubeEdges[e].to;
        vertex[e] = edgeVertex(build, edgeKey(cell, e), origin + cornerPositions[from],
                               origin + cornerPositions[to], cornerValues[from],
                               cornerValues[to]);
    }
    // The table's triangles face the inside; reversed, they face out of the surface.
    for (int t = 0; t < newFaces; ++t) {
        MeshTriangle& face = mesh.faces[mesh.faceCount++];
        face.vertex0 = vertex[triangles[3 * t + 2]];
        face.vertex1 = vertex[triangles[3 * t + 1]];
        face.vertex2 = vertex[triangles[3 * t]];
        face.flags = 0;
    }
    return true;
}

// Checks, marks and polygonizes the frame's cell. False when the walk goes no further
// from it: outside the cells, already visited, not crossed by the surface, or no room.
bool enterCell(SurfaceBuild& build, WalkFrame& frame) {
    const int last = build.n - 2;  // the highest cell index on each axis
    if (frame.i < 0 || frame.i > last || frame.j < 0 || frame.j > last || frame.k < 0 ||
        frame.k > last) {
        return false;
    }
    if (work.visited[frame.cell]) return false;
    work.visited[frame.cell] = 1;
    const int cubeIndex = evaluateCorners(build, frame.cell, frame.x, frame.y, frame.z);
    frame.mask = kCubeEdgeMasks[cubeIndex];
    if (frame.mask == 0) return false;
    if (!polygonizeCell(build, frame.cell, frame.x, frame.y, frame.z, cubeIndex, frame.mask)) {
        build.full = true;
        return false;
    }
    frame.nextNeighbour = 0;
    return true;
}

// Follows the surface from a crossed cell through every cell connected to it, depth
// first: the neighbours across +x, -x, +y, -y and +z in that order, each walked to the
// end before the next, and last the one across -z, which continues in this same frame.
void walkSurface(SurfaceBuild& build, const WalkFrame& start) {
    int top = 0;
    walkStack[0] = start;
    walkStack[0].nextNeighbour = kNotEntered;
    while (top >= 0) {
        WalkFrame& frame = walkStack[top];
        if (frame.nextNeighbour == kNotEntered && !enterCell(build, frame)) {
            if (build.full) return;
            --top;
            continue;
        }
        if (frame.nextNeighbour < kNeighbourCount) {
            const Neighbour& next = kNeighbours[frame.nextNeighbour++];
            if (!(frame.mask & next.edges) || top + 1 > kMaxCells) continue;
            WalkFrame& child = walkStack[++top];
            child.cell = frame.cell + next.di + next.dj * build.n + next.dk * build.blob.gridPlane;
            child.x = frame.x + next.di * build.s;
            child.y = frame.y + next.dj * build.s;
            child.z = frame.z + next.dk * build.s;
            child.i = static_cast<int8_t>(frame.i + next.di);
            child.j = static_cast<int8_t>(frame.j + next.dj);
            child.k = static_cast<int8_t>(frame.k + next.dk);
            child.nextNeighbour = kNotEntered;
            continue;
        }
        if (frame.mask & kBelowEdges) {
            frame.cell -= build.blob.gridPlane;
            frame.k -= 1;
            frame.z -= build.s;
            frame.nextNeighbour = kNotEntered;
            continue;
        }
        --top;
    }
}

// The grid coordinate reached by stepping from the grid's low edge until at or past the
// ball: repeated float additions, at most n steps (after that the ball is beyond the grid
// on this axis, whatever its coordinate, infinite ones included).
float marchTo(float ballCoordinate, float low, float s, int n) {
    float v = low;
    for (int step = 0; step < n && v < ballCoordinate; ++step) v += s;
    return v;
}

// From the ball's cell along +x to the first cell the surface crosses, and the walk
// from there. A ball whose march meets a visited cell belongs to a blob already built.
void seedFromBall(SurfaceBuild& build, const Vector3& ball) {
    const MetaballMesh& blob = build.blob;
    const float low = -blob.halfExtent;
    float x = marchTo(ball.x, low, build.s, build.n);
    const float y = marchTo(ball.y, low, build.s, build.n);
    const float z = marchTo(ball.z, low, build.s, build.n);
    int i = truncToInt((x + blob.halfExtent) / build.s);
    const int j = truncToInt((y + blob.halfExtent) / build.s);
    const int k = truncToInt((z + blob.halfExtent) / build.s);
    // Past the last cell in y or z the march's row holds no cells at all.
    if (j > build.n - 2 || k > build.n - 2) return;
    int cell = i + j * build.n + k * blob.gridPlane;
    while (i <= build.n - 2) {
        if (work.visited[cell]) return;
        if (evaluateCorners(build, cell, x, y, z) != 0) {
            const WalkFrame start{cell, x, y, z, 0, static_cast<int8_t>(i),
                                  static_cast<int8_t>(j), static_cast<int8_t>(k), kNotEntered};
            walkSurface(build, start);
            return;
        }
        x += build.s;
        cell += 1;
        i += 1;
    }
}

}  // namespace

// The field values need no clearing: only an entry flagged as evaluated is read.
void resetMetaballWork(MetaballWork& work, int gridPoints) {
    std::memset(work.visited, 0, size_t(gridPoints));
    std::memset(work.evaluated, 0, size_t(gridPoints));
    std::fill(work.edgeVertexCache, work.edgeVertexCache + 3 * gridPoints, kNoMetaballVertex);
}

void MetaballMesh::configure(int count, const Vector3* ballArray, int n, float size,
                             float isoValue, int faceCapacity) {
    ballCount = std::clamp(count, 0, kMaxMetaballs);
    balls = ballArray;
    gridSize = std::clamp(n, 2, kMaxMetaballGrid);
    extent = size;
    threshold = isoValue;
    maxFaces = std::max(faceCapacity, 0);

    mesh.release();
    mesh.setVertexCount(3 * maxFaces);
    mesh.reserveFaces(maxFaces);
    mesh.vertexCount = 0;
    halfExtent = extent * 0.5f;
    gridPlane = gridSize * gridSize;
    cellSize = extent / gridSize;

    // The work tables are cleared over the whole grid: the polygonize calls touch their
    // pages here and there, and the first touch of a page costs far more than the
    // clearing, so the loading screen pays for all of them at once. The mesh arrays are
    // sized for the largest surface but a surface uses a few percent of them; their pages
    // are touched only as faces and vertices reach them (a caller wanting none touched in
    // a frame polygonizes once at load).
    const int gridPoints = gridSize * gridSize * gridSize;
    resetMetaballWork(work, gridPoints);  // another grid's last surface, too
    std::memset(work.visited, 0, gridPoints);
    std::memset(work.evaluated, 0, gridPoints);
    std::fill(fieldValues, fieldValues + gridPoints, 0.0f);
    std::fill(work.edgeVertexCache, work.edgeVertexCache + 3 * gridPoints, kNoVertex);
}

void MetaballMesh::polygonize() {
    const int n = gridSize;
    const int gridPoints = n * n * n;
    SurfaceBuild build{*this, n, cellSize, std::min(kMaxMetaballVertices, 3 * maxFaces),
                       maxFaces, false};

    // 1. Empty mesh and caches. The corner tables follow this mesh's grid.
    mesh.vertexCount = 0;
    mesh.faceCount = 0;
    resetMetaballWork(work, gridPoints);
    for (int c = 0; c < 8; ++c) {
        const CubeCorner& corner = kCubeCorners[c];
        cornerOffsets[c] = corner.dx + corner.dy * n + corner.dz * gridPlane;
        cornerPositions[c] =
            Vector3(corner.dx * cellSize, corner.dy * cellSize, corner.dz * cellSize);
    }

    // 2. Each ball in turn seeds the walk over its blob.
    for (int b = 0; b < ballCount && !build.full; ++b) seedFromBall(build, balls[b]);

    // 3. The faces' centroids.
    for (int f = 0; f < mesh.faceCount; ++f) {
        MeshTriangle& face = mesh.faces[f];
        face.centroid = (mesh.positions[face.vertex0] + mesh.positions[face.vertex1] +
                         mesh.positions[face.vertex2]) *
                        0.33333334f;
    }
}
