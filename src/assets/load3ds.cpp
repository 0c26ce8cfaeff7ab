// The 3DS reader: walks the chunk tree down to one object's triangle mesh and reads its
// vertices, faces and mapping coordinates, trusting nothing the file says about sizes.
#include "assets/load3ds.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/data_file.h"

namespace {

constexpr uint16_t kMainChunk = 0x4D4D;
constexpr uint16_t kEditorChunk = 0x3D3D;
constexpr uint16_t kObjectChunk = 0x4000;
constexpr uint16_t kTriangleMeshChunk = 0x4100;
constexpr uint16_t kVertexListChunk = 0x4110;
constexpr uint16_t kFaceListChunk = 0x4120;
constexpr uint16_t kMappingChunk = 0x4140;

constexpr size_t kChunkHeaderSize = 6;
constexpr size_t kNameLength = 64;

constexpr const char* kOpenError = "error opening file";
constexpr const char* kFormatError = "file is not a valid Autodesk 3DS file";
constexpr const char* kNotFoundError = "object not found in 3DS file";
// What standard error adds for chunks that run past their end or faces past the vertices.
constexpr const char* kDamaged = "damaged or truncated";

// The whole file in memory; every read is checked against a limit, so a damaged file
// can only make a read fail, never reach outside the bytes.
class ByteReader {
public:
    ByteReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

    size_t position() const { return position_; }
    void seek(size_t position) { position_ = position; }
    // True when count bytes from here lie before the limit (and inside the bytes).
    bool canRead(size_t count, size_t limit) const {
        limit = limit < size_ ? limit : size_;
        return position_ <= limit && count <= limit - position_;
    }
    uint8_t byte() { return bytes_[position_++]; }
    uint16_t u16() {
        const uint16_t value = static_cast<uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    uint32_t u32() {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[position_ + i];
        position_ += 4;
        return value;
    }
    float f32() {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t position_ = 0;
};

// One chunk: its identifier, where its content starts and where the chunk ends.
struct Chunk {
    uint16_t id;
    size_t contentStart;
    size_t end;
};

// Reads the chunk header at the reader's position. False when the header or the chunk
// it announces does not fit inside its parent (ending at parentEnd).
bool readChunk(ByteReader& reader, size_t parentEnd, Chunk& chunk) {
    if (!reader.canRead(kChunkHeaderSize, parentEnd)) return false;
    const size_t start = reader.position();
    chunk.id = reader.u16();
    const uint32_t length = reader.u32();
    if (length < kChunkHeaderSize || length > parentEnd - start) return false;
    chunk.contentStart = reader.position();
    chunk.end = start + length;
    return true;
}

bool sameName(const char* a, const char* b) {
    for (size_t i = 0; i < kNameLength; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
    return true;  // the first 64 characters agree
}

// What a walk over chunks came to.
enum class Walk { Loaded, NotFound, Damaged };

Walk readVertexList(ByteReader& reader, const Chunk& chunk, Mesh& mesh) {
    if (!reader.canRead(2, chunk.end)) return Walk::Damaged;
    const uint16_t count = reader.u16();
    if (!reader.canRead(size_t{count} * 12, chunk.end)) return Walk::Damaged;
    mesh.setVertexCount(count);
    for (int i = 0; i < count; ++i) {
        const float x = reader.f32();
        const float y = reader.f32();
        const float z = reader.f32();
        mesh.positions[i].set(x, -z, y);  // the file's z axis is the demo's -y
        mesh.texCoords[i] = TexCoord{0, 0};
    }
    return Walk::Loaded;
}

Walk readFaceList(ByteReader& reader, const Chunk& chunk, Mesh& mesh) {
    if (!reader.canRead(2, chunk.end)) return Walk::Damaged;
    const uint16_t count = reader.u16();
    if (!reader.canRead(size_t{count} * 8, chunk.end)) return Walk::Damaged;
    mesh.setFaceCount(count);
    for (int i = 0; i < count; ++i) {
        MeshTriangle& face = mesh.faces[i];
        face.vertex0 = reader.u16();
        face.vertex1 = reader.u16();
        face.vertex2 = reader.u16();
        face.flags = reader.u16();
    }
    // The walk goes on right after the faces: the face list's own sub-chunks
    // (smoothing and material groups) are met as siblings and skipped.
    return Walk::Loaded;
}

Walk readMapping(ByteReader& reader, const Chunk& chunk, Mesh& mesh) {
    if (!reader.canRead(2, chunk.end)) return Walk::Damaged;
    const uint16_t count = reader.u16();
    if (!reader.canRead(size_t{count} * 8, chunk.end)) return Walk::Damaged;
    for (int i = 0; i < count; ++i) {
        const float u = reader.f32();
        const float v = reader.f32();
        if (i < mesh.vertexCount) mesh.texCoords[i] = TexCoord{u, -v};
    }
    return Walk::Loaded;
}

Walk readTriangleMesh(ByteReader& reader, const Chunk& meshChunk, Mesh& mesh) {
    while (reader.position() < meshChunk.end) {
        Chunk chunk;
        if (!readChunk(reader, meshChunk.end, chunk)) return Walk::Damaged;
        Walk result = Walk::Loaded;
        if (chunk.id == kVertexListChunk) {
            result = readVertexList(reader, chunk, mesh);
            reader.seek(chunk.end);
        } else if (chunk.id == kFaceListChunk) {
            result = readFaceList(reader, chunk, mesh);
        } else if (chunk.id == kMappingChunk) {
            result = readMapping(reader, chunk, mesh);
            reader.seek(chunk.end);
        } else {
            reader.seek(chunk.end);
        }
        if (result != Walk::Loaded) return result;
    }
    for (int i = 0; i < mesh.faceCount; ++i) {
        const MeshTriangle& face = mesh.faces[i];
        if (face.vertex0 >= mesh.vertexCount || face.vertex1 >= mesh.vertexCount ||
            face.vertex2 >= mesh.vertexCount) {
            return Walk::Damaged;
        }
    }
    return Walk::Loaded;
}

// An object: its name, then its chunks. Loaded when the name fits and it holds a
// triangle mesh; otherwise the reader is left at the object's end.
Walk readObject(ByteReader& reader, const Chunk& object, const char* objectName, Mesh& mesh) {
    char name[kNameLength + 1] = {};
    size_t length = 0;
    while (reader.canRead(1, object.end)) {
        const char c = static_cast<char>(reader.byte());
        if (c == 0) break;
        if (length < kNameLength) name[length++] = c;
    }
    if (objectName != nullptr && !sameName(name, objectName)) {
        reader.seek(object.end);
        return Walk::NotFound;
    }
    while (reader.position() < object.end) {
        Chunk chunk;
        if (!readChunk(reader, object.end, chunk)) return Walk::Damaged;
        if (chunk.id == kTriangleMeshChunk) return readTriangleMesh(reader, chunk, mesh);
        reader.seek(chunk.end);
    }
    return Walk::NotFound;
}

Walk readEditor(ByteReader& reader, const Chunk& editor, const char* objectName, Mesh& mesh) {
    while (reader.position() < editor.end) {
        Chunk chunk;
        if (!readChunk(reader, editor.end, chunk)) return Walk::Damaged;
        if (chunk.id == kObjectChunk) {
            const Walk result = readObject(reader, chunk, objectName, mesh);
            if (result != Walk::NotFound) return result;
        }
        reader.seek(chunk.end);
    }
    return Walk::NotFound;
}

// The main chunk's children, searched for editor data.
Walk readMain(ByteReader& reader, const Chunk& main, const char* objectName, Mesh& mesh) {
    while (reader.position() < main.end) {
        Chunk chunk;
        if (!readChunk(reader, main.end, chunk)) return Walk::Damaged;
        if (chunk.id == kEditorChunk) {
            const Walk result = readEditor(reader, chunk, objectName, mesh);
            if (result != Walk::NotFound) return result;
        }
        reader.seek(chunk.end);
    }
    return Walk::NotFound;
}

// The centroids and the face and vertex normals, all in model space.
void prepareMesh(Mesh& mesh) {
    const Vector3* p = mesh.positions;
    for (int i = 0; i < mesh.faceCount; ++i) {
        MeshTriangle& face = mesh.faces[i];
        face.centroid = (p[face.vertex0] + p[face.vertex1] + p[face.vertex2]) * 0.33333334f;
    }
    mesh.computeFaceNormals();
    mesh.computeVertexNormals();
}

}  // namespace

void load3ds(Mesh& mesh, const char* fileName, const char* objectName) {
    std::vector<uint8_t> bytes;
    std::string whyNot;
    if (!readDataFile(fileName, bytes, &whyNot)) failDataFile(kOpenError, fileName, whyNot);
    load3dsBytes(mesh, bytes.data(), bytes.size(), fileName, objectName);
}

void load3dsBytes(Mesh& mesh, const uint8_t* bytes, size_t size, const char* fileName,
                  const char* objectName) {
    ByteReader reader(bytes, size);
    if (!reader.canRead(kChunkHeaderSize, size) || reader.u16() != kMainChunk) {
        failDataFile(kFormatError, fileName, "not a 3DS file (no main chunk first)");
    }
    // The main chunk covers the file; a file cut short or a length that runs past the
    // end is damage, reported like a missing object.
    reader.seek(0);
    Chunk main;
    if (!readChunk(reader, size, main)) failDataFile(kNotFoundError, fileName, kDamaged);
    const Walk walk = readMain(reader, main, objectName, mesh);
    if (walk == Walk::Damaged) failDataFile(kNotFoundError, fileName, kDamaged);
    if (walk != Walk::Loaded) failDataFile(kNotFoundError, fileName, "no triangle mesh in it");
    prepareMesh(mesh);
}
