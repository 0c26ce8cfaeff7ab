// Supertoroid faces and vertices.
#include "render3d/supertoroid.h"

#include <cmath>

float signedPower(float a, float e) {
    if (std::fabs(a) < 0.00001f) return 0.0f;
    const float magnitude = std::pow(std::fabs(a), e);
    return a >= 0.0f ? magnitude : -magnitude;
}

void SupertoroidMesh::build(uint32_t tubes, uint32_t rings) {
    tubeSegments = tubes;
    ringCount = rings;
    const int vertexCount = static_cast<int>(tubes * rings);
    mesh.setVertexCount(vertexCount);
    mesh.setFaceCount(2 * vertexCount);
    int f = 0;
    for (uint32_t g = 0; g < rings; ++g) {
        const uint32_t nextRing = (g + 1) % rings;
        for (uint32_t j = 0; j < tubes; ++j) {
            const uint32_t nextTube = (j + 1) % tubes;
            const int a = static_cast<int>(tubes * g + j);
            const int b = static_cast<int>(tubes * g + nextTube);
            const int c = static_cast<int>(tubes * nextRing + j);
            const int d = static_cast<int>(tubes * nextRing + nextTube);
            const int corners[2][3] = {{d, b, a}, {a, c, d}};
            for (const auto& corner : corners) {
                MeshTriangle& face = mesh.faces[f++];
                face.vertex0 = corner[0];
                face.vertex1 = corner[1];
                face.vertex2 = corner[2];
                face.flags = 0;
            }
        }
    }
}

void SupertoroidMesh::reshape() {
    // The float nearest 2 pi, divided and accumulated in double precision.
    const double fullTurn = 6.2831854820251465;
    const double thetaStep = fullTurn / ringCount;
    const double phiStep = fullTurn / tubeSegments;
    double theta = 0.0;
    for (uint32_t k = 0; k < ringCount; ++k) {
        const float bx = signedPower(static_cast<float>(std::cos(theta)), ringExponent);
        const float by = signedPower(static_cast<float>(std::sin(theta)), ringExponent);
        double phi = 0.0;
        for (uint32_t l = 0; l < tubeSegments; ++l) {
            const float w = signedPower(static_cast<float>(std::cos(phi)), tubeExponent);
            const float reach = w * minorRadius + majorRadius;  // distance from the axis
            const Vector3 p(reach * bx, reach * by,
                            signedPower(static_cast<float>(std::sin(phi)), tubeExponent) *
                                minorRadius);
            const uint32_t index = k * tubeSegments + l;
            mesh.positions[index] = p;
            phi += phiStep;
        }
        theta += thetaStep;
    }
}
