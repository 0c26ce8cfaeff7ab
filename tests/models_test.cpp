// The generated models: each loads, has the size its scene expects, is closed, and is
// wound outward; the logo flags exactly its outline edges.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "assets/load3ds.h"
#include "generators.h"
#include "test_support.h"

namespace {

struct Extent {
    Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    float x() const { return high.x - low.x; }
    float y() const { return high.y - low.y; }
    float z() const { return high.z - low.z; }
};

Extent extentOf(const Mesh& mesh) {
    Extent e;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        const Vector3& p = mesh.positions[i];
        e.low.set(std::min(e.low.x, p.x), std::min(e.low.y, p.y), std::min(e.low.z, p.z));
        e.high.set(std::max(e.high.x, p.x), std::max(e.high.y, p.y), std::max(e.high.z, p.z));
    }
    return e;
}

// Closed and consistently wound: every directed edge once, and its reverse once.
void expectClosed(const Mesh& mesh) {
    std::map<std::pair<int, int>, int> directed;
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        const int v[3] = {face.vertex0, face.vertex1, face.vertex2};
        for (int k = 0; k < 3; ++k) ++directed[{v[k], v[(k + 1) % 3]}];
    }
    for (const auto& edge : directed) {
        EXPECT_EQ(edge.second, 1) << edge.first.first << "->" << edge.first.second;
        const auto reverse = directed.find({edge.first.second, edge.first.first});
        ASSERT_NE(reverse, directed.end()) << edge.first.first << "->" << edge.first.second;
    }
}

// The divergence theorem: with (v1 - v0) x (v2 - v0) pointing out, the signed volume
// is positive.
double signedVolume(const Mesh& mesh) {
    double volume = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        const Vector3& a = mesh.positions[face.vertex0];
        const Vector3& b = mesh.positions[face.vertex1];
        const Vector3& c = mesh.positions[face.vertex2];
        volume += a.x * (double(b.y) * c.z - double(b.z) * c.y) -
                  a.y * (double(b.x) * c.z - double(b.z) * c.x) +
                  a.z * (double(b.x) * c.y - double(b.y) * c.x);
    }
    return volume / 6;
}

class Models : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TemporaryDirectory;
        writeModels(DataFolder(folder_->path()));
    }
    static void TearDownTestSuite() { delete folder_; }
    static TemporaryDirectory* folder_;
};
TemporaryDirectory* Models::folder_ = nullptr;

}  // namespace

TEST_F(Models, RingIsATorusAroundTheVerticalAxis) {
    Mesh mesh;
    load3ds(mesh, "3ds\\torus.3ds", nullptr);
    EXPECT_GE(mesh.faceCount, 400);
    EXPECT_LE(mesh.faceCount, 1200);
    const Extent e = extentOf(mesh);
    // Major radius 1.1 and tube 0.25; the hole axis is the file's z, the demo's y.
    EXPECT_NEAR(e.x(), 2 * 1.35, 0.02);
    EXPECT_NEAR(e.z(), 2 * 1.35, 0.02);
    EXPECT_NEAR(e.y(), 0.5, 0.02);
    expectClosed(mesh);
    EXPECT_GT(signedVolume(mesh), 0);
    // Smooth normals point away from the ring's core.
    for (int i = 0; i < mesh.vertexCount; ++i) {
        const Vector3& p = mesh.positions[i];
        const float radial = std::sqrt(p.x * p.x + p.z * p.z);
        const Vector3 core(p.x * 1.1f / radial, 0, p.z * 1.1f / radial);
        EXPECT_GT(dot(mesh.normals[i], p - core), 0) << i;
    }
}

TEST_F(Models, SpheresAreClosedUnitSpheresWithOutwardNormals) {
    for (const char* name : {"3ds\\sphere2000f.3ds", "3ds\\sphere32.3ds"}) {
        Mesh mesh;
        load3ds(mesh, name, nullptr);
        expectClosed(mesh);
        EXPECT_GT(signedVolume(mesh), 0) << name;
        for (int i = 0; i < mesh.vertexCount; ++i) {
            EXPECT_NEAR(dot(mesh.positions[i], mesh.positions[i]), 1.0, 1e-5);
            EXPECT_GT(dot(mesh.normals[i], mesh.positions[i]), 0.95) << name << " " << i;
        }
    }
    Mesh big;
    load3ds(big, "3ds\\sphere2000f.3ds", nullptr);
    EXPECT_NEAR(big.faceCount, 2000, 100);
    Mesh dots;
    load3ds(dots, "3ds\\sphere32.3ds", nullptr);
    EXPECT_EQ(dots.faceCount % 64, 0);  // 32 segments, two triangles a quad
    const int rings = (dots.vertexCount - 2) / 32;
    EXPECT_EQ(dots.vertexCount, 2 + rings * 32);
    EXPECT_GE(rings + 1, 16);
    EXPECT_LE(rings + 1, 32);
}

TEST_F(Models, KnotIsASmoothClosedModelAboutEightThousandUnitsAcross) {
    Mesh mesh;
    load3ds(mesh, "3ds\\tollek.3ds", nullptr);
    EXPECT_GE(mesh.faceCount, 2000);
    EXPECT_LE(mesh.faceCount, 6000);
    const Extent e = extentOf(mesh);
    const float across = std::max(e.x(), std::max(e.y(), e.z()));
    EXPECT_GE(across, 7000);
    EXPECT_LE(across, 9000);
    expectClosed(mesh);
    EXPECT_GT(signedVolume(mesh), 0);
}

TEST_F(Models, LogoFlagsOnlyItsOutlineEdgesOnce) {
    Mesh mesh;
    load3ds(mesh, "3ds\\pellimor_logo.3DS", nullptr);
    const Extent e = extentOf(mesh);
    EXPECT_NEAR(e.x(), 5.2, 0.1);  // across
    EXPECT_NEAR(e.y(), 1.2, 0.1);  // up and down
    EXPECT_GE(e.z(), 0.2);         // the extrusion
    EXPECT_LE(e.z(), 0.4);
    expectClosed(mesh);
    EXPECT_GT(signedVolume(mesh), 0);

    // An edge is part of the outline when its two faces are not in one plane.
    std::map<std::pair<int, int>, std::vector<int>> facesOfEdge;
    std::map<std::pair<int, int>, int> flagged;
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        const int v[3] = {face.vertex0, face.vertex1, face.vertex2};
        const int bit[3] = {4, 2, 1};  // v0->v1, v1->v2, v2->v0
        for (int k = 0; k < 3; ++k) {
            const std::pair<int, int> key(std::min(v[k], v[(k + 1) % 3]),
                                          std::max(v[k], v[(k + 1) % 3]));
            facesOfEdge[key].push_back(f);
            if (face.flags & bit[k]) ++flagged[key];
        }
    }
    int outline = 0;
    for (const auto& edge : facesOfEdge) {
        ASSERT_EQ(edge.second.size(), 2u);
        const Vector3& n0 = mesh.faces[edge.second[0]].normal;
        const Vector3& n1 = mesh.faces[edge.second[1]].normal;
        const bool isOutline = dot(n0, n1) < 0.99;
        outline += isOutline;
        EXPECT_EQ(flagged.count(edge.first) ? flagged[edge.first] : 0, isOutline ? 1 : 0)
            << edge.first.first << "-" << edge.first.second;
    }
    EXPECT_GT(outline, 100);
}
