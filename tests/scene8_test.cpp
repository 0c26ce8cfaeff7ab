// The morphing supertoroid: signed powers, the shape over time, the closed face grid,
// and environment-mapped frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "core/display.h"
#include "render3d/mesh_view.h"
#include "render3d/supertoroid.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

constexpr double kPi = 3.14159265358979;

TEST(SignedPower, KeepsTheSignAndZeroesTinyValues) {
    EXPECT_FLOAT_EQ(signedPower(0.5f, 2.0f), 0.25f);
    EXPECT_FLOAT_EQ(signedPower(-0.5f, 2.0f), -0.25f);
    EXPECT_FLOAT_EQ(signedPower(-0.3f, 1.0f), -0.3f);  // exponent 1: the value itself
    EXPECT_FLOAT_EQ(signedPower(0.3f, 0.0f), 1.0f);    // exponent 0: the sign alone
    EXPECT_FLOAT_EQ(signedPower(-0.3f, 0.0f), -1.0f);
    EXPECT_FLOAT_EQ(signedPower(0.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(signedPower(0.0000099f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(signedPower(-0.0000099f, 3.0f), 0.0f);
    EXPECT_FLOAT_EQ(signedPower(0.00001f, 1.0f), 0.00001f);
    EXPECT_FLOAT_EQ(signedPower(-1.0f, 4.0f), -1.0f);
}

TEST(Scene8Shape, StartsBoxyAndWide) {
    const scene8::ShapeParameters p = scene8::shapeAt(0.0f);
    EXPECT_FLOAT_EQ(p.majorRadius, 1.76f);
    EXPECT_FLOAT_EQ(p.minorRadius, 1.51f);
    EXPECT_NEAR(p.ringExponent, 2 * (std::cos(2.0) + 1), 1e-5);  // about 1.168
    EXPECT_NEAR(p.tubeExponent, 2 * (std::cos(12.0) + 1), 1e-5);  // about 3.688
}

TEST(Scene8Shape, StaysWithinItsRanges) {
    for (float t = 0.0f; t < 25.0f; t += 0.01f) {
        const scene8::ShapeParameters p = scene8::shapeAt(t);
        ASSERT_GE(p.majorRadius, 0.2399f);
        ASSERT_LE(p.majorRadius, 1.7601f);
        ASSERT_GE(p.minorRadius, p.majorRadius - 0.5001f);
        ASSERT_LE(p.minorRadius, p.majorRadius + 0.0001f);
        ASSERT_GE(p.minorRadius, -0.2601f);
        for (float e : {p.ringExponent, p.tubeExponent}) {
            ASSERT_GE(e, 0.0f);
            ASSERT_LE(e, 4.0f);
        }
    }
}

class SupertoroidTest : public ::testing::Test {
protected:
    void SetUp() override {
        torus.majorRadius = 1.0f;
        torus.minorRadius = 0.25f;
        torus.ringExponent = 1.0f;
        torus.tubeExponent = 1.0f;
        torus.build(30, 30);
        torus.reshape();
    }
    SupertoroidMesh torus;
};

TEST_F(SupertoroidTest, FacesPairUpEachQuadOfTheWrappingGrid) {
    ASSERT_EQ(torus.mesh.vertexCount, 900);
    ASSERT_EQ(torus.mesh.faceCount, 1800);
    MeshView view;
    viewModel(view, torus.mesh);
    for (int g : {0, 7, 29}) {
        for (int j : {0, 12, 29}) {
            const int a = 30 * g + j, b = 30 * g + (j + 1) % 30;
            const int c = 30 * ((g + 1) % 30) + j, d = 30 * ((g + 1) % 30) + (j + 1) % 30;
            const MeshTriangle& first = torus.mesh.faces[60 * g + 2 * j];
            const MeshTriangle& second = torus.mesh.faces[60 * g + 2 * j + 1];
            EXPECT_EQ(std::make_tuple(first.vertex0, first.vertex1, first.vertex2),
                      std::make_tuple(d, b, a));
            EXPECT_EQ(std::make_tuple(second.vertex0, second.vertex1, second.vertex2),
                      std::make_tuple(a, c, d));
            EXPECT_EQ(&cornerPosition(view.faces[60 * g + 2 * j], 1), &view.viewPositions[b]);
        }
    }
    // Closed both ways round: every edge is walked once in each direction.
    std::map<std::pair<int, int>, int> edges;
    for (int f = 0; f < torus.mesh.faceCount; ++f) {
        const MeshTriangle& face = torus.mesh.faces[f];
        const int v[3] = {face.vertex0, face.vertex1, face.vertex2};
        for (int k = 0; k < 3; ++k) edges[{v[k], v[(k + 1) % 3]}] += 1;
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
    }
}

TEST_F(SupertoroidTest, APlainTorusWindsOutwardAndLiesOnItsCircles) {
    torus.mesh.computeVertexNormals();
    const Mesh& mesh = torus.mesh;
    for (int k = 0; k < 30; ++k) {
        for (int l = 0; l < 30; ++l) {
            const Vector3& p = mesh.positions[k * 30 + l];
            const double theta = 2 * kPi * k / 30, phi = 2 * kPi * l / 30;
            EXPECT_NEAR(p.x, (1 + 0.25 * std::cos(phi)) * std::cos(theta), 1e-5);
            EXPECT_NEAR(p.z, 0.25 * std::sin(phi), 1e-5);
            // The vertex normals follow the reshaped surface: straight out of the tube.
            const Vector3 out(static_cast<float>(std::cos(phi) * std::cos(theta)),
                              static_cast<float>(std::cos(phi) * std::sin(theta)),
                              static_cast<float>(std::sin(phi)));
            EXPECT_GT(dot(mesh.normals[k * 30 + l], out), 0.99f) << k << " " << l;
        }
    }
    for (int f = 0; f < mesh.faceCount; ++f) {
        const MeshTriangle& face = mesh.faces[f];
        const Vector3 &a = mesh.positions[face.vertex0], &b = mesh.positions[face.vertex1],
                      &c = mesh.positions[face.vertex2];
        const Vector3 u = b - a, v = c - a;
        const Vector3 n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x);
        // Away from the tube's centre line.
        const Vector3 centre = (a + b + c) * (1.0f / 3);
        const float ring = std::sqrt(centre.x * centre.x + centre.y * centre.y);
        const Vector3 line(centre.x / ring, centre.y / ring, 0);
        EXPECT_GT(dot(n, centre - line), 0) << "face " << f;
    }
}

TEST_F(SupertoroidTest, ExponentZeroPushesTheRingOntoASquaresCorners) {
    torus.ringExponent = 0.0f;
    torus.reshape();
    for (int k = 0; k < 30; ++k) {
        const Vector3& p = torus.mesh.positions[k * 30];  // tube position 0: on the outer rim
        EXPECT_FLOAT_EQ(std::fabs(p.x), 1.25f) << k;
        // At 0 and 180 degrees the sine is (nearly) 0 and gives exactly 0.
        EXPECT_FLOAT_EQ(std::fabs(p.y), k == 0 || k == 15 ? 0.0f : 1.25f) << k;
    }
}

TEST(Scene8Frames, EveryFrameShowsTheShapeInsideTheScreen) {
    ASSERT_TRUE(openDisplay(true));
    supertoroidScene.load();
    supertoroidScene.start();
    for (float t = 0.0f; t <= 25.0f; t += 0.1f) {
        supertoroidScene.render(t);
        const int lit = static_cast<int>(
            std::count_if(FrameBuffer, FrameBuffer + kFrameSize, [](uint8_t p) { return p != 0; }));
        // At its thinnest (t near 19 s the tube's radius passes 0) a hundred or so pixels.
        ASSERT_GT(lit, 50) << "t = " << t;
    }
    supertoroidScene.unload();
    closeDisplay();
}
