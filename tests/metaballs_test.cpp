// The metaball polygonizer and its marching-cubes tables: closed, outward-facing surfaces
// built from the balls, vertices shared along grid edges, and the mesh's limits kept.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "render3d/marching_cubes_tables.h"
#include "render3d/mesh_view.h"
#include "render3d/metaballs.h"

namespace {

// ---- Table helpers ----

bool cornerOutside(int cubeIndex, int corner) { return (cubeIndex >> corner) & 1; }

// The triangles of a table entry as triples of edge numbers.
std::vector<std::array<int, 3>> tableTriangles(int cubeIndex) {
    std::vector<std::array<int, 3>> triangles;
    const int8_t* entry = kCubeTriangles[cubeIndex];
    for (int t = 0; t < 5 && entry[3 * t] != -1; ++t)
        triangles.push_back({entry[3 * t], entry[3 * t + 1], entry[3 * t + 2]});
    return triangles;
}

Vector3 cornerPoint(int corner) {
    const CubeCorner& c = kCubeCorners[corner];
    return Vector3(c.dx, c.dy, c.dz);
}

Vector3 edgeMidpoint(int edge) {
    return (cornerPoint(kCubeEdges[edge].from) + cornerPoint(kCubeEdges[edge].to)) * 0.5f;
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// The cube faces (axis, 0 or 1) that contain both ends of an edge.
std::set<std::pair<int, int>> cubeFacesOfEdge(int edge) {
    std::set<std::pair<int, int>> faces;
    const CubeCorner& a = kCubeCorners[kCubeEdges[edge].from];
    const CubeCorner& b = kCubeCorners[kCubeEdges[edge].to];
    const int aAxes[3] = {a.dx, a.dy, a.dz};
    const int bAxes[3] = {b.dx, b.dy, b.dz};
    for (int axis = 0; axis < 3; ++axis) {
        if (aAxes[axis] == bAxes[axis]) faces.insert({axis, aAxes[axis]});
    }
    return faces;
}

// ---- Polygonizer helpers ----

constexpr int kGrid = 48;
constexpr float kExtent = 20.0f;

// Every undirected edge of the mesh and how often each direction of it occurs.
std::map<std::pair<int, int>, int> directedEdges(const Mesh& mesh) {
    std::map<std::pair<int, int>, int> edges;
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        const int v[3] = {face.vertex0, face.vertex1, face.vertex2};
        for (int k = 0; k < 3; ++k) edges[{v[k], v[(k + 1) % 3]}] += 1;
    }
    return edges;
}

// True when every edge is used once in each direction: a closed surface whose faces all
// wind the same way.
bool isClosedAndConsistent(const Mesh& mesh) {
    const auto edges = directedEdges(mesh);
    for (const auto& [edge, count] : edges) {
        if (count != 1) return false;
        const auto reverse = edges.find({edge.second, edge.first});
        if (reverse == edges.end() || reverse->second != 1) return false;
    }
    return true;
}

// The number of connected pieces of the surface (faces joined by shared vertices).
int componentCount(const Mesh& mesh) {
    std::vector<int> parent(mesh.vertexCount);
    for (int i = 0; i < mesh.vertexCount; ++i) parent[i] = i;
    auto find = [&](int v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        parent[find(face.vertex1)] = find(face.vertex0);
        parent[find(face.vertex2)] = find(face.vertex0);
    }
    std::set<int> roots;
    for (int i = 0; i < mesh.vertexCount; ++i) roots.insert(find(i));
    return static_cast<int>(roots.size());
}

// The triangles a sweep over every cell of the grid would make, counted from the tables:
// what the walk must reproduce when it reaches every crossed cell exactly once.
int sweptTriangleCount(const std::vector<Vector3>& balls, int n, float extent,
                       float threshold) {
    const float s = extent / n;
    auto field = [&](int i, int j, int k) {
        const Vector3 p(-extent / 2 + i * s, -extent / 2 + j * s, -extent / 2 + k * s);
        float f = 0;
        for (const Vector3& c : balls) {
            const Vector3 d = p - c;
            f += 1.0f / (d.x * d.x + d.y * d.y + d.z * d.z);
        }
        return f;
    };
    int triangles = 0;
    for (int k = 0; k < n - 1; ++k) {
        for (int j = 0; j < n - 1; ++j) {
            for (int i = 0; i < n - 1; ++i) {
                int cubeIndex = 0;
                for (int c = 0; c < 8; ++c) {
                    const CubeCorner& o = kCubeCorners[c];
                    if (field(i + o.dx, j + o.dy, k + o.dz) < threshold) cubeIndex |= 1 << c;
                }
                triangles += static_cast<int>(tableTriangles(cubeIndex).size());
            }
        }
    }
    return triangles;
}

float length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The mesh's content as plain values, for comparing two polygonize calls.
using MeshSnapshot = std::tuple<std::vector<float>, std::vector<int>>;
MeshSnapshot snapshot(const Mesh& mesh) {
    std::vector<float> vertices;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        for (const Vector3* v : {&mesh.positions[i], &mesh.normals[i]}) {
            vertices.insert(vertices.end(), {v->x, v->y, v->z});
        }
    }
    std::vector<int> faces;
    for (int f = 0; f < mesh.faceCount; ++f) {
        faces.insert(faces.end(),
                     {mesh.faces[f].vertex0, mesh.faces[f].vertex1, mesh.faces[f].vertex2});
    }
    return {vertices, faces};
}

// Every face refers to vertices that exist, and a view that takes the faces in draws each
// over its view positions.
void expectFacesWellFormed(const Mesh& mesh) {
    MeshView view;
    view.reserve(mesh, mesh.vertexCount, mesh.faceCount);
    view.takeFaces();
    ASSERT_EQ(view.faceCount, mesh.faceCount);
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        for (int v : {face.vertex0, face.vertex1, face.vertex2}) {
            ASSERT_GE(v, 0);
            ASSERT_LT(v, mesh.vertexCount);
        }
        const MeshFace& seen = view.faces[f];
        ASSERT_EQ(&cornerPosition(seen, 0), &view.viewPositions[face.vertex0]);
        ASSERT_EQ(&cornerPosition(seen, 2), &view.viewPositions[face.vertex2]);
        ASSERT_EQ(seen.owner, &view);
    }
}

}  // namespace

// ---- The tables ----

TEST(MarchingCubesTables, EdgeMasksMarkTheEdgesWhoseCornersDiffer) {
    for (int c = 0; c < 256; ++c) {
        int expected = 0;
        for (int e = 0; e < 12; ++e) {
            if (cornerOutside(c, kCubeEdges[e].from) != cornerOutside(c, kCubeEdges[e].to))
                expected |= 1 << e;
        }
        EXPECT_EQ(kCubeEdgeMasks[c], expected) << "cube index " << c;
    }
    EXPECT_EQ(kCubeEdgeMasks[1], 0x109);
    EXPECT_EQ(kCubeEdgeMasks[2], 0x203);
    EXPECT_EQ(kCubeEdgeMasks[255], 0);
}

TEST(MarchingCubesTables, EdgesJoinNeighbouringCornersAndOwnTheirGridEdgeOnce) {
    // Every grid edge of a 4x4x4 grid gets one cache key, whichever cell reaches it.
    constexpr int n = 4;
    std::map<int, std::pair<int, int>> gridEdgeOfKey;
    for (int k = 0; k < n - 1; ++k) {
        for (int j = 0; j < n - 1; ++j) {
            for (int i = 0; i < n - 1; ++i) {
                const int cell = i + j * n + k * n * n;
                for (int e = 0; e < 12; ++e) {
                    const CubeEdge& edge = kCubeEdges[e];
                    auto point = [&](int corner) {
                        const CubeCorner& c = kCubeCorners[corner];
                        return cell + c.dx + c.dy * n + c.dz * n * n;
                    };
                    const Vector3 span = cornerPoint(edge.to) - cornerPoint(edge.from);
                    ASSERT_FLOAT_EQ(length(span), 1.0f) << "edge " << e;
                    ASSERT_TRUE(edge.owner == edge.from || edge.owner == edge.to);
                    const int key = 3 * point(edge.owner) + edge.slot;
                    const std::pair<int, int> ends = std::minmax(point(edge.from), point(edge.to));
                    const auto [entry, inserted] = gridEdgeOfKey.emplace(key, ends);
                    EXPECT_EQ(entry->second, ends) << "key " << key << " names two edges";
                }
            }
        }
    }
    // 3 * n^2 * (n - 1) grid edges, each with its own key.
    EXPECT_EQ(gridEdgeOfKey.size(), 3u * n * n * (n - 1));
}

TEST(MarchingCubesTables, TrianglesUseExactlyTheCutEdgesAndCloseTheCubesSurface) {
    int total = 0;
    for (int c = 0; c < 256; ++c) {
        const auto triangles = tableTriangles(c);
        total += static_cast<int>(triangles.size());
        int used = 0;
        std::map<std::pair<int, int>, int> directed;
        for (const auto& t : triangles) {
            for (int k = 0; k < 3; ++k) {
                used |= 1 << t[k];
                directed[{t[k], t[(k + 1) % 3]}] += 1;
            }
        }
        EXPECT_EQ(used, kCubeEdgeMasks[c]) << "cube index " << c;

        // Inner edges are shared by two triangles running opposite ways. The others form
        // the surface's outline on the cube's faces: on each face every cut edge is the
        // end of exactly one outline segment, so neighbouring cubes meet without gaps.
        std::map<std::pair<int, int>, std::vector<int>> outlineEnds;
        for (const auto& [edge, count] : directed) {
            EXPECT_EQ(count, 1) << "cube index " << c;
            if (directed.count({edge.second, edge.first})) continue;
            std::set<std::pair<int, int>> shared;
            for (const auto& face : cubeFacesOfEdge(edge.first)) {
                if (cubeFacesOfEdge(edge.second).count(face)) shared.insert(face);
            }
            ASSERT_EQ(shared.size(), 1u) << "cube index " << c << ": outline off the faces";
            outlineEnds[*shared.begin()].push_back(edge.first);
            outlineEnds[*shared.begin()].push_back(edge.second);
        }
        for (int axis = 0; axis < 3; ++axis) {
            for (int side = 0; side < 2; ++side) {
                std::multiset<int> cutEdges;
                for (int e = 0; e < 12; ++e) {
                    if ((kCubeEdgeMasks[c] >> e & 1) && cubeFacesOfEdge(e).count({axis, side}))
                        cutEdges.insert(e);
                }
                const auto& ends = outlineEnds[{axis, side}];
                EXPECT_EQ(std::multiset<int>(ends.begin(), ends.end()), cutEdges)
                    << "cube index " << c << ", face " << axis << "/" << side;
            }
        }
    }
    EXPECT_EQ(total, 820);
}

TEST(MarchingCubesTables, ReversedTrianglesFaceFromInsideCornersToOutsideOnes) {
    for (int c = 1; c < 255; ++c) {
        for (const auto& t : tableTriangles(c)) {
            // Reversed, as the polygonizer stores them.
            const Vector3 a = edgeMidpoint(t[2]), b = edgeMidpoint(t[1]), d = edgeMidpoint(t[0]);
            const Vector3 normal = cross(b - a, d - a);
            double outward = 0;
            for (int e : t) {
                const int from = kCubeEdges[e].from, to = kCubeEdges[e].to;
                const int out = cornerOutside(c, from) ? from : to;
                const int in = out == from ? to : from;
                outward += dot(normal, cornerPoint(out) - cornerPoint(in));
            }
            EXPECT_GT(outward, 0) << "cube index " << c;
        }
    }
}

TEST(MarchingCubesTables, KnownEntries) {
    auto entry = [](int c) { return std::vector<int>(kCubeTriangles[c], kCubeTriangles[c] + 16); };
    auto padded = [](std::vector<int> v) {
        v.resize(16, -1);
        return v;
    };
    EXPECT_EQ(entry(0), padded({}));
    EXPECT_EQ(entry(1), padded({0, 8, 3}));
    EXPECT_EQ(entry(3), padded({1, 8, 3, 9, 8, 1}));
    EXPECT_EQ(entry(7), padded({2, 8, 3, 2, 10, 8, 10, 9, 8}));
    EXPECT_EQ(entry(15), padded({9, 8, 10, 10, 8, 11}));
    EXPECT_EQ(entry(254), padded({0, 3, 8}));
    EXPECT_EQ(entry(255), padded({}));
}

// ---- The polygonizer ----

class MetaballMeshTest : public ::testing::Test {
protected:
    void configure(int n = kGrid, int maxFaces = 100000, float threshold = 1.0f) {
        blob.configure(static_cast<int>(balls.size()), balls.data(), n, kExtent, threshold,
                       maxFaces);
    }
    MetaballMesh blob;
    std::vector<Vector3> balls;
};

TEST_F(MetaballMeshTest, ConfigureSizesTheMeshAndClampsItsArguments) {
    balls.assign(70, Vector3(0, 0, 0));
    blob.configure(70, balls.data(), 100, 20.0f, 1.0f, 1000);
    EXPECT_EQ(blob.ballCount, 64);
    EXPECT_EQ(blob.gridSize, 64);
    EXPECT_EQ(blob.gridPlane, 64 * 64);
    EXPECT_FLOAT_EQ(blob.cellSize, 20.0f / 64);
    EXPECT_FLOAT_EQ(blob.halfExtent, 10.0f);
    EXPECT_EQ(blob.mesh.vertexCount, 0);
    EXPECT_EQ(blob.mesh.faceCount, 0);
    EXPECT_NE(blob.mesh.positions, nullptr);
    EXPECT_NE(blob.mesh.faces, nullptr);
}

TEST_F(MetaballMeshTest, OneBallGivesAClosedUnitSphereWithOutwardNormals) {
    balls = {Vector3(0, 0, 0)};
    configure();
    blob.polygonize();
    const Mesh& mesh = blob.mesh;
    ASSERT_GT(mesh.faceCount, 100);
    expectFacesWellFormed(mesh);
    EXPECT_TRUE(isClosedAndConsistent(mesh));
    EXPECT_EQ(componentCount(mesh), 1);

    const float cell = kExtent / kGrid;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        const Vector3& p = mesh.positions[i];
        EXPECT_NEAR(length(p), 1.0f, cell);
        const Vector3& n = mesh.normals[i];
        EXPECT_NEAR(length(n), 1.0f, 0.003f);
        EXPECT_GT(dot(n, p), 0.99 * length(p));  // straight out of the centre
    }
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        const Vector3& a = mesh.positions[face.vertex0];
        const Vector3 n = cross(mesh.positions[face.vertex1] - a, mesh.positions[face.vertex2] - a);
        EXPECT_GT(dot(n, face.centroid), 0) << "face " << f << " winds inward";
    }
}

TEST_F(MetaballMeshTest, TheWalkReachesEveryCrossedCellOnce) {
    // Two balls in one blob, and a third on its own: the third seeds its own piece, the
    // second finds the first's blob already built.
    balls = {Vector3(-0.4f, 0.1f, 0.2f), Vector3(0.5f, -0.2f, 0.1f), Vector3(5.0f, 4.0f, -3.0f)};
    configure();
    blob.polygonize();
    EXPECT_TRUE(isClosedAndConsistent(blob.mesh));
    EXPECT_EQ(componentCount(blob.mesh), 2);
    EXPECT_EQ(blob.mesh.faceCount, sweptTriangleCount(balls, kGrid, kExtent, 1.0f));
}

TEST_F(MetaballMeshTest, BallsBeyondTheGridAddNothing) {
    const float lastGridPoint = -kExtent / 2 + (kGrid - 1) * (kExtent / kGrid);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Beyond +x the march starts past the last cell although the blob reaches back into
    // the grid; beyond +y and +z there is no row of cells to march along; far-off,
    // infinite and NaN centres end their march too.
    for (const Vector3& ball :
         {Vector3(lastGridPoint + 0.01f, 0, 0), Vector3(0, 10.5f, 0), Vector3(0, 0, 30.0f),
          Vector3(1e30f, 0, 0), Vector3(inf, inf, inf), Vector3(nan, 0, 0)}) {
        balls = {ball};
        configure();
        blob.polygonize();
        EXPECT_EQ(blob.mesh.vertexCount, 0) << ball.x << ", " << ball.y << ", " << ball.z;
        EXPECT_EQ(blob.mesh.faceCount, 0);
    }
}

TEST_F(MetaballMeshTest, ABallOnAGridPointKeepsTheSurfaceFinite) {
    // The origin is a grid point of a 40-point grid over 20 units: its field is infinite.
    balls = {Vector3(0, 0, 0), Vector3(0.5f, 0, 0)};
    blob.configure(2, balls.data(), 40, 20.0f, 1.0f, 100000);
    blob.polygonize();
    ASSERT_GT(blob.mesh.faceCount, 0);
    EXPECT_TRUE(isClosedAndConsistent(blob.mesh));
    for (int i = 0; i < blob.mesh.vertexCount; ++i) {
        EXPECT_TRUE(std::isfinite(blob.mesh.positions[i].x));
        EXPECT_TRUE(std::isfinite(blob.mesh.normals[i].x));
    }
}

TEST_F(MetaballMeshTest, PolygonizingAgainGivesTheSameMesh) {
    balls = {Vector3(1, 2, 0.5f), Vector3(-1.5f, 0, 0), Vector3(0.2f, -1.8f, 1.1f)};
    configure();
    blob.polygonize();
    const MeshSnapshot first = snapshot(blob.mesh);
    // Another surface in between leaves no trace in the caches.
    balls[0] = Vector3(4, 4, 4);
    blob.polygonize();
    balls[0] = Vector3(1, 2, 0.5f);
    blob.polygonize();
    EXPECT_EQ(snapshot(blob.mesh), first);
}

TEST_F(MetaballMeshTest, BlobsOfOtherGridsLeaveNoTraceInTheSharedTables) {
    // The work tables are shared by every blob and only what a surface set is reset. A
    // blob on the finest grid, then configured for a coarser one before it is built
    // again, must leave no entry behind where this blob's grid reaches.
    balls = {Vector3(1, 2, 0.5f), Vector3(-1.5f, 0, 0)};
    configure(40);
    blob.polygonize();
    const MeshSnapshot first = snapshot(blob.mesh);
    std::vector<Vector3> otherBalls;
    for (float z = -9; z <= 9; z += 1.5f) otherBalls.push_back(Vector3(0, 0, z));
    const int count = static_cast<int>(otherBalls.size());
    MetaballMesh other;
    other.configure(count, otherBalls.data(), 64, kExtent, 1.0f, 100000);
    other.polygonize();
    ASSERT_GT(other.mesh.faceCount, 0);
    other.configure(count, otherBalls.data(), 24, kExtent, 1.0f, 100000);
    blob.polygonize();
    EXPECT_EQ(snapshot(blob.mesh), first);
}

TEST_F(MetaballMeshTest, AFaceLimitLeavesAPartialSurfaceInsideTheArrays) {
    balls = {Vector3(0, 0, 0)};
    configure(kGrid, 100);
    blob.polygonize();
    EXPECT_GT(blob.mesh.faceCount, 95);
    EXPECT_LE(blob.mesh.faceCount, 100);
    EXPECT_LE(blob.mesh.vertexCount, 300);
    expectFacesWellFormed(blob.mesh);
}

TEST_F(MetaballMeshTest, TheVertexCacheLimitLeavesAPartialSurface) {
    // 64 balls on a 4x4x4 lattice over the finest grid, merged into one spongy blob with
    // more than the 32,767 vertices one surface may have.
    for (int i = 0; i < 64; ++i)
        balls.push_back(
            Vector3(-7.5f + 5 * (i % 4), -7.5f + 5 * (i / 4 % 4), -7.5f + 5 * (i / 16)));
    configure(64, 300000, 1.0f);
    blob.polygonize();
    EXPECT_LE(blob.mesh.vertexCount, kMaxMetaballVertices);
    EXPECT_GT(blob.mesh.vertexCount, kMaxMetaballVertices - 12);  // stopped by the limit
    EXPECT_LT(blob.mesh.faceCount, 300000);
    expectFacesWellFormed(blob.mesh);
}

TEST_F(MetaballMeshTest, TheLargestGridWalksAWideSurface) {
    // A wide blob on the 64-point grid: tens of thousands of crossed cells in one walk.
    balls = {Vector3(0, 0, 0)};
    configure(64, 300000, 0.0125f);  // a sphere of radius about 9
    blob.polygonize();
    EXPECT_GT(blob.mesh.faceCount, 30000);
    expectFacesWellFormed(blob.mesh);
}
