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
#include "render3d/vertex_cache.h"

namespace {

// A strip of triangles over random vertices with random normals, in view space: some in
// front of the camera, some beside or behind it, some exactly on a frustum plane.
void fillStrip(Mesh& mesh, std::mt19937& random) {
    std::uniform_real_distribution<float> coordinate(-4, 4), depth(-2, 12);
    const int vertices = 60;
    mesh.setVertexCount(vertices);
    for (int i = 0; i < vertices; ++i) {
        mesh.viewPositions[i] = Vector3(coordinate(random), coordinate(random), depth(random));
        if (i % 7 == 0) mesh.viewPositions[i] = Vector3(0, 0, 0);  // on planes 0 to 3
        mesh.viewNormals[i] = normalized(Vector3(coordinate(random), coordinate(random), -1));
    }
    mesh.setFaceCount(vertices - 2);
    mesh.visibleCount = 0;
    for (int f = 0; f < vertices - 2; ++f) {
        MeshFace& face = mesh.faces[f];
        face.vertex0 = f;
        face.vertex1 = f + 1;
        face.vertex2 = f + 2;
        attachFaceToVertices(face);
        mesh.drawOrder[mesh.visibleCount++] = &face;
    }
}

const Camera kCamera(Vector3(0, 0, -3), Vector3(0, 0, 5), 60, 0.3f);

}  // namespace

TEST(FaceSetup, LitFacesThroughTheCacheAreWhatThePlainSetUpGives) {
    std::mt19937 random(8);
    Mesh first, second;
    fillStrip(first, random);
    fillStrip(second, random);
    VertexCache cache;
    cache.addMesh(first, first.vertexCount);
    cache.addMesh(second, second.vertexCount);
    for (const Vector3 light : {Vector3(0, 0, 0), Vector3(4, -2, 9), Vector3(-5, 1, 2)}) {
        cache.newFrame();
        // Faces of both meshes, interleaved, so each vertex is asked for by up to three.
        for (int f = 0; f < first.faceCount; ++f) {
            for (const Mesh* mesh : {&first, &second}) {
                const MeshFace& face = mesh->faces[f];
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
    Mesh mesh;
    fillStrip(mesh, random);
    VertexCache cache;
    cache.addMesh(mesh, mesh.vertexCount);
    const Vector3 lights[2] = {Vector3(4, -2, 9), Vector3(-5, 1, 2)};
    auto shadesOf = [&](const Vector3& light, std::vector<uint8_t>& shades) {
        shades.clear();
        for (int f = 0; f < mesh.faceCount; ++f) {
            ScreenPoint points[kClipPolygonCapacity];
            uint8_t faceShades[kClipPolygonCapacity];
            const int count = clipLitFace(mesh.faces[f], kCamera, light, 128.0f, 128.0f, cache,
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
    Mesh mesh;
    fillStrip(mesh, random);
    VertexCache cache;
    cache.addMesh(mesh, mesh.vertexCount);
    std::vector<uint8_t> texture(65536);
    for (size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<uint8_t>(i % 251);
    std::vector<uint8_t> expected(320 * 240, 0), actual(320 * 240, 0);
    for (int f = 0; f < mesh.visibleCount; ++f) {
        ScreenPoint points[kClipPolygonCapacity];
        int u[kClipPolygonCapacity], v[kClipPolygonCapacity];
        const int count = plain::clipEnvironmentFace(*mesh.drawOrder[f], kCamera, points, u, v);
        plain::fillTextured(points, u, v, count, texture.data(), expected.data());
    }
    drawEnvironmentMapped(mesh, kCamera, texture.data(), cache, actual.data());
    EXPECT_TRUE(actual == expected);
    EXPECT_NE(std::count(actual.begin(), actual.end(), 0), 320 * 240);  // something was drawn
}
