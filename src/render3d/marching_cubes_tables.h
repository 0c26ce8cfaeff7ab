// The marching-cubes tables for the polygonizer's numbering of cube corners and edges.
#pragma once

#include <cstdint>

// A cube corner's offset from the cell's lowest grid point, in cells along x, y and z.
struct CubeCorner {
    int8_t dx, dy, dz;
};

// A cube edge: its two corners, and the corner and slot (0 = along x, 1 = along z,
// 2 = along y) under which the grid stores its vertex, so that the four cells around an
// edge all find the same one.
struct CubeEdge {
    int8_t from, to;
    int8_t owner, slot;
};

extern const CubeCorner kCubeCorners[8];
extern const CubeEdge kCubeEdges[12];

// For each cube index (bit c set when corner c lies outside the surface): the 12-bit mask
// of the edges the surface crosses.
extern const uint16_t kCubeEdgeMasks[256];

// For each cube index: its triangles as triples of edge numbers, ended by -1.
extern const int8_t kCubeTriangles[256][16];
