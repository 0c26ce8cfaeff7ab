// The per-frame vertex cache of the face setup.
#include "render3d/vertex_cache.h"

#include <algorithm>

#include "render3d/lighting.h"

void VertexCache::addMesh(const Mesh& mesh, int vertexCapacity) {
    members_.push_back({&mesh, vertices_.size()});
    vertices_.resize(vertices_.size() + static_cast<size_t>(std::max(vertexCapacity, 0)),
                     Vertex{0, 0, false, {0, 0}, 0.0f});
}

void VertexCache::newFrame() {
    if (++frame_ == 0) {  // after four billion frames the stamps start over
        for (Vertex& vertex : vertices_) vertex.viewFrame = vertex.shadeFrame = 0;
        frame_ = 1;
    }
}

VertexCache::Vertex& VertexCache::vertexOf(const MeshFace& face, int k) {
    if (members_[lastMember_].mesh != face.owner) {
        lastMember_ = 0;
        while (members_[lastMember_].mesh != face.owner) ++lastMember_;
    }
    return vertices_[members_[lastMember_].first + static_cast<size_t>(cornerVertex(face, k))];
}

bool VertexCache::inView(const MeshFace& face, int k, const Camera& camera, ScreenPoint& point) {
    Vertex& vertex = vertexOf(face, k);
    if (vertex.viewFrame != frame_) {
        const Vector3& position = cornerPosition(face, k);
        // The very test of the clip passes: a distance above 0 keeps a vertex as it is.
        vertex.inView = std::all_of(camera.planes, camera.planes + 6, [&](const Plane& plane) {
            return plane.distance(position) > 0;
        });
        if (vertex.inView) camera.project(position, vertex.point.x, vertex.point.y);
        vertex.viewFrame = frame_;
    }
    point = vertex.point;
    return vertex.inView;
}

float VertexCache::shade(const MeshFace& face, int k, const Vector3& light, float scale,
                         float maxShade) {
    Vertex& vertex = vertexOf(face, k);
    if (vertex.shadeFrame != frame_) {
        const Vector3& normal = face.owner->viewNormals[cornerVertex(face, k)];
        vertex.shade =
            std::min(maxShade, pointLightShade(normal, light, cornerPosition(face, k), scale));
        vertex.shadeFrame = frame_;
    }
    return vertex.shade;
}
