// Scene 8: a supertoroid whose radii breathe and whose two exponents sweep between 0 and
// 4, rebuilt every frame and drawn with an environment map while the camera circles it.

#include <cmath>
#include <cstdint>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "render3d/camera.h"
#include "render3d/environment_map.h"
#include "render3d/mesh_view.h"
#include "render3d/supertoroid.h"
#include "render3d/vertex_cache.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace scene8 {
namespace {

constexpr uint32_t kTubeSegments = 30;
constexpr uint32_t kRingCount = 30;
constexpr int kTextureSize = 256;
constexpr float kFieldOfView = 45.0f;

std::unique_ptr<Palette> scenePalette;
std::unique_ptr<uint8_t[]> texture;  // 256x256 environment picture
std::unique_ptr<SupertoroidMesh> shape;
MeshView shapeView;
VertexCache shapeVertices;  // its vertices, projected once a frame


void load() {
    // A plain torus to start with; render reshapes it every frame.
    shape = std::make_unique<SupertoroidMesh>();
    shape->majorRadius = 1.0f;
    shape->minorRadius = 0.25f;
    shape->ringExponent = 1.0f;
    shape->tubeExponent = 1.0f;
    shape->build(kTubeSegments, kRingCount);
    shape->reshape();
    viewModel(shapeView, shape->mesh);
    shapeVertices = VertexCache();
    shapeVertices.addView(shapeView, shape->mesh.vertexCount);
    scenePalette = loadPalette("gfx\\env.gif");
    texture = loadPictureOfSize("gfx\\env.gif", kTextureSize, kTextureSize);
}

void unload() {
    scenePalette.reset();
    texture.reset();
    shape.reset();  // releases the mesh's arrays with it
}

void start() { setPalette(scenePalette.get()); }

void render(float t) {
    // 1. Black.
    clearFrame(FrameBuffer, 0);

    // 2. The eye circles the z axis at radius 3, three units up, looking at the centre.
    const Camera camera(Vector3(3.0f * std::cos(1.1f * t), 3.0f * std::sin(1.1f * t), 3.0f),
                        Vector3(0, 0, 0), kFieldOfView, 0.0f);

    // 3-5. This moment's shape, its vertices and the normals that follow it.
    const ShapeParameters p = shapeAt(t);
    shape->majorRadius = p.majorRadius;
    shape->minorRadius = p.minorRadius;
    shape->ringExponent = p.ringExponent;
    shape->tubeExponent = p.tubeExponent;
    shape->reshape();
    shape->mesh.computeVertexNormals();

    // 6-8. Into view space, front faces far to near, each textured from its normals.
    transform(shapeView, camera.view);
    cullAndSort(shapeView, true);
    drawEnvironmentMapped(shapeView, camera, texture.get(), shapeVertices, FrameBuffer);

    // 9.
    presentFrame(FrameBuffer);
}

}  // namespace
}  // namespace scene8

extern const SceneEntry supertoroidScene = {
    scene8::load, scene8::unload, scene8::start, scene8::render, kSceneDurations[7],
    nullptr, nullptr, "Supertoroid",
};
