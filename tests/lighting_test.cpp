// The face setup before a fill: point lighting of mesh vertices, and the per-frame cache
// that lights and projects each vertex once.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "assets/mesh.h"
#include "render3d/clipping.h"
#include "render3d/environment_map.h"
#include "render3d/lighting.h"
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

TEST(FaceSetup, LitFacesThroughTheCacheAreWhatClippingEveryFaceGives) {
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
                ClipPolygonShade polygon, scratch;
                polygon.count = 3;
                for (int k = 0; k < 3; ++k) {
                    const int v = cornerVertex(face, k);
                    polygon.positions[k] = mesh->viewPositions[v];
                    polygon.shades[k] = std::min(
                        100.0f, pointLightShade(mesh->viewNormals[v], light,
                                                mesh->viewPositions[v], 128.0f));
                }
                const int expected =
                    clipToFrustum(kCamera, polygon, scratch) ? static_cast<int>(polygon.count) : 0;
                ScreenPoint points[kClipPolygonCapacity];
                uint8_t shades[kClipPolygonCapacity];
                const int count =
                    clipLitFace(face, kCamera, light, 128.0f, 100.0f, cache, points, shades);
                ASSERT_EQ(count, expected) << "face " << f;
                for (int k = 0; k < count; ++k) {
                    int x, y;
                    kCamera.project(polygon.positions[k], x, y);
                    EXPECT_EQ(points[k].x, x) << "face " << f << " corner " << k;
                    EXPECT_EQ(points[k].y, y) << "face " << f << " corner " << k;
                    EXPECT_EQ(shades[k], shadeByte(polygon.shades[k])) << "face " << f;
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

TEST(FaceSetup, EnvironmentMappedFacesThroughTheCacheDrawWhatClippingEveryFaceDraws) {
    std::mt19937 random(9);
    Mesh mesh;
    fillStrip(mesh, random);
    VertexCache cache;
    cache.addMesh(mesh, mesh.vertexCount);
    std::vector<uint8_t> texture(65536);
    for (size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<uint8_t>(i % 251);
    std::vector<uint8_t> expected(320 * 240, 0), actual(320 * 240, 0);
    for (int f = 0; f < mesh.visibleCount; ++f) {
        const MeshFace& face = *mesh.drawOrder[f];
        ClipPolygonUV polygon, scratch;
        polygon.count = 3;
        for (int k = 0; k < 3; ++k) {
            const Vector3& n = mesh.viewNormals[cornerVertex(face, k)];
            polygon.positions[k] = cornerPosition(face, k);
            polygon.uv[k][0] = environmentCoordinate(n.x);
            polygon.uv[k][1] = environmentCoordinate(n.y);
        }
        if (!clipToFrustum(kCamera, polygon, scratch)) continue;
        ScreenPoint points[kClipPolygonCapacity];
        int u[kClipPolygonCapacity], v[kClipPolygonCapacity];
        for (uint32_t k = 0; k < polygon.count; ++k) {
            kCamera.project(polygon.positions[k], points[k].x, points[k].y);
            u[k] = static_cast<int>(polygon.uv[k][0]);
            v[k] = static_cast<int>(polygon.uv[k][1]);
        }
        fillTextured(points, u, v, static_cast<int>(polygon.count), texture.data(),
                     expected.data());
    }
    drawEnvironmentMapped(mesh, kCamera, texture.data(), cache, actual.data());
    EXPECT_TRUE(actual == expected);
    EXPECT_NE(std::count(actual.begin(), actual.end(), 0), 320 * 240);  // something was drawn
}
