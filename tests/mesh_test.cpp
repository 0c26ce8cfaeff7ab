// Meshes and mesh groups: normals, transformation, back-face culling and the far-to-near
// order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "assets/mesh.h"
#include "render3d/depth_sort.h"
#include "render3d/mesh_view.h"
#include "render3d/mesh_group.h"

namespace {

// A mesh of the given vertices and faces (index triples), faces attached and normals
// computed as the loaders leave them.
void fillMesh(Mesh& mesh, const std::vector<Vector3>& vertices,
              const std::vector<std::array<int, 3>>& faces) {
    mesh.setVertexCount(static_cast<int>(vertices.size()));
    for (size_t i = 0; i < vertices.size(); ++i) {
        mesh.positions[i] = vertices[i];
        mesh.viewPositions[i] = vertices[i];
    }
    mesh.setFaceCount(static_cast<int>(faces.size()));
    for (size_t i = 0; i < faces.size(); ++i) {
        MeshFace& face = mesh.faces[i];
        face.vertex0 = faces[i][0];
        face.vertex1 = faces[i][1];
        face.vertex2 = faces[i][2];
        face.flags = 0;
        attachFaceToVertices(face);
    }
    mesh.computeFaceNormals();
    mesh.computeVertexNormals();
}

// One triangle at depth z, facing the eye at the origin (counter-clockwise seen from it,
// with y down the screen) unless flipped.
void addFacingTriangle(std::vector<Vector3>& vertices, std::vector<std::array<int, 3>>& faces,
                       float z, bool facingEye) {
    const int base = static_cast<int>(vertices.size());
    vertices.push_back(Vector3(0, 0, z));
    vertices.push_back(Vector3(1, 0, z));
    vertices.push_back(Vector3(0, 1, z));
    if (facingEye) {
        faces.push_back({base, base + 2, base + 1});
    } else {
        faces.push_back({base, base + 1, base + 2});
    }
}

}  // namespace

TEST(Mesh, StartsEmptyAndReleasesTwiceSafely) {
    Mesh mesh;
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.faceCount, 0);
    EXPECT_EQ(mesh.positions, nullptr);
    mesh.setVertexCount(10);
    mesh.setFaceCount(4);
    EXPECT_EQ(mesh.faces[3].owner, &mesh);
    mesh.setVertexCount(20);  // resizing frees the old arrays (the sanitizer build checks)
    mesh.release();
    mesh.release();
    EXPECT_EQ(mesh.faces, nullptr);
}

TEST(Mesh, NormalsOfAClosedTetrahedronPointOutward) {
    Mesh mesh;
    // Winding with (v1 - v0) x (v2 - v0) pointing out of the solid.
    fillMesh(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
             {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
    const Vector3 centre(0.25f, 0.25f, 0.25f);
    for (int i = 0; i < mesh.vertexCount; ++i) {
        EXPECT_GT(dot(mesh.normals[i], mesh.positions[i] - centre), 0) << i;
        EXPECT_NEAR(dot(mesh.normals[i], mesh.normals[i]), 1.0, 0.004);
    }
    // Face normals come from (A - B) x (C - B): the opposite side.
    EXPECT_NEAR(mesh.faces[0].normal.z, 0.998307f, 1e-5);
}

TEST(Mesh, AVertexUsedByNoFaceHasAZeroNormal) {
    Mesh mesh;
    fillMesh(mesh, {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}, {7, 7, 7}}, {{0, 1, 2}});
    EXPECT_EQ(mesh.normals[3].x, 0.0f);
    EXPECT_EQ(mesh.normals[3].y, 0.0f);
    EXPECT_EQ(mesh.normals[3].z, 0.0f);
}

TEST(Mesh, TransformTranslatesPositionsButNotNormals) {
    Mesh mesh;
    fillMesh(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    AffineMatrix matrix = AffineMatrix::identity();
    matrix.m[2][3] = 5;
    transform(mesh, matrix, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mesh.viewPositions[i].z, mesh.positions[i].z + 5);
        EXPECT_EQ(mesh.viewPositions[i].x, mesh.positions[i].x);
        EXPECT_EQ(mesh.viewNormals[i].z, mesh.normals[i].z);
        EXPECT_EQ(mesh.viewNormals[i].x, mesh.normals[i].x);
    }
}

TEST(Mesh, TransformGivesThePlainTransformsBits) {
    std::mt19937 random(21);
    std::uniform_real_distribution<float> any(-50, 50);
    Mesh fast, plainMesh;
    for (Mesh* mesh : {&fast, &plainMesh}) mesh->setVertexCount(300);
    for (int i = 0; i < 300; ++i) {
        // Zero components too, whose sign the normals' added 0 decides.
        const Vector3 p(any(random), any(random), i % 5 == 0 ? -0.0f : any(random));
        const Vector3 n(i % 7 == 0 ? -0.0f : any(random), any(random), any(random));
        fast.positions[i] = plainMesh.positions[i] = p;
        fast.normals[i] = plainMesh.normals[i] = n;
    }
    AffineMatrix matrix;
    for (auto& row : matrix.m)
        for (float& entry : row) entry = any(random);
    matrix.m[1][0] = matrix.m[1][1] = matrix.m[1][2] = 0.0f;  // a row of -0 products
    transform(fast, matrix);
    plain::transform(plainMesh, matrix);
    const size_t bytes = 300 * sizeof(Vector3);
    EXPECT_EQ(std::memcmp(fast.viewPositions, plainMesh.viewPositions, bytes), 0);
    EXPECT_EQ(std::memcmp(fast.viewNormals, plainMesh.viewNormals, bytes), 0);
}

TEST(Mesh, CullKeepsFacesTowardTheEyeAndThoseSeenEdgeOn) {
    std::vector<Vector3> vertices;
    std::vector<std::array<int, 3>> faces;
    addFacingTriangle(vertices, faces, 5, true);
    addFacingTriangle(vertices, faces, 6, false);
    // A face in a plane through the eye: d = 0.
    vertices.push_back(Vector3(0, 0, 1));
    vertices.push_back(Vector3(0, 0, 2));
    vertices.push_back(Vector3(0, 1, 3));
    faces.push_back({6, 7, 8});
    Mesh mesh;
    fillMesh(mesh, vertices, faces);

    cullAndSort(mesh, true);
    ASSERT_EQ(mesh.visibleCount, 2);
    EXPECT_EQ(mesh.drawOrder[0], &mesh.faces[0]);  // depth 15 before depth 6
    EXPECT_EQ(mesh.drawOrder[1], &mesh.faces[2]);
    EXPECT_EQ(mesh.faces[0].depth, 15.0f);

    cullAndSort(mesh, false);
    EXPECT_EQ(mesh.visibleCount, 3);
    EXPECT_EQ(mesh.drawOrder[0], &mesh.faces[1]);
}

TEST(Mesh, NoFacesMeansNothingVisible) {
    Mesh mesh;
    mesh.setVertexCount(0);
    mesh.setFaceCount(0);
    cullAndSort(mesh, true);
    EXPECT_EQ(mesh.visibleCount, 0);
}

TEST(Mesh, DrawOrderDepthsNeverIncrease) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> depth(1, 40);  // few values: many ties
    std::vector<Vector3> vertices;
    std::vector<std::array<int, 3>> faces;
    for (int i = 0; i < 500; ++i) {
        addFacingTriangle(vertices, faces, static_cast<float>(depth(random)), i % 3 != 0);
    }
    Mesh mesh;
    fillMesh(mesh, vertices, faces);
    for (bool cull : {true, false}) {
        cullAndSort(mesh, cull);
        EXPECT_EQ(mesh.visibleCount, cull ? 333 : 500);
        for (int i = 1; i < mesh.visibleCount; ++i) {
            ASSERT_GE(mesh.drawOrder[i - 1]->depth, mesh.drawOrder[i]->depth) << i;
        }
    }
}

TEST(SortFacesByDepth, SortsAnyRangeLargestFirstAndKeepsEveryFace) {
    std::mt19937 random(99);
    for (int size : {0, 1, 2, 3, 10, 257}) {
        std::vector<MeshFace> faces(size);
        std::vector<MeshFace*> list;
        std::uniform_int_distribution<int> depth(0, size / 2 + 1);
        for (MeshFace& face : faces) {
            face.depth = static_cast<float>(depth(random));
            list.push_back(&face);
        }
        sortFacesByDepth(list.data(), 0, size - 1);
        for (int i = 1; i < size; ++i) ASSERT_GE(list[i - 1]->depth, list[i]->depth);
        std::sort(list.begin(), list.end());
        for (int i = 0; i < size; ++i) ASSERT_EQ(list[i], &faces[i]);
    }
}

// The drawing order decides the pixels, so the quick sort must leave every face exactly
// where the plain quicksort does, equal depths included.
TEST(SortFacesByDepth, LeavesEveryFaceWhereThePlainQuicksortDoes) {
    std::mt19937 random(5);
    const float nan = std::nanf("");
    for (int size : {2, 3, 7, 64, 127, 128, 129, 300, 1000, 5000, 20000}) {
        for (int pattern = 0; pattern < 8; ++pattern) {
            // Few or many distinct depths at random; rising and falling runs, as a mesh's
            // faces tend to come; already sorted, either way; a few NaN among them; depths
            // all distinct, of both signs; and those again with a -0 and a +0.
            const int distinct = pattern == 0 ? 1 : pattern == 1 ? 5 : size;
            std::uniform_int_distribution<int> depth(0, distinct - 1);
            std::vector<MeshFace> faces(size);
            std::vector<MeshFace*> list;
            for (int i = 0; i < size; ++i) {
                float d = static_cast<float>(depth(random));
                if (pattern == 2) d = static_cast<float>(i % 3 == 0 ? depth(random) : i % 97);
                if (pattern == 3) d = static_cast<float>(i / 2);
                if (pattern == 4) d = static_cast<float>(-i / 3);
                if (pattern == 5 && i % 50 == 7) d = nan;
                if (pattern >= 6) d = static_cast<float>((i * 7919) % size) * 0.37f - size / 5;
                if (pattern == 7 && i < 2) d = i == 0 ? 0.0f : -0.0f;
                faces[i].depth = d;
                list.push_back(&faces[i]);
            }
            // The whole list, and a range inside it.
            for (int lo : {0, 1}) {
                std::vector<MeshFace*> actual = list;
                std::vector<MeshFace*> expected = list;
                sortFacesByDepth(actual.data(), lo, size - 1);
                plain::sortFacesByDepth(expected.data(), lo, size - 1);
                EXPECT_TRUE(actual == expected) << size << " faces, pattern " << pattern;
            }
        }
    }
}

TEST(MeshGroup, CollectsFacesOfAllMembersInOneDepthOrder) {
    MeshGroup group;
    for (int m = 0; m < 2; ++m) {
        std::vector<Vector3> vertices;
        std::vector<std::array<int, 3>> faces;
        for (int i = 0; i < 3; ++i) addFacingTriangle(vertices, faces, 0, true);
        Mesh* mesh = new Mesh;
        fillMesh(*mesh, vertices, faces);
        group.add(mesh, m == 0 ? "near" : "far");
    }
    // Member 0 sits 10 in front, member 1 at 20; each face adds its own index to z.
    for (int m = 0; m < 2; ++m) {
        Mesh& mesh = group.mesh(m);
        for (int f = 0; f < 3; ++f) {
            for (int k = 0; k < 3; ++k) mesh.positions[f * 3 + k].z = static_cast<float>(f * 7);
        }
    }
    group.localTransform(0).m[2][3] = 10;
    group.localTransform(1).m[2][3] = 20;
    AffineMatrix view = AffineMatrix::identity();
    view.m[2][3] = 1;
    group.transform(view);
    EXPECT_EQ(group.mesh(1).viewPositions[0].z, 21.0f);  // local first, then view

    group.collectVisibleFaces(false);
    ASSERT_EQ(group.visibleCount(), 6u);
    // Depths (sums of three z): member 1 at 63, 84, 105; member 0 at 33, 54, 75.
    const float expected[] = {105, 84, 75, 63, 54, 33};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(group.visibleFaces()[i]->depth, expected[i]) << i;
    EXPECT_EQ(group.visibleFaces()[2]->owner, &group.mesh(0));
    EXPECT_EQ(group.visibleFaces()[3]->owner, &group.mesh(1));
}

TEST(MeshGroup, CullingKeepsFrontAndEdgeOnFaces) {
    MeshGroup group;
    std::vector<Vector3> vertices;
    std::vector<std::array<int, 3>> faces;
    addFacingTriangle(vertices, faces, 5, true);
    addFacingTriangle(vertices, faces, 6, false);
    vertices.push_back(Vector3(0, 0, 1));
    vertices.push_back(Vector3(0, 0, 2));
    vertices.push_back(Vector3(0, 1, 3));
    faces.push_back({6, 7, 8});
    Mesh* mesh = new Mesh;
    fillMesh(*mesh, vertices, faces);
    group.add(mesh, "");
    group.transform(AffineMatrix::identity());
    group.collectVisibleFaces(true);
    ASSERT_EQ(group.visibleCount(), 2u);
    EXPECT_EQ(group.visibleFaces()[1], &group.mesh(0).faces[2]);
    group.destroy();
    EXPECT_EQ(group.meshCount(), 0);
}
