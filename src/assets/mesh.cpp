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
      viewPositions(nullptr),
      texCoords(nullptr),
      normals(nullptr),
      viewNormals(nullptr),
      faceCount(0),
      visibleCount(0),
      faces(nullptr),
      drawOrder(nullptr) {}

void Mesh::release() {
    delete[] positions;
    delete[] viewPositions;
    delete[] texCoords;
    delete[] normals;
    delete[] viewNormals;
    delete[] faces;
    delete[] drawOrder;
    // Cleared so that releasing twice (an owner's unload, then program exit) is harmless.
    positions = viewPositions = normals = viewNormals = nullptr;
    texCoords = nullptr;
    faces = nullptr;
    drawOrder = nullptr;
    vertexCount = 0;
    faceCount = 0;
    visibleCount = 0;
}

void Mesh::setVertexCount(int count) {
    delete[] positions;
    delete[] viewPositions;
    delete[] texCoords;
    delete[] normals;
    delete[] viewNormals;
    vertexCount = count;
    positions = new Vector3[count];
    viewPositions = new Vector3[count];
    texCoords = new TexCoord[count];
    normals = new Vector3[count];
    viewNormals = new Vector3[count];
}

void Mesh::setFaceCount(int count) {
    delete[] faces;
    delete[] drawOrder;
    faceCount = count;
    visibleCount = 0;
    faces = new MeshFace[count];
    drawOrder = new MeshFace*[count];
    for (int i = 0; i < count; ++i) faces[i].owner = this;
}

void Mesh::reserveFaces(int capacity) {
    delete[] faces;
    delete[] drawOrder;
    faceCount = 0;
    visibleCount = 0;
    faces = new MeshFace[capacity];
    drawOrder = new MeshFace*[capacity];
}

void Mesh::computeFaceNormals() {
    for (int i = 0; i < faceCount; ++i) {
        MeshFace& face = faces[i];
        const Vector3& a = positions[face.vertex0];
        const Vector3& b = positions[face.vertex1];
        const Vector3& c = positions[face.vertex2];
        face.normal = normalized(cross(a - b, c - b));
    }
}

void Mesh::computeVertexNormals() {
    for (int i = 0; i < vertexCount; ++i) normals[i].set(0, 0, 0);
    for (int i = 0; i < faceCount; ++i) {
        const MeshFace& face = faces[i];
        // Not normalised: larger faces weigh more.
        const Vector3 c = cross(*face.p1 - *face.p0, *face.p2 - *face.p0);
        normals[face.vertex0] = normals[face.vertex0] + c;
        normals[face.vertex1] = normals[face.vertex1] + c;
        normals[face.vertex2] = normals[face.vertex2] + c;
    }
    for (int i = 0; i < vertexCount; ++i) normals[i].normalize();
}

void attachFaceToVertices(MeshFace& face) {
    Vector3* vertices = face.owner->viewPositions;
    face.p0 = &vertices[face.vertex0];
    face.p1 = &vertices[face.vertex1];
    face.p2 = &vertices[face.vertex2];
}
