// Point lighting of mesh vertices, and the cache that lights each vertex once a frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "assets/mesh.h"
#include "render3d/lighting.h"

namespace {

// A strip of triangles over random vertices with random normals, in view space.
void fillStrip(Mesh& mesh, std::mt19937& random) {
    std::uniform_real_distribution<float> coordinate(-3, 3);
    const int vertices = 12;
    mesh.setVertexCount(vertices);
    for (int i = 0; i < vertices; ++i) {
        mesh.viewPositions[i] = Vector3(coordinate(random), coordinate(random), 5 + i);
        mesh.viewNormals[i] = normalized(Vector3(coordinate(random), coordinate(random), -1));
    }
    mesh.setFaceCount(vertices - 2);
    for (int f = 0; f < vertices - 2; ++f) {
        MeshFace& face = mesh.faces[f];
        face.vertex0 = f;
        face.vertex1 = f + 1;
        face.vertex2 = f + 2;
        attachFaceToVertices(face);
    }
}

}  // namespace

TEST(VertexShadeCache, GivesEveryCornerItsOwnVertexShadeUnderThisFramesLight) {
    std::mt19937 random(8);
    Mesh first, second;
    fillStrip(first, random);
    fillStrip(second, random);
    VertexShadeCache cache;
    cache.addMesh(first, first.vertexCount);
    cache.addMesh(second, second.vertexCount);
    for (const Vector3 light : {Vector3(0, 0, 0), Vector3(4, -2, 9), Vector3(-5, 1, 2)}) {
        cache.newFrame();
        // Faces of both meshes, interleaved, each corner asked for by up to three faces.
        for (int f = 0; f < first.faceCount; ++f) {
            for (const Mesh* mesh : {&first, &second}) {
                const MeshFace& face = mesh->faces[f];
                const int vertices[3] = {face.vertex0, face.vertex1, face.vertex2};
                for (int k = 0; k < 3; ++k) {
                    const int v = vertices[k];
                    const float expected = std::min(
                        100.0f, pointLightShade(mesh->viewNormals[v], light,
                                                mesh->viewPositions[v], 128.0f));
                    ASSERT_EQ(cache.shade(face, k, light, 128.0f, 100.0f), expected)
                        << "face " << f << " corner " << k;
                }
            }
        }
    }
}
