// Several meshes, each placed by its own local transform, culled and depth-sorted
// together so that their faces are painted in one common far-to-near order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/mesh.h"
#include "core/vector_math.h"
#include "render3d/mesh_view.h"

class MeshGroup {
public:
    MeshGroup();
    ~MeshGroup() { destroy(); }
    MeshGroup(const MeshGroup&) = delete;
    MeshGroup& operator=(const MeshGroup&) = delete;

    // A member viewing the model, with a view of its own; its local transform starts as
    // the identity. Several members may view one model (the model is only read); the group
    // keeps each model until it is destroyed. Sizes the visible list for all faces; it is
    // invalid until the next collect.
    void add(std::shared_ptr<const Mesh> model, const char* name);
    // The same for a heap mesh (made with new), which the group then owns.
    void add(Mesh* mesh, const char* name) { add(std::shared_ptr<const Mesh>(mesh), name); }
    // Places every member with view * its local transform (the local one applied first).
    void transform(const AffineMatrix& view);
    // Lists the faces to draw (front faces only when cull is set), farthest first.
    void collectVisibleFaces(bool cull);
    // Releases and frees every member; the group is empty afterwards.
    void destroy();

    int meshCount() const { return static_cast<int>(meshes_.size()); }
    const Mesh& mesh(int i) const { return *meshes_[i]; }
    const MeshView& view(int i) const { return *views_[i]; }
    AffineMatrix& localTransform(int i) { return localTransforms_[i]; }
    MeshFace* const* visibleFaces() const { return visibleFaces_.data(); }
    uint32_t visibleCount() const { return visibleCount_; }

private:
    std::vector<std::shared_ptr<const Mesh>> meshes_;
    std::vector<std::unique_ptr<MeshView>> views_;  // where they stay: faces point at them
    std::vector<AffineMatrix> localTransforms_;
    std::vector<std::string> names_;  // kept for whoever reads the group; no operation uses them
    std::vector<MeshFace*> visibleFaces_;
    uint32_t visibleCount_ = 0;
};
