// The camera's basis, projection and planes, and clipping of segments and polygons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "render3d/camera.h"
#include "render3d/clipping.h"

namespace {

constexpr double kPiOver180 = 3.14159265358979323846 / 180;

Camera standardCamera() { return Camera(Vector3(0, 0, 10), Vector3(0, 0, 0), 45, 0); }

ClipPolygonShade triangle(Vector3 a, Vector3 b, Vector3 c) {
    ClipPolygonShade poly;
    poly.positions[0] = a;
    poly.positions[1] = b;
    poly.positions[2] = c;
    poly.shades[0] = 0;
    poly.shades[1] = 100;
    poly.shades[2] = 200;
    poly.count = 3;
    return poly;
}

const Plane kKeepPositiveX = {Vector3(1, 0, 0), 0};

}  // namespace

// The focal lengths from their definition, worked out here in double: half the screen
// over the tangent of half the field of view, the vertical one stretched by 1.25.
TEST(Camera, FocalLengthsAreHalfTheScreenOverTheTangentOfHalfTheView) {
    for (const float fov : {45.0f, 75.0f, 90.0f, 130.0f}) {
        const Camera camera(Vector3(0, 0, 10), Vector3(0, 0, 0), fov, 0);
        const double halfTan = std::tan(fov / 2 * kPiOver180);
        EXPECT_NEAR(camera.focalX, 160 / halfTan, 1e-5 * camera.focalX) << fov;
        EXPECT_NEAR(camera.focalY, 150 / halfTan, 1e-5 * camera.focalY) << fov;
    }
}

// The view's rows are the camera's right, down and forward axes: orthogonal, each as
// long as fastInvSqrt makes a unit vector (a little short of 1), forward pointing from
// the eye at the target, right level with the ground at roll 0. The eye maps to the
// origin and the target straight ahead, onto the screen's centre.
TEST(Camera, ViewRowsAreAnOrthogonalBasisFromTheEyeToTheTarget) {
    const Vector3 eyes[] = {Vector3(0, 0, 10), Vector3(3, -2, 7), Vector3(-40, 5, -12)};
    for (const Vector3& eye : eyes) {
        for (const float roll : {0.0f, 0.7f, -2.5f}) {
            const Vector3 target(1, 2, -3);
            const Camera camera(eye, target, 60, roll);
            Vector3 rows[3];
            for (int r = 0; r < 3; ++r)
                rows[r] = Vector3(camera.view.m[r][0], camera.view.m[r][1], camera.view.m[r][2]);
            for (int r = 0; r < 3; ++r) {
                EXPECT_GE(dot(rows[r], rows[r]), 0.996) << r;
                EXPECT_LE(dot(rows[r], rows[r]), 1.000001) << r;
                EXPECT_NEAR(dot(rows[r], rows[(r + 1) % 3]), 0.0, 1e-5) << r;
            }
            const Vector3 toTarget = target - eye;
            EXPECT_NEAR(dot(rows[2], toTarget),
                        std::sqrt(dot(rows[2], rows[2]) * dot(toTarget, toTarget)),
                        1e-4 * std::sqrt(dot(toTarget, toTarget)));
            if (roll == 0) {
                EXPECT_EQ(rows[0].y, 0.0f);
            }
            const Vector3 eyeInView = transformPoint(eye, camera.view);
            EXPECT_NEAR(eyeInView.x, 0, 1e-4);
            EXPECT_NEAR(eyeInView.y, 0, 1e-4);
            EXPECT_NEAR(eyeInView.z, 0, 1e-4);
            // On the optical axis, but for rounding that may tip it into the next pixel.
            int x = 0, y = 0;
            camera.project(transformPoint(target, camera.view), x, y);
            EXPECT_NEAR(x, 160, 1);
            EXPECT_NEAR(y, 120, 1);
        }
    }
}

TEST(Camera, WorldUpIsScreenUpAndWorldXIsScreenLeftLookingAlongZ) {
    const Camera camera(Vector3(0, 0, -10), Vector3(0, 0, 0), 45, 0);
    int x = 0, y = 0;
    camera.project(transformPoint(Vector3(0, 1, 0), camera.view), x, y);
    EXPECT_LT(y, 120);
    camera.project(transformPoint(Vector3(1, 0, 0), camera.view), x, y);
    EXPECT_LT(x, 160);
}

// Planes 0 to 3 leave the half-angles 0.0001 radian narrower than the screen's: each
// plane's normal is (cos a, 0, sin a) and the like, a and b from their definition in
// double. Near and far stand at z = -1 and z = 1000.
TEST(Camera, PlanesAreTheFrustumSidesNarrowedByTheMargin) {
    const Camera camera = standardCamera();
    const double a = 22.5 * kPiOver180 - 0.0001;
    const double b = std::atan2(120.0, 150 / std::tan(22.5 * kPiOver180)) - 0.0001;
    const double expected[4][3] = {{std::cos(a), 0, std::sin(a)},
                                   {-std::cos(a), 0, std::sin(a)},
                                   {0, std::cos(b), std::sin(b)},
                                   {0, -std::cos(b), std::sin(b)}};
    for (int p = 0; p < 4; ++p) {
        EXPECT_NEAR(camera.planes[p].normal.x, expected[p][0], 1e-6) << p;
        EXPECT_NEAR(camera.planes[p].normal.y, expected[p][1], 1e-6) << p;
        EXPECT_NEAR(camera.planes[p].normal.z, expected[p][2], 1e-6) << p;
        EXPECT_EQ(camera.planes[p].offset, 0.0f) << p;
    }
    EXPECT_EQ(camera.planes[4].offset, 1.0f);
    EXPECT_EQ(camera.planes[4].normal.z, 1.0f);
    EXPECT_EQ(camera.planes[5].offset, 1000.0f);
    EXPECT_EQ(camera.planes[5].normal.z, -1.0f);
}

// What the four side planes keep projects strictly inside the screen: the margin's
// purpose. Points just inside each side plane, near and far, land on columns 0..319 and
// rows 0..239.
TEST(Camera, WhatTheSidePlanesKeepProjectsOntoTheScreen) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> depth(0.5f, 900), across(-1, 1);
    for (const float fov : {45.0f, 75.0f, 130.0f}) {
        const Camera camera(Vector3(0, 0, 10), Vector3(0, 0, 0), fov, 0);
        const float halfWidth = static_cast<float>(std::tan(fov / 2 * kPiOver180));
        for (int n = 0; n < 20000; ++n) {
            const float z = depth(random);
            // Up to a little beyond the screen's edges, where the planes cut in (the
            // vertical half-angle's tangent is 0.8 of the horizontal one's).
            const Vector3 p(1.01f * across(random) * halfWidth * z,
                            1.01f * across(random) * halfWidth * 0.8f * z, z);
            bool kept = true;
            for (int plane = 0; plane < 4; ++plane) {
                kept = kept && camera.planes[plane].distance(p) >= 0;
            }
            if (!kept) continue;
            int x = -1, y = -1;
            camera.project(p, x, y);
            ASSERT_GE(x, 0) << p.x << " " << p.z;
            ASSERT_LE(x, 319) << p.x << " " << p.z;
            ASSERT_GE(y, 0) << p.y << " " << p.z;
            ASSERT_LE(y, 239) << p.y << " " << p.z;
        }
    }
}

TEST(Camera, ProjectTruncatesTowardZero) {
    Camera camera = standardCamera();
    camera.focalX = 1;
    camera.focalY = 1;
    int x = 0, y = 0;
    camera.project(Vector3(159.9f, -119.3f, 1), x, y);  // 319.9, 0.7
    EXPECT_EQ(x, 319);
    EXPECT_EQ(y, 0);
}

// A damaged model can hand the projection points no clip would keep; what comes out must
// still be safe for the rasterizers' 16.16 edge steps.
TEST(Camera, ProjectHoldsWildPointsWithinTheRasterizersRange) {
    const Camera camera = standardCamera();
    for (const Vector3& wild : {Vector3(6e25f, -7e12f, 1e-20f), Vector3(-1e30f, 1e30f, 1),
                                Vector3(1, 1, 0)}) {
        int x = 0, y = 0;
        camera.project(wild, x, y);
        EXPECT_LE(std::abs(x), 8192);
        EXPECT_LE(std::abs(y), 8192);
    }
}

TEST(ClipProjectSegment, RejectsSegmentsBehindTheEyeWithoutWriting) {
    const Camera camera = standardCamera();
    int x0 = -7, y0 = -7, x1 = -7, y1 = -7;
    EXPECT_FALSE(clipProjectSegment(camera, Vector3(0, 0, -5), Vector3(1, 1, -2), x0, y0, x1, y1));
    EXPECT_EQ(x0, -7);
    EXPECT_EQ(y0, -7);
    EXPECT_EQ(x1, -7);
    EXPECT_EQ(y1, -7);
}

TEST(ClipProjectSegment, ProjectsInsideSegmentsUnchanged) {
    const Camera camera = standardCamera();
    const Vector3 a(-1, 0.5f, 10), b(2, -1, 20);
    int x0, y0, x1, y1;
    ASSERT_TRUE(clipProjectSegment(camera, a, b, x0, y0, x1, y1));
    int ex, ey;
    camera.project(a, ex, ey);
    EXPECT_EQ(x0, ex);
    EXPECT_EQ(y0, ey);
    camera.project(b, ex, ey);
    EXPECT_EQ(x1, ex);
    EXPECT_EQ(y1, ey);
}

TEST(ClipProjectSegment, CutsASegmentCrossingTheLeftEdgeAtThatPlane) {
    const Camera camera = standardCamera();
    Vector3 a(-100, 0, 10), b(0, 0, 10);
    ASSERT_TRUE(clipSegment(camera.planes[0], a, b));
    EXPECT_NEAR(camera.planes[0].distance(a), 0.0, 1e-4);
    EXPECT_EQ(b.x, 0.0f);

    int x0, y0, x1, y1;
    ASSERT_TRUE(
        clipProjectSegment(camera, Vector3(-100, 0, 10), Vector3(0, 0, 10), x0, y0, x1, y1));
    EXPECT_EQ(x0, 0);  // the cut end lands on the screen's first column
    EXPECT_EQ(x1, 160);
    EXPECT_EQ(y0, 120);
}

TEST(ClipProjectSegment, ASegmentCollapsingToOnePixelIsFalseButWritten) {
    const Camera camera = standardCamera();
    int x0 = -1, y0 = -1, x1 = -1, y1 = -1;
    EXPECT_FALSE(clipProjectSegment(camera, Vector3(0, 0, 10), Vector3(0.0001f, 0, 10), x0, y0,
                                           x1, y1));
    EXPECT_EQ(x0, 160);
    EXPECT_EQ(x1, 160);
    EXPECT_EQ(y0, 120);
}

// Segments and polygons share one rule for points on a plane: such a point is kept only
// as the crossing point of an edge that leaves the plane, so whatever lies on the plane
// alone is dropped.
TEST(ClipSegment, PointsOnThePlaneFollowThePolygonRule) {
    Vector3 a(0, 1, 0), b(2, 3, 0);
    ASSERT_TRUE(clipSegment(kKeepPositiveX, a, b));
    EXPECT_EQ(a.x, 0.0f);  // the end on the plane stays where it is
    EXPECT_EQ(a.y, 1.0f);
    EXPECT_EQ(b.x, 2.0f);

    Vector3 c(0, 1, 0), d(0, 5, 2);
    EXPECT_FALSE(clipSegment(kKeepPositiveX, c, d));  // lying on the plane
    EXPECT_EQ(d.y, 5.0f);
    ClipPolygonShade out;
    EXPECT_FALSE(clipToPlane(kKeepPositiveX,
                             triangle(Vector3(0, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1)), out));

    Vector3 e(0, 1, 0), f(-2, 1, 0);
    EXPECT_FALSE(clipSegment(kKeepPositiveX, e, f));  // touching it from outside: one point
    EXPECT_EQ(f.x, -2.0f);
    EXPECT_FALSE(clipToPlane(kKeepPositiveX,
                             triangle(Vector3(0, 0, 0), Vector3(-1, 1, 0), Vector3(-1, 0, 1)), out));
}

TEST(ClipToPlane, CountsVerticesForEachTriangleCase) {
    ClipPolygonShade out;
    // One vertex outside: a quadrilateral.
    EXPECT_TRUE(clipToPlane(kKeepPositiveX,
                            triangle(Vector3(1, 0, 0), Vector3(2, 1, 0), Vector3(-1, 2, 0)), out));
    EXPECT_EQ(out.count, 4u);
    // Two outside: a smaller triangle.
    EXPECT_TRUE(clipToPlane(kKeepPositiveX,
                            triangle(Vector3(1, 0, 0), Vector3(-2, 1, 0), Vector3(-1, 2, 0)), out));
    EXPECT_EQ(out.count, 3u);
    // All outside: nothing.
    EXPECT_FALSE(clipToPlane(kKeepPositiveX,
                             triangle(Vector3(-1, 0, 0), Vector3(-2, 1, 0), Vector3(-1, 2, 0)), out));
    EXPECT_EQ(out.count, 0u);
}

TEST(ClipToPlane, AVertexOnThePlaneReappearsTwice) {
    ClipPolygonShade out;
    ASSERT_TRUE(clipToPlane(kKeepPositiveX,
                            triangle(Vector3(0, 0, 0), Vector3(1, 1, 0), Vector3(1, -1, 0)), out));
    ASSERT_EQ(out.count, 4u);
    int onPlane = 0;
    for (uint32_t i = 0; i < out.count; ++i) {
        if (out.positions[i].x == 0 && out.positions[i].y == 0) {
            ++onPlane;
            EXPECT_EQ(out.shades[i], 0.0f);
        }
    }
    EXPECT_EQ(onPlane, 2);
}

TEST(ClipToPlane, InterpolatesAttributesWithPositions) {
    ClipPolygonUV in;
    in.positions[0] = Vector3(-1, 0, 0);
    in.positions[1] = Vector3(3, 0, 0);
    in.positions[2] = Vector3(3, 4, 0);
    in.uv[0][0] = 0;
    in.uv[0][1] = 100;
    in.uv[1][0] = 40;
    in.uv[1][1] = 20;
    in.uv[2][0] = 40;
    in.uv[2][1] = 60;
    in.count = 3;
    ClipPolygonUV out;
    ASSERT_TRUE(clipToPlane(kKeepPositiveX, in, out));
    ASSERT_EQ(out.count, 4u);
    for (uint32_t i = 0; i < out.count; ++i) {
        const Vector3& p = out.positions[i];
        EXPECT_GE(p.x, -1e-6f);
        // The input's attributes are affine in position: u = 10 (x + 1), v = 100 - 20 (x + 1) + 10 y.
        EXPECT_NEAR(out.uv[i][0], 10 * (p.x + 1), 1e-4);
        EXPECT_NEAR(out.uv[i][1], 100 - 20 * (p.x + 1) + 10 * p.y, 1e-4);
    }
}

TEST(ClipToPlane, NeverOverflowsItsRecords) {
    // A 20-vertex zigzag crossing the plane at every edge would need 30 output vertices.
    ClipPolygonShade zigzag;
    for (int i = 0; i < kClipPolygonCapacity; ++i) {
        zigzag.positions[i] = Vector3(i % 2 == 0 ? 1.0f : -1.0f, static_cast<float>(i), 0);
        zigzag.shades[i] = static_cast<float>(i);
    }
    zigzag.count = kClipPolygonCapacity;
    ClipPolygonShade out;
    EXPECT_FALSE(clipToPlane(kKeepPositiveX, zigzag, out));
    EXPECT_EQ(out.count, 0u);

    zigzag.count = 1000;  // a corrupt count is rejected, not read past the record
    EXPECT_FALSE(clipToPlane(kKeepPositiveX, zigzag, out));
    EXPECT_EQ(out.count, 0u);
}

TEST(ClipToFrustum, KeepsAnInsideTriangleAndDropsOneBehindTheEye) {
    const Camera camera = standardCamera();
    ClipPolygonShade scratch;
    ClipPolygonShade inside = triangle(Vector3(-1, -1, 10), Vector3(1, -1, 10), Vector3(0, 1, 10));
    ASSERT_TRUE(clipToFrustum(camera, inside, scratch));
    EXPECT_EQ(inside.count, 3u);
    EXPECT_EQ(inside.positions[0].x, -1.0f);

    ClipPolygonShade behind = triangle(Vector3(-1, -1, -5), Vector3(1, -1, -5), Vector3(0, 1, -5));
    EXPECT_FALSE(clipToFrustum(camera, behind, scratch));
}

TEST(ClipToFrustum, EverythingItKeepsProjectsOntoTheScreen) {
    const Camera camera = standardCamera();
    ClipPolygonShade scratch;
    // A huge triangle through the eye's plane: cut by every side.
    ClipPolygonShade big =
        triangle(Vector3(-500, -400, 0.5f), Vector3(600, -300, 50), Vector3(0, 700, 3000));
    ASSERT_TRUE(clipToFrustum(camera, big, scratch));
    EXPECT_GE(big.count, 3u);
    for (uint32_t i = 0; i < big.count; ++i) {
        int x, y;
        camera.project(big.positions[i], x, y);
        EXPECT_GE(x, 0);
        EXPECT_LE(x, 319);
        EXPECT_GE(y, 0);
        EXPECT_LE(y, 239);
    }
}

TEST(ClipToFrustum, TheOutcodesForetellWhatTheClipMakesOfATriangle) {
    // The face set-up trusts triangleInView instead of clipping: a triangle it finds
    // Inside must come out of the clip unchanged to the bit, one it finds Outside must be
    // dropped; for triangles inside, crossing one or several planes, touching a plane.
    // Too few vertices are never a polygon.
    const Camera camera = standardCamera();
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-6, 6);
    std::uniform_real_distribution<float> depth(-2, 20);
    int verdicts[3] = {0, 0, 0};
    for (int n = 0; n < 3000; ++n) {
        ClipPolygonShade poly;
        poly.count = 3;
        for (uint32_t k = 0; k < 3; ++k) {
            poly.positions[k] = Vector3(coordinate(random), coordinate(random), depth(random));
            poly.shades[k] = static_cast<float>(40 * k + n % 7);
        }
        if (n % 5 == 0) poly.positions[1].x = 0, poly.positions[1].z = 0;  // on planes 0, 1
        if (n % 50 == 1) {  // two vertices well inside: no polygon
            poly.count = 2;
            poly.positions[0] = Vector3(0, 0, 10);
            poly.positions[1] = Vector3(1, 1, 12);
        }
        const ClipPolygonShade before = poly;
        ClipPolygonShade scratch;
        const bool kept = clipToFrustum(camera, poly, scratch);
        if (before.count != 3) {
            EXPECT_FALSE(kept) << n;
            continue;
        }
        const FaceInView inView = triangleInView(frustumOutcode(camera, before.positions[0]),
                                                 frustumOutcode(camera, before.positions[1]),
                                                 frustumOutcode(camera, before.positions[2]));
        ++verdicts[static_cast<int>(inView)];
        if (inView == FaceInView::Outside) {
            EXPECT_FALSE(kept) << n;
        }
        if (inView != FaceInView::Inside) continue;
        ASSERT_TRUE(kept) << n;
        ASSERT_EQ(poly.count, 3u) << n;
        EXPECT_EQ(std::memcmp(poly.positions, before.positions, sizeof poly.positions[0] * 3), 0)
            << n;
        EXPECT_EQ(std::memcmp(poly.shades, before.shades, sizeof poly.shades[0] * 3), 0) << n;
    }
    for (int verdict : verdicts) EXPECT_GT(verdict, 50);  // each case well represented
}
