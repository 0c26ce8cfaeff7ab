// Writing 3DS chunk trees: each chunk's length is patched in when the chunk closes.
#include "writer_3ds.h"

#include <cstring>

namespace {

class ChunkWriter {
public:
    void begin(uint16_t id) {
        open_.push_back(bytes_.size());
        u16(id);
        u32(0);  // the length, filled in by end()
    }
    void end() {
        const size_t start = open_.back();
        open_.pop_back();
        const uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
        for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    void u16(uint16_t value) {
        bytes_.push_back(static_cast<uint8_t>(value));
        bytes_.push_back(static_cast<uint8_t>(value >> 8));
    }
    void u32(uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void f32(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        u32(bits);
    }
    void point(const Vector3& p) {
        f32(p.x);
        f32(p.y);
        f32(p.z);
    }
    void text(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        bytes_.push_back(0);
    }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};

void writeCamera(ChunkWriter& out, const ModelCamera& camera) {
    out.begin(0x4000);
    out.text(camera.name);
    out.begin(0x4700);
    out.point(camera.position);
    out.point(camera.target);
    out.f32(0);  // bank angle
    out.f32(camera.lens);
    out.end();
    out.end();
}

void writeLight(ChunkWriter& out, const ModelLight& light) {
    out.begin(0x4000);
    out.text(light.name);
    out.begin(0x4600);
    out.point(light.position);
    out.begin(0x0010);  // colour, three floats
    out.f32(light.red);
    out.f32(light.green);
    out.f32(light.blue);
    out.end();
    out.end();
    out.end();
}

void writeMesh(ChunkWriter& out, const ModelMesh& mesh) {
    out.begin(0x4000);
    out.text(mesh.name);
    out.begin(0x4100);

    out.begin(0x4110);
    out.u16(static_cast<uint16_t>(mesh.vertices.size()));
    for (const Vector3& p : mesh.vertices) out.point(p);
    out.end();

    if (!mesh.mapping.empty()) {
        out.begin(0x4140);
        out.u16(static_cast<uint16_t>(mesh.mapping.size()));
        for (const ModelMapping& m : mesh.mapping) {
            out.f32(m.u);
            out.f32(m.v);
        }
        out.end();
    }

    // The local axes: identity rotation, origin at 0.
    out.begin(0x4160);
    const float axes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (float value : axes) out.f32(value);
    out.end();

    out.begin(0x4120);
    out.u16(static_cast<uint16_t>(mesh.faces.size()));
    for (const ModelFace& face : mesh.faces) {
        out.u16(face.v0);
        out.u16(face.v1);
        out.u16(face.v2);
        out.u16(face.flags);
    }
    if (mesh.smoothing) {
        out.begin(0x4150);
        for (size_t i = 0; i < mesh.faces.size(); ++i) out.u32(1);
        out.end();
    }
    out.end();

    out.end();
    out.end();
}

}  // namespace

std::vector<uint8_t> build3ds(const ModelFile& file) {
    ChunkWriter out;
    out.begin(0x4D4D);
    out.begin(0x0002);  // file version
    out.u32(3);
    out.end();
    out.begin(0x3D3D);
    out.begin(0x3D3E);  // editor version
    out.u32(3);
    out.end();
    out.begin(0x0100);  // master scale
    out.f32(1.0f);
    out.end();
    for (const ModelCamera& camera : file.cameras) writeCamera(out, camera);
    for (const ModelLight& light : file.lights) writeLight(out, light);
    for (const ModelMesh& mesh : file.meshes) writeMesh(out, mesh);
    out.end();
    out.end();
    return out.take();
}
