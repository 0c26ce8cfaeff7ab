// The 3DS loader on any bytes, looking for the first mesh and for one by name: it either
// loads a mesh whose faces all point at its vertices or takes its error path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/load3ds.h"
#include "fatal_for_fuzzing.h"

namespace {

void loadAndCheck(const uint8_t* data, size_t size, const char* objectName) {
    Mesh mesh;
    try {
        load3dsBytes(mesh, data, size, "fuzz.3ds", objectName);
    } catch (const FatalLoadError&) {
        return;
    }
    const auto pointsAt = [&mesh](int vertex, const Vector3* p) {
        return vertex >= 0 && vertex < mesh.vertexCount && p == mesh.viewPositions + vertex;
    };
    for (int i = 0; i < mesh.faceCount; ++i) {
        const MeshFace& face = mesh.faces[i];
        if (!pointsAt(face.vertex0, face.p0) || !pointsAt(face.vertex1, face.p1) ||
            !pointsAt(face.vertex2, face.p2)) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadAndCheck(data, size, nullptr);
    loadAndCheck(data, size, "torus");
    return 0;
}
