// The per-frame vertex cache of the face set-up: outcodes, screen points and shades,
// each worked out once per vertex and frame.
#include "render3d/vertex_cache.h"

#include <algorithm>

#include "render3d/point_light.h"

namespace {

static_assert(kProjectionLimit <= INT16_MAX, "screen points are kept in 16 bits");

}  // namespace

void VertexCache::addView(const MeshView& view, int vertexCapacity) {
    members_.push_back({&view, vertices_.size()});
    vertices_.resize(vertices_.size() + static_cast<size_t>(std::max(vertexCapacity, 0)),
                     Vertex{0, 0, 0, 0, 0.0f, 0, 0});
}

void VertexCache::newFrame() {
    if (++frame_ == 0) {  // the stamps start over, so no old stamp matches a new frame
        for (Vertex& vertex : vertices_) vertex.viewFrame = vertex.shadeFrame = 0;
        frame_ = 1;
    }
}

void VertexCache::cornersOf(const MeshFace& face, Vertex* corners[3]) {
    if (members_[lastMember_].view != face.owner) {
        lastMember_ = 0;
        while (members_[lastMember_].view != face.owner) ++lastMember_;
    }
    Vertex* first = &vertices_[members_[lastMember_].first];
    corners[0] = first + face.vertex0;
    corners[1] = first + face.vertex1;
    corners[2] = first + face.vertex2;
}

FaceInView VertexCache::view(const MeshFace& face, const Camera& camera, ScreenPoint* points) {
    Vertex* corners[3];
    cornersOf(face, corners);
    return viewCorners(face, corners, camera, points);
}

FaceInView VertexCache::viewAndShade(const MeshFace& face, const Camera& camera,
                                     ScreenPoint* points, const Vector3& light, float scale,
                                     float maxShade, float* shades, uint8_t* shadeBytes) {
    Vertex* corners[3];
    cornersOf(face, corners);
    const FaceInView inView = viewCorners(face, corners, camera, points);
    if (inView != FaceInView::Outside) {
        shadeCorners(face, corners, light, scale, maxShade, shades, shadeBytes);
    }
    return inView;
}

FaceInView VertexCache::viewCorners(const MeshFace& face, Vertex* const corners[3],
                                    const Camera& camera, ScreenPoint* points) {
    for (int k = 0; k < 3; ++k) {
        Vertex& vertex = *corners[k];
        if (vertex.viewFrame == frame_) continue;
        const Vector3& position = cornerPosition(face, k);
        vertex.outcode = frustumOutcode(camera, position);
        if (vertex.outcode == 0) {
            int x, y;
            camera.project(position, x, y);
            vertex.x = static_cast<int16_t>(x);
            vertex.y = static_cast<int16_t>(y);
        }
        vertex.viewFrame = frame_;
    }
    const FaceInView inView =
        triangleInView(corners[0]->outcode, corners[1]->outcode, corners[2]->outcode);
    if (inView == FaceInView::Inside) {
        for (int k = 0; k < 3; ++k) points[k] = {corners[k]->x, corners[k]->y};
    }
    return inView;
}

void VertexCache::shadeCorners(const MeshFace& face, Vertex* const corners[3],
                               const Vector3& light, float scale, float maxShade,
                               float* shades, uint8_t* shadeBytes) {
    for (int k = 0; k < 3; ++k) {
        Vertex& vertex = *corners[k];
        if (vertex.shadeFrame != frame_) {
            const Vector3& normal = face.owner->viewNormals[cornerVertex(face, k)];
            vertex.shade = std::min(
                maxShade, pointLightShade(normal, light, cornerPosition(face, k), scale));
            vertex.shadeByte = shadeByte(vertex.shade);
            vertex.shadeFrame = frame_;
        }
        shades[k] = vertex.shade;
        shadeBytes[k] = vertex.shadeByte;
    }
}
