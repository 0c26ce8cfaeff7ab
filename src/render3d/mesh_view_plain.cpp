// The mesh transform, plain: each vertex through transformPoint, each normal through the
// rotation alone. mesh_view.cpp does the same arithmetic three rows at a time.
#include "render3d/mesh_view.h"

namespace plain {

void transform(MeshView& view, const AffineMatrix& matrix) {
    const Mesh& mesh = *view.model;
    const auto& m = matrix.m;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        view.viewPositions[i] = transformPoint(mesh.positions[i], matrix);
        // The rotation with a zero translation added, as the normals have always been
        // turned: a component of -0 comes out +0.
        const Vector3& n = mesh.normals[i];
        view.viewNormals[i] = Vector3(m[0][0] * n.x + m[0][1] * n.y + m[0][2] * n.z + 0.0f,
                                      m[1][0] * n.x + m[1][1] * n.y + m[1][2] * n.z + 0.0f,
                                      m[2][0] * n.x + m[2][1] * n.y + m[2][2] * n.z + 0.0f);
    }
}

}  // namespace plain
