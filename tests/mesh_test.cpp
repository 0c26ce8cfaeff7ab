// Meshes, their views and mesh groups: normals, transformation, back-face culling and the far-to-near
// order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "assets/mesh.h"
#include "render3d/depth_sort.h"
#include "render3d/mesh_view.h"
#include "render3d/mesh_group.h"

namespace {

// A mesh of the given vertices and faces (index triples), normals computed as the loaders
// leave them.
void fillMesh(Mesh& mesh, const std::vector<Vector3>& vertices,
              const std::vector<std::array<int, 3>>& faces) {
    mesh.setVertexCount(static_cast<int>(vertices.size()));
    for (size_t i = 0; i < vertices.size(); ++i) mesh.positions[i] = vertices[i];
    mesh.setFaceCount(static_cast<int>(faces.size()));
    for (size_t i = 0; i < faces.size(); ++i) {
        MeshTriangle& face = mesh.faces[i];
        face.vertex0 = faces[i][0];
        face.vertex1 = faces[i][1];
        face.vertex2 = faces[i][2];
        face.flags = 0;
    }
    mesh.computeFaceNormals();
    mesh.computeVertexNormals();
}

// A view of the mesh whose view space is its model space.
void fillView(MeshView& view, const Mesh& mesh) {
    viewModel(view, mesh);
    std::copy(mesh.positions, mesh.positions + mesh.vertexCount, view.viewPositions);
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
    for (int f = 0; f < 4; ++f) mesh.faces[f] = {f, f + 1, f + 2, 0, {}, {}};
    MeshView view;
    EXPECT_EQ(view.faces, nullptr);
    viewModel(view, mesh);
    EXPECT_EQ(view.faces[3].owner, &view);
    EXPECT_EQ(view.faces[3].vertex2, 5);
    mesh.setVertexCount(20);  // resizing frees the old arrays (the sanitizer build checks)
    viewModel(view, mesh);    // and so does sizing a view again
    mesh.release();
    mesh.release();
    EXPECT_EQ(mesh.faces, nullptr);
    view.release();
    view.release();
    EXPECT_EQ(view.faces, nullptr);
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
    MeshView view;
    viewModel(view, mesh);
    AffineMatrix matrix = AffineMatrix::identity();
    matrix.m[2][3] = 5;
    transform(view, matrix, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.viewPositions[i].z, mesh.positions[i].z + 5);
        EXPECT_EQ(view.viewPositions[i].x, mesh.positions[i].x);
        EXPECT_EQ(view.viewNormals[i].z, mesh.normals[i].z);
        EXPECT_EQ(view.viewNormals[i].x, mesh.normals[i].x);
    }
}

TEST(Mesh, TransformGivesThePlainTransformsBits) {
    std::mt19937 random(21);
    std::uniform_real_distribution<float> any(-50, 50);
    Mesh mesh;
    mesh.setVertexCount(300);
    mesh.setFaceCount(0);
    for (int i = 0; i < 300; ++i) {
        // Zero components too, whose sign the normals' added 0 decides.
        mesh.positions[i] = Vector3(any(random), any(random), i % 5 == 0 ? -0.0f : any(random));
        mesh.normals[i] = Vector3(i % 7 == 0 ? -0.0f : any(random), any(random), any(random));
    }
    MeshView fast, plainView;
    viewModel(fast, mesh);
    viewModel(plainView, mesh);
    AffineMatrix matrix;
    for (auto& row : matrix.m)
        for (float& entry : row) entry = any(random);
    matrix.m[1][0] = matrix.m[1][1] = matrix.m[1][2] = 0.0f;  // a row of -0 products
    transform(fast, matrix);
    plain::transform(plainView, matrix);
    const size_t bytes = 300 * sizeof(Vector3);
    EXPECT_EQ(std::memcmp(fast.viewPositions, plainView.viewPositions, bytes), 0);
    EXPECT_EQ(std::memcmp(fast.viewNormals, plainView.viewNormals, bytes), 0);
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
    MeshView view;
    fillView(view, mesh);

    cullAndSort(view, true);
    ASSERT_EQ(view.visibleCount, 2);
    EXPECT_EQ(view.drawOrder[0], &view.faces[0]);  // depth 15 before depth 6
    EXPECT_EQ(view.drawOrder[1], &view.faces[2]);
    EXPECT_EQ(view.faces[0].depth, 15.0f);
    EXPECT_TRUE(facesEye(view.faces[2]));  // edge-on
    EXPECT_FALSE(facesEye(view.faces[1]));

    cullAndSort(view, false);
    EXPECT_EQ(view.visibleCount, 3);
    EXPECT_EQ(view.drawOrder[0], &view.faces[1]);
}

TEST(Mesh, NoFacesMeansNothingVisible) {
    Mesh mesh;
    mesh.setVertexCount(0);
    mesh.setFaceCount(0);
    MeshView view;
    viewModel(view, mesh);
    cullAndSort(view, true);
    EXPECT_EQ(view.visibleCount, 0);
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
    MeshView view;
    fillView(view, mesh);
    for (bool cull : {true, false}) {
        cullAndSort(view, cull);
        EXPECT_EQ(view.visibleCount, cull ? 333 : 500);
        for (int i = 1; i < view.visibleCount; ++i) {
            ASSERT_GE(view.drawOrder[i - 1]->depth, view.drawOrder[i]->depth) << i;
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
        // Each face lies at z = 7 times its index; member 0 sits 10 in front, member 1 at 20.
        for (int f = 0; f < 3; ++f) addFacingTriangle(vertices, faces, f * 7.0f, true);
        Mesh* mesh = new Mesh;
        fillMesh(*mesh, vertices, faces);
        group.add(mesh, m == 0 ? "near" : "far");
    }
    group.localTransform(0).m[2][3] = 10;
    group.localTransform(1).m[2][3] = 20;
    AffineMatrix view = AffineMatrix::identity();
    view.m[2][3] = 1;
    group.transform(view);
    EXPECT_EQ(group.view(1).viewPositions[0].z, 21.0f);  // local first, then view

    group.collectVisibleFaces(false);
    ASSERT_EQ(group.visibleCount(), 6u);
    // Depths (sums of three z): member 1 at 63, 84, 105; member 0 at 33, 54, 75.
    const float expected[] = {105, 84, 75, 63, 54, 33};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(group.visibleFaces()[i]->depth, expected[i]) << i;
    EXPECT_EQ(group.visibleFaces()[2]->owner, &group.view(0));
    EXPECT_EQ(group.visibleFaces()[3]->owner, &group.view(1));
    EXPECT_EQ(group.view(1).model, &group.mesh(1));
}

// Members viewing one model: each view its own, the model untouched and freed once.
TEST(MeshGroup, MembersShareOneModelThroughViewsOfTheirOwn) {
    std::vector<Vector3> vertices;
    std::vector<std::array<int, 3>> faces;
    addFacingTriangle(vertices, faces, 0, true);
    auto model = std::make_shared<Mesh>();
    fillMesh(*model, vertices, faces);
    const Vector3 corner = model->positions[0];
    {
        MeshGroup group;
        group.add(model, "a");
        group.add(model, "b");
        group.localTransform(0).m[2][3] = 10;
        group.localTransform(1).m[2][3] = 20;
        group.transform(AffineMatrix::identity());
        group.collectVisibleFaces(false);
        ASSERT_EQ(group.visibleCount(), 2u);
        EXPECT_EQ(&group.mesh(0), &group.mesh(1));
        EXPECT_EQ(group.view(0).viewPositions[0].z, corner.z + 10);
        EXPECT_EQ(group.view(1).viewPositions[0].z, corner.z + 20);
        EXPECT_EQ(group.visibleFaces()[0]->owner, &group.view(1));  // farther first
        EXPECT_EQ(model->positions[0].z, corner.z);
        EXPECT_EQ(model.use_count(), 3);
    }
    EXPECT_EQ(model.use_count(), 1);
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
    EXPECT_EQ(group.visibleFaces()[1], &group.view(0).faces[2]);
    group.destroy();
    EXPECT_EQ(group.meshCount(), 0);
}
