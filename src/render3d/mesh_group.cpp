// The mesh group: shared transform, culling and depth sort over several meshes.
#include "render3d/mesh_group.h"

#include <utility>

#include "render3d/depth_sort.h"
#include "render3d/mesh_view.h"

namespace {

// a * b, with b applied first.
AffineMatrix compose(const AffineMatrix& a, const AffineMatrix& b) {
    AffineMatrix result;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 3; ++k) sum += a.m[r][k] * b.m[k][c];
            result.m[r][c] = c < 3 ? sum : sum + a.m[r][3];
        }
    }
    return result;
}

}  // namespace

MeshGroup::MeshGroup() : visibleFaces_(1) {}

void MeshGroup::add(std::shared_ptr<const Mesh> model, const char* name) {
    views_.push_back(std::make_unique<MeshView>());
    viewModel(*views_.back(), *model);
    meshes_.push_back(std::move(model));
    localTransforms_.push_back(AffineMatrix::identity());
    names_.emplace_back(name);
    size_t totalFaces = 0;
    for (const auto& member : meshes_) totalFaces += static_cast<size_t>(member->faceCount);
    visibleFaces_.assign(totalFaces, nullptr);
    visibleCount_ = 0;
}

void MeshGroup::transform(const AffineMatrix& view) {
    for (size_t i = 0; i < meshes_.size(); ++i) {
        ::transform(*views_[i], compose(view, localTransforms_[i]));
    }
}

void MeshGroup::collectVisibleFaces(bool cull) {
    int count = 0;
    for (const auto& member : views_) {
        count += appendFacesToDraw(*member, cull, visibleFaces_.data() + count);
    }
    visibleCount_ = static_cast<uint32_t>(count);
    sortFacesByDepth(visibleFaces_.data(), 0, count - 1);
}

void MeshGroup::destroy() {
    views_.clear();  // before the models they view
    meshes_.clear();
    localTransforms_.clear();
    names_.clear();
    visibleFaces_.assign(1, nullptr);
    visibleCount_ = 0;
}
