// 3D models in the file's own axes, and their writing as Autodesk 3DS files: the chunk
// tree the demo's loader walks, with the version, camera, light and smoothing chunks
// that real exporters put around it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/vector_math.h"

// Vertex indices and the flag word; bit 2 marks edge v0->v1 visible, bit 1 v1->v2,
// bit 0 v2->v0.
struct ModelFace {
    uint16_t v0, v1, v2;
    uint16_t flags;
};

constexpr uint16_t kEdgeV2V0 = 1;
constexpr uint16_t kEdgeV1V2 = 2;
constexpr uint16_t kEdgeV0V1 = 4;
constexpr uint16_t kAllEdges = 7;

struct ModelMapping {
    float u, v;
};

// A triangle mesh object.
struct ModelMesh {
    std::string name;
    std::vector<Vector3> vertices;
    std::vector<ModelFace> faces;
    std::vector<ModelMapping> mapping;  // empty: no mapping chunk
    bool smoothing = false;             // all faces in smoothing group 1
};

struct ModelCamera {
    std::string name;
    Vector3 position, target;
    float lens;  // millimetres
};

struct ModelLight {
    std::string name;
    Vector3 position;
    float red, green, blue;
};

// The file's objects: cameras, then lights, then meshes, in that order.
struct ModelFile {
    std::vector<ModelCamera> cameras;
    std::vector<ModelLight> lights;
    std::vector<ModelMesh> meshes;
};

std::vector<uint8_t> build3ds(const ModelFile& file);
