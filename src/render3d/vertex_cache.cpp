// The per-frame vertex cache of the face set-up. Its view test (viewCorners) gives each
// face the verdict the six clip passes would reach, from the corners' outcodes alone.
#include "render3d/vertex_cache.h"

#include <algorithm>

#include "render3d/clipping.h"
#include "render3d/point_light.h"

namespace {

static_assert(kProjectionLimit <= INT16_MAX, "screen points are kept in 16 bits");

}  // namespace

// Written out plane by plane: a loop here costs a guessed branch per plane.
uint8_t VertexCache::outcodeOf(const PlaneInDoubles* planes, const Vector3& point) {
    const double x = point.x, y = point.y, z = point.z;
    auto outside = [&](int p) {
        const PlaneInDoubles& plane = planes[p];
        const double distance = plane.x * x + plane.y * y + plane.z * z + plane.offset;
        return static_cast<unsigned>(!strictlyInside(distance)) << p;
    };
    return static_cast<uint8_t>(outside(0) | outside(1) | outside(2) | outside(3) |
                                outside(4) | outside(5));
}

void VertexCache::addMesh(const Mesh& mesh, int vertexCapacity) {
    members_.push_back({&mesh, vertices_.size()});
    vertices_.resize(vertices_.size() + static_cast<size_t>(std::max(vertexCapacity, 0)),
                     Vertex{0, 0, 0, 0, 0.0f, 0, 0});
}

void VertexCache::newFrame() {
    if (++frame_ == 0) {  // the stamps start over, so no old stamp matches a new frame
        for (Vertex& vertex : vertices_) vertex.viewFrame = vertex.shadeFrame = 0;
        planesFrame_ = 0;
        frame_ = 1;
    }
}

void VertexCache::cornersOf(const MeshFace& face, Vertex* corners[3]) {
    if (members_[lastMember_].mesh != face.owner) {
        lastMember_ = 0;
        while (members_[lastMember_].mesh != face.owner) ++lastMember_;
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
    if (planesFrame_ != frame_) {
        for (int p = 0; p < 6; ++p) {
            const Plane& plane = camera.planes[p];
            planes_[p] = {plane.normal.x, plane.normal.y, plane.normal.z, plane.offset};
        }
        planesFrame_ = frame_;
    }
    for (int k = 0; k < 3; ++k) {
        Vertex& vertex = *corners[k];
        if (vertex.viewFrame == frame_) continue;
        const Vector3& position = cornerPosition(face, k);
        vertex.outcode = outcodeOf(planes_, position);
        if (vertex.outcode == 0) {
            int x, y;
            camera.project(position, x, y);
            vertex.x = static_cast<int16_t>(x);
            vertex.y = static_cast<int16_t>(y);
        }
        vertex.viewFrame = frame_;
    }
    // The planes some corner is not strictly inside: none, and no clip pass would touch
    // the face.
    const unsigned outsideSome = corners[0]->outcode | corners[1]->outcode | corners[2]->outcode;
    if (outsideSome == 0) {
        for (int k = 0; k < 3; ++k) points[k] = {corners[k]->x, corners[k]->y};
        return FaceInView::Inside;
    }
    // The passes before the first of those planes keep the face as it is, so that pass
    // sees the very corners tested here. When all three are outside it (the outcodes'
    // trivial reject, taken at that plane only: later planes see clipped vertices), the
    // pass keeps none and finds at most two crossings: fewer than three vertices, the face
    // is dropped.
    const unsigned firstPlane = outsideSome & (0u - outsideSome);
    const unsigned outsideAll = corners[0]->outcode & corners[1]->outcode & corners[2]->outcode;
    return (outsideAll & firstPlane) != 0 ? FaceInView::Outside : FaceInView::Crossing;
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
