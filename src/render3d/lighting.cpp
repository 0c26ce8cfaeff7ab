// Point lighting of one vertex.
#include "render3d/lighting.h"

#include <algorithm>

#include "core/numeric.h"
#include "render3d/clipping.h"

float pointLightShade(const Vector3& normal, const Vector3& light, const Vector3& position,
                      float scale) {
    const double d = dot(normal, normalized(light - position));
    // Written so that NaN fails the test and falls to 0 with the negative values.
    return d > 0 ? static_cast<float>(scale * d) : 0.0f;
}

uint8_t shadeByte(float shade) { return static_cast<uint8_t>(std::clamp(truncToInt(shade), 0, 255)); }

void VertexShadeCache::addMesh(const Mesh& mesh, int vertexCapacity) {
    members_.push_back({&mesh, static_cast<int>(shades_.size())});
    shades_.resize(shades_.size() + static_cast<size_t>(vertexCapacity));
    frameOf_.resize(shades_.size(), 0);
}

void VertexShadeCache::newFrame() {
    if (++frame_ == 0) {  // after four billion frames the stamps start over
        std::fill(frameOf_.begin(), frameOf_.end(), 0);
        frame_ = 1;
    }
}

int VertexShadeCache::firstOf(const Mesh* mesh) {
    if (members_[lastMember_].mesh != mesh) {
        lastMember_ = 0;
        while (members_[lastMember_].mesh != mesh) ++lastMember_;
    }
    return members_[lastMember_].first;
}

float VertexShadeCache::shade(const MeshFace& face, int k, const Vector3& light, float scale,
                              float maxShade) {
    const int vertices[3] = {face.vertex0, face.vertex1, face.vertex2};
    const Vector3* positions[3] = {face.p0, face.p1, face.p2};
    const size_t slot = static_cast<size_t>(firstOf(face.owner) + vertices[k]);
    if (frameOf_[slot] != frame_) {
        const Vector3& normal = face.owner->viewNormals[vertices[k]];
        shades_[slot] = std::min(maxShade, pointLightShade(normal, light, *positions[k], scale));
        frameOf_[slot] = frame_;
    }
    return shades_[slot];
}

int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, VertexShadeCache& cache, ScreenPoint* points, uint8_t* shades) {
    const Vector3* corners[3] = {face.p0, face.p1, face.p2};
    ClipPolygonShade polygon;
    ClipPolygonShade scratch;
    polygon.count = 3;
    for (int k = 0; k < 3; ++k) {
        polygon.positions[k] = *corners[k];
        polygon.shades[k] = cache.shade(face, k, light, scale, maxShade);
    }
    if (!clipToFrustum(camera, polygon, scratch)) return 0;

    const int count = static_cast<int>(polygon.count);
    for (int k = 0; k < count; ++k) {
        camera.project(polygon.positions[k], points[k].x, points[k].y);
        shades[k] = shadeByte(polygon.shades[k]);
    }
    return count;
}
