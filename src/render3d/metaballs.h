// The metaball polygonizer: the surface where the summed field of point balls reaches a
// threshold, rebuilt as a triangle mesh by marching cubes along the surface only.
#pragma once

#include <cstdint>

#include "assets/mesh.h"
#include "core/vector_math.h"

constexpr int kMaxMetaballs = 64;
constexpr int kMaxMetaballGrid = 64;  // grid points per axis
// Vertex indices pass through a signed 16-bit cache, so one surface holds at most this
// many vertices.
constexpr int kMaxMetaballVertices = 32767;

// A mesh rebuilt from the balls by every polygonize: a model of its own each time, which
// a view (mesh_view.h) sized for maxFaces faces and 3 * maxFaces vertices takes in. The
// field at p is the sum over the balls of 1 / |p - centre|^2; points where it reaches the
// threshold are inside.
struct MetaballMesh {
    Mesh mesh;
    int ballCount = 0;
    const Vector3* balls = nullptr;  // the caller's array; the caller moves the balls
    int gridSize = 0;                // N grid points per axis, N - 1 cells
    float extent = 0;                // edge length of the cube the grid covers
    float threshold = 0;             // the field value of the surface
    int maxFaces = 0;                // what the mesh arrays are sized for
    int gridPlane = 0;               // N * N
    float halfExtent = 0;
    float cellSize = 0;              // extent / N

    // Sizes the mesh for maxFaces faces and 3 * maxFaces vertices, once. Ball counts and
    // grid sizes above 64 are clamped to 64; grids below 2 points to 2.
    void configure(int ballCount, const Vector3* balls, int gridSize, float extent,
                   float threshold, int maxFaces);

    // Rebuilds positions, normals and faces from the balls as they stand. When the
    // surface outgrows the mesh (or the 32,767 vertices of the cache), the cells beyond
    // that are left out: the surface stays partial for this call. Leaves the view to the
    // caller: takeFaces, transform and cullAndSort.
    void polygonize();
};

// ---- The polygonizer's flag tables (metaballs.cpp), cleared before each surface.

constexpr int kMaxMetaballGridPoints = kMaxMetaballGrid * kMaxMetaballGrid * kMaxMetaballGrid;
constexpr int16_t kNoMetaballVertex = -1;

// Sized for the largest grid; a grid of n points per axis uses the first n^3 entries (and
// 3 n^3 of the edge cache).
struct MetaballWork {
    uint8_t visited[kMaxMetaballGridPoints];    // per cell: the walk has processed it
    uint8_t evaluated[kMaxMetaballGridPoints];  // per grid point: its field value is known
    int16_t edgeVertexCache[3 * kMaxMetaballGridPoints];  // per grid edge: its vertex, or none
};

// Clears the flags of a grid of gridPoints points: no cell visited, no point evaluated,
// no edge with a vertex. The whole grid, each time: clearing only what the last surface
// set bought less than a tenth of the scene's time (dorminax-frame --bench).
void resetMetaballWork(MetaballWork& work, int gridPoints);
