// The 3DS loader on any bytes, looking for the first mesh and for one by name: it either
// loads a mesh whose faces all name its vertices, which a view of it then draws over, or
// takes its error path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/load3ds.h"
#include "render3d/mesh_view.h"
#include "fatal_for_fuzzing.h"

namespace {

void loadAndCheck(const uint8_t* data, size_t size, const char* objectName) {
    Mesh mesh;
    try {
        load3dsBytes(mesh, data, size, "fuzz.3ds", objectName);
    } catch (const FatalLoadError&) {
        return;
    }
    MeshView view;
    viewModel(view, mesh);
    const auto pointsAt = [&](int vertex, const Vector3& p) {
        return vertex >= 0 && vertex < mesh.vertexCount && &p == view.viewPositions + vertex;
    };
    for (int i = 0; i < mesh.faceCount; ++i) {
        const MeshTriangle& face = mesh.faces[i];
        const MeshFace& seen = view.faces[i];
        if (!pointsAt(face.vertex0, cornerPosition(seen, 0)) ||
            !pointsAt(face.vertex1, cornerPosition(seen, 1)) ||
            !pointsAt(face.vertex2, cornerPosition(seen, 2))) {
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
