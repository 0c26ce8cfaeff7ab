// The 3DS loader: object search, axis change, mapping coordinates, and damaged files,
// which must all end in the error box and exit code 1.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "assets/load3ds.h"
#include "generators.h"
#include "test_support.h"
#include "writer_3ds.h"
#include "render3d/mesh_view.h"

namespace {

constexpr const char* kNotFound = "object not found in 3DS file";

ModelMesh triangleMesh(const char* name, float x) {
    ModelMesh mesh;
    mesh.name = name;
    mesh.vertices = {{x, 2, 3}, {x + 1, 2, 3}, {x, 2, 4}};
    mesh.faces = {{0, 1, 2, 0x0007}};
    return mesh;
}

void writeModelFile(const char* name, const ModelFile& file) {
    const std::vector<uint8_t> bytes = build3ds(file);
    writeFileBytes(name, std::string(bytes.begin(), bytes.end()));
}

std::string bytesOf(const ModelFile& file) {
    const std::vector<uint8_t> bytes = build3ds(file);
    return std::string(bytes.begin(), bytes.end());
}

void load(const std::string& bytes) {
    writeFileBytes("damaged.3ds", bytes);
    Mesh mesh;
    load3ds(mesh, "damaged.3ds", nullptr);
}

uint16_t u16At(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}
uint32_t u32At(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}
void putU32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A chunk header the loader reads on its way to the first mesh, and the end of the
// chunk that contains it.
struct WalkedHeader {
    size_t at;
    size_t parentEnd;
};

// The main chunk's children, the editor's, each object's (after its name) and the
// mesh's: every header the loader reads before the mesh is complete.
std::vector<WalkedHeader> walkedHeaders(const std::string& bytes) {
    std::vector<WalkedHeader> headers;
    auto children = [&](size_t start, size_t end, auto&& visit) {
        for (size_t at = start; at + 6 <= end;) {
            headers.push_back({at, end});
            const uint32_t length = u32At(bytes, at + 2);
            visit(u16At(bytes, at), at + 6, at + length);
            at += length;
        }
    };
    children(6, bytes.size(), [&](uint16_t id, size_t start, size_t end) {
        if (id != 0x3D3D) return;
        children(start, end, [&](uint16_t id2, size_t start2, size_t end2) {
            if (id2 != 0x4000) return;
            const size_t afterName = bytes.find('\0', start2) + 1;
            children(afterName, end2, [&](uint16_t id3, size_t start3, size_t end3) {
                if (id3 == 0x4100) children(start3, end3, [](uint16_t, size_t, size_t) {});
            });
        });
    });
    return headers;
}

// A model of the data set as the generator writes it.
std::string realModel(const char* path) {
    TemporaryDirectory folder;
    writeModels(DataFolder(folder.path()));
    return readFileBytes(path);
}

}  // namespace

TEST(Load3ds, SkipsAnObjectWithoutAMeshAndLoadsTheNext) {
    TemporaryDirectory folder;
    ModelFile file;
    file.cameras.push_back({"Camera01", {0, -5, 0}, {0, 0, 0}, 35});
    file.lights.push_back({"Lamp", {1, 1, 1}, 1, 1, 1});
    file.meshes.push_back(triangleMesh("Thing", 1));
    writeModelFile("scene.3ds", file);
    Mesh mesh;
    load3ds(mesh, "scene.3ds", nullptr);
    ASSERT_EQ(mesh.vertexCount, 3);
    ASSERT_EQ(mesh.faceCount, 1);
    // The file's (1, 2, 3) is the demo's (1, -3, 2).
    EXPECT_EQ(mesh.positions[0].x, 1.0f);
    EXPECT_EQ(mesh.positions[0].y, -3.0f);
    EXPECT_EQ(mesh.positions[0].z, 2.0f);
    EXPECT_EQ(mesh.positions[2].y, -4.0f);
    EXPECT_EQ(mesh.faces[0].flags, 0x0007);
    EXPECT_EQ(mesh.faces[0].vertex1, 1);
    // A view of the model draws the same face over its own view-space vertices.
    MeshView view;
    viewModel(view, mesh);
    ASSERT_EQ(view.faceCount, 1);
    EXPECT_EQ(&cornerPosition(view.faces[0], 1), &view.viewPositions[1]);
    EXPECT_EQ(view.faces[0].owner, &view);
    EXPECT_NEAR(mesh.faces[0].centroid.x, 4.0f / 3, 1e-6);
    EXPECT_NEAR(mesh.faces[0].centroid.y, -10.0f / 3, 1e-6);
    // Without a mapping chunk every texture coordinate is (0, 0).
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mesh.texCoords[i].u, 0.0f);
        EXPECT_EQ(mesh.texCoords[i].v, 0.0f);
    }
    // Normals are computed: the triangle lies in the demo's z = 2..3, x-y... plane x/y.
    EXPECT_NEAR(dot(mesh.normals[0], mesh.normals[0]), 1.0, 0.004);
    EXPECT_NEAR(dot(mesh.faces[0].normal, mesh.faces[0].normal), 1.0, 0.004);
}

TEST(Load3ds, SelectsANamedObjectIgnoringCase) {
    TemporaryDirectory folder;
    ModelFile file;
    file.meshes.push_back(triangleMesh("First", 10));
    file.meshes.push_back(triangleMesh("SecondOne", 20));
    const std::string longName(70, 'q');
    file.meshes.push_back(triangleMesh((longName + "A").c_str(), 30));
    writeModelFile("two.3ds", file);

    Mesh mesh;
    load3ds(mesh, "two.3ds", "secondONE");
    EXPECT_EQ(mesh.positions[0].x, 20.0f);
    load3ds(mesh, "two.3ds", nullptr);
    EXPECT_EQ(mesh.positions[0].x, 10.0f);
    // Names are compared by their first 64 characters.
    load3ds(mesh, "two.3ds", (std::string(64, 'Q') + "whatever").c_str());
    EXPECT_EQ(mesh.positions[0].x, 30.0f);
    EXPECT_EXIT(load3ds(mesh, "two.3ds", "Third"), testing::ExitedWithCode(1),
                std::string("two.3ds: ") + kNotFound);
}

TEST(Load3ds, FlipsMappingCoordinatesAndIgnoresExtraEntries) {
    TemporaryDirectory folder;
    ModelFile file;
    ModelMesh mesh3 = triangleMesh("Mapped", 0);
    mesh3.mapping = {{0.25f, 0.75f}, {1, 0}, {0, 1}, {9, 9}};
    mesh3.smoothing = true;  // groups after the faces must not disturb them
    file.meshes.push_back(mesh3);
    writeModelFile("mapped.3ds", file);
    Mesh mesh;
    load3ds(mesh, "mapped.3ds", nullptr);
    ASSERT_EQ(mesh.vertexCount, 3);
    EXPECT_EQ(mesh.texCoords[0].u, 0.25f);
    EXPECT_EQ(mesh.texCoords[0].v, -0.75f);
    EXPECT_EQ(mesh.texCoords[2].v, -1.0f);
    EXPECT_EQ(mesh.faces[0].vertex2, 2);
    EXPECT_EQ(mesh.faces[0].flags, 0x0007);
}

TEST(Load3dsFailure, ReportsEachFailureWithItsText) {
    TemporaryDirectory folder;
    Mesh mesh;
    EXPECT_EXIT(load3ds(mesh, "3ds\\missing.3ds", nullptr), testing::ExitedWithCode(1),
                "missing.3ds: error opening file");
    writeFileBytes("picture.3ds", "GIF87a and so on");
    EXPECT_EXIT(load3ds(mesh, "picture.3ds", nullptr), testing::ExitedWithCode(1),
                "picture.3ds: file is not a valid Autodesk 3DS file");
    writeFileBytes("tiny.3ds", "MM");
    EXPECT_EXIT(load3ds(mesh, "tiny.3ds", nullptr), testing::ExitedWithCode(1),
                "file is not a valid Autodesk 3DS file");
    ModelFile onlyCamera;
    onlyCamera.cameras.push_back({"Camera01", {0, -5, 0}, {0, 0, 0}, 35});
    writeModelFile("camera.3ds", onlyCamera);
    EXPECT_EXIT(load3ds(mesh, "camera.3ds", nullptr), testing::ExitedWithCode(1),
                std::string("camera.3ds: ") + kNotFound);
}

TEST(Load3dsFailure, AFaceIndexBeyondTheVerticesIsDamage) {
    TemporaryDirectory folder;
    ModelFile file;
    ModelMesh bad = triangleMesh("Bad", 0);
    bad.faces.push_back({0, 1, 3, 0});
    file.meshes.push_back(bad);
    EXPECT_EXIT(load(bytesOf(file)), testing::ExitedWithCode(1), kNotFound);
}

TEST(Load3dsFailure, CountsRunningPastTheirChunkAreDamage) {
    TemporaryDirectory folder;
    ModelFile file;
    ModelMesh mapped = triangleMesh("Counts", 0);
    mapped.mapping = {{0, 0}, {1, 0}, {0, 1}};
    file.meshes.push_back(mapped);
    const std::string good = bytesOf(file);
    for (const uint16_t id : {0x4110, 0x4120, 0x4140}) {
        std::string bytes = good;
        size_t header = std::string::npos;
        for (const WalkedHeader& h : walkedHeaders(good)) {
            if (u16At(good, h.at) == id) header = h.at;
        }
        ASSERT_NE(header, std::string::npos) << id;
        bytes[header + 6] = 4;  // three entries become four
        EXPECT_EXIT(load(bytes), testing::ExitedWithCode(1), kNotFound) << std::hex << id;
    }
}

TEST(Load3dsFailure, EveryTruncationOfARealModelEndsInTheErrorBox) {
    const std::string model = realModel("3ds/pellimor_logo.3DS");
    ASSERT_GT(model.size(), 1000u);
    TemporaryDirectory folder;
    for (size_t size = 0; size < model.size(); size += 10) {
        std::string cut = model.substr(0, size);
        EXPECT_EXIT(load(cut), testing::ExitedWithCode(1), "3DS file") << size;
        // Also with the main chunk's length made to fit, so the damage is found inside.
        if (size >= 6) {
            putU32(cut, 2, static_cast<uint32_t>(size));
            EXPECT_EXIT(load(cut), testing::ExitedWithCode(1), kNotFound) << size;
        }
    }
}

TEST(Load3dsFailure, ZeroedOrOverlongLengthsOnTheWayToTheMeshEndInTheErrorBox) {
    // The rings: a camera object comes before the mesh.
    const std::string model = realModel("3ds/torus.3ds");
    TemporaryDirectory folder;
    const std::vector<WalkedHeader> headers = walkedHeaders(model);
    ASSERT_GE(headers.size(), 10u);
    for (const WalkedHeader& header : headers) {
        const uint32_t pastParent = static_cast<uint32_t>(header.parentEnd - header.at + 1);
        for (uint32_t bad : {0u, 5u, pastParent, static_cast<uint32_t>(model.size()) + 100,
                             0xFFFFFFFFu}) {
            std::string bytes = model;
            putU32(bytes, header.at + 2, bad);
            EXPECT_EXIT(load(bytes), testing::ExitedWithCode(1), kNotFound)
                << "header at " << header.at << ", length " << bad;
        }
    }
}
