// The face set-up before a fill: point lighting of mesh vertices, and the per-frame cache
// that lights and projects each vertex once, against the plain set-up that clips every
// face.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "assets/mesh.h"
#include "render3d/clipping.h"
#include "render3d/environment_map.h"
#include "render3d/face_setup.h"
#include "render3d/mesh_view.h"
#include "render3d/vertex_cache.h"

namespace {

// A strip of triangles over random vertices with random normals, in view space: some in
// front of the camera, some beside or behind it, some exactly on a frustum plane. The
// model holds the faces; the view's positions and normals are written directly.
struct Strip {
    Mesh model;
    MeshView view;
};

void fillStrip(Strip& strip, std::mt19937& random) {
    std::uniform_real_distribution<float> coordinate(-4, 4), depth(-2, 12);
    const int vertices = 60;
    Mesh& model = strip.model;
    model.setVertexCount(vertices);
    model.setFaceCount(vertices - 2);
    for (int f = 0; f < vertices - 2; ++f) model.faces[f] = {f, f + 1, f + 2, 0, {}, {}};
    MeshView& view = strip.view;
    viewModel(view, model);
    for (int i = 0; i < vertices; ++i) {
        view.viewPositions[i] = Vector3(coordinate(random), coordinate(random), depth(random));
        if (i % 7 == 0) view.viewPositions[i] = Vector3(0, 0, 0);  // on planes 0 to 3
        view.viewNormals[i] = normalized(Vector3(coordinate(random), coordinate(random), -1));
    }
    for (int f = 0; f < view.faceCount; ++f) view.drawOrder[view.visibleCount++] = &view.faces[f];
}

const Camera kCamera(Vector3(0, 0, -3), Vector3(0, 0, 5), 60, 0.3f);

}  // namespace

TEST(FaceSetup, LitFacesThroughTheCacheAreWhatThePlainSetUpGives) {
    std::mt19937 random(8);
    Strip first, second;
    fillStrip(first, random);
    fillStrip(second, random);
    VertexCache cache;
    cache.addView(first.view, first.model.vertexCount);
    cache.addView(second.view, second.model.vertexCount);
    for (const Vector3 light : {Vector3(0, 0, 0), Vector3(4, -2, 9), Vector3(-5, 1, 2)}) {
        cache.newFrame();
        // Faces of both meshes, interleaved, so each vertex is asked for by up to three.
        for (int f = 0; f < first.view.faceCount; ++f) {
            for (const Strip* strip : {&first, &second}) {
                const MeshFace& face = strip->view.faces[f];
                ScreenPoint expectedPoints[kClipPolygonCapacity], points[kClipPolygonCapacity];
                uint8_t expectedShades[kClipPolygonCapacity], shades[kClipPolygonCapacity];
                const int expected = plain::clipLitFace(face, kCamera, light, 128.0f, 100.0f,
                                                        expectedPoints, expectedShades);
                const int count =
                    clipLitFace(face, kCamera, light, 128.0f, 100.0f, cache, points, shades);
                ASSERT_EQ(count, expected) << "face " << f;
                for (int k = 0; k < count; ++k) {
                    EXPECT_EQ(points[k].x, expectedPoints[k].x) << "face " << f << " corner " << k;
                    EXPECT_EQ(points[k].y, expectedPoints[k].y) << "face " << f << " corner " << k;
                    EXPECT_EQ(shades[k], expectedShades[k]) << "face " << f << " corner " << k;
                }
            }
        }
    }
}

// The frame stamps are short and come round again: an entry from a whole round of frames
// ago must not pass for the present frame's.
TEST(FaceSetup, TheCacheForgetsEntriesOnceItsFrameStampsComeRound) {
    std::mt19937 random(10);
    Strip strip;
    fillStrip(strip, random);
    const MeshView& view = strip.view;
    VertexCache cache;
    cache.addView(view, strip.model.vertexCount);
    const Vector3 lights[2] = {Vector3(4, -2, 9), Vector3(-5, 1, 2)};
    auto shadesOf = [&](const Vector3& light, std::vector<uint8_t>& shades) {
        shades.clear();
        for (int f = 0; f < view.faceCount; ++f) {
            ScreenPoint points[kClipPolygonCapacity];
            uint8_t faceShades[kClipPolygonCapacity];
            const int count = clipLitFace(view.faces[f], kCamera, light, 128.0f, 128.0f, cache,
                                          points, faceShades);
            shades.insert(shades.end(), faceShades, faceShades + count);
        }
    };
    std::vector<uint8_t> second, again;
    cache.newFrame();
    shadesOf(lights[1], second);
    cache.newFrame();
    shadesOf(lights[0], again);
    ASSERT_NE(again, second);  // the two lights shade differently
    for (int frame = 0; frame < 65535; ++frame) cache.newFrame();
    shadesOf(lights[1], again);
    EXPECT_EQ(again, second);
}

TEST(FaceSetup, EnvironmentMappedFacesThroughTheCacheDrawWhatThePlainSetUpDraws) {
    std::mt19937 random(9);
    Strip strip;
    fillStrip(strip, random);
    const MeshView& view = strip.view;
    VertexCache cache;
    cache.addView(view, strip.model.vertexCount);
    std::vector<uint8_t> texture(65536);
    for (size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<uint8_t>(i % 251);
    std::vector<uint8_t> expected(320 * 240, 0), actual(320 * 240, 0);
    for (int f = 0; f < view.visibleCount; ++f) {
        ScreenPoint points[kClipPolygonCapacity];
        int u[kClipPolygonCapacity], v[kClipPolygonCapacity];
        const int count = plain::clipEnvironmentFace(*view.drawOrder[f], kCamera, points, u, v);
        plain::fillTextured(points, u, v, count, texture.data(), expected.data());
    }
    drawEnvironmentMapped(view, kCamera, texture.data(), cache, actual.data());
    EXPECT_TRUE(actual == expected);
    EXPECT_NE(std::count(actual.begin(), actual.end(), 0), 320 * 240);  // something was drawn
}
