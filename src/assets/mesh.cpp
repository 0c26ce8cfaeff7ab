// Mesh storage and normals.
#include "assets/mesh.h"

namespace {

// a x b, the cross product written out where it is needed.
Vector3 cross(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

}  // namespace

Mesh::Mesh()
    : vertexCount(0),
      positions(nullptr),
      texCoords(nullptr),
      normals(nullptr),
      faceCount(0),
      faces(nullptr) {}

void Mesh::release() {
    delete[] positions;
    delete[] texCoords;
    delete[] normals;
    delete[] faces;
    // Cleared so that releasing twice (an owner's unload, then program exit) is harmless.
    positions = normals = nullptr;
    texCoords = nullptr;
    faces = nullptr;
    vertexCount = 0;
    faceCount = 0;
}

void Mesh::setVertexCount(int count) {
    delete[] positions;
    delete[] texCoords;
    delete[] normals;
    vertexCount = count;
    positions = new Vector3[count];
    texCoords = new TexCoord[count];
    normals = new Vector3[count];
}

void Mesh::setFaceCount(int count) {
    delete[] faces;
    faceCount = count;
    faces = new MeshTriangle[count];
}

void Mesh::reserveFaces(int capacity) {
    delete[] faces;
    faceCount = 0;
    faces = new MeshTriangle[capacity];
}

void Mesh::computeFaceNormals() {
    for (int i = 0; i < faceCount; ++i) {
        MeshTriangle& face = faces[i];
        const Vector3& a = positions[face.vertex0];
        const Vector3& b = positions[face.vertex1];
        const Vector3& c = positions[face.vertex2];
        face.normal = normalized(cross(a - b, c - b));
    }
}

void Mesh::computeVertexNormals() {
    for (int i = 0; i < vertexCount; ++i) normals[i].set(0, 0, 0);
    for (int i = 0; i < faceCount; ++i) {
        const MeshTriangle& face = faces[i];
        const Vector3& p0 = positions[face.vertex0];
        // Not normalised: larger faces weigh more.
        const Vector3 c = cross(positions[face.vertex1] - p0, positions[face.vertex2] - p0);
        normals[face.vertex0] = normals[face.vertex0] + c;
        normals[face.vertex1] = normals[face.vertex1] + c;
        normals[face.vertex2] = normals[face.vertex2] + c;
    }
    for (int i = 0; i < vertexCount; ++i) normals[i].normalize();
}
