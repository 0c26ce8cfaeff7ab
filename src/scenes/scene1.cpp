// Scene 1: the camera flies along a winding path through an endless row of spinning
// torus rings, lit by a light that wanders around it. A checkerboard smear doubles the
// picture; from 15 s a wireframe logo spirals in as anti-aliased lines. The scene fades in
// from black over 10 s and burns out toward white after 27.5 s.
#include <algorithm>
#include <cmath>
#include <memory>

#include "assets/load3ds.h"
#include "assets/mesh.h"
#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/frame_passes.h"
#include "fx2d/palette_fades.h"
#include "fx2d/palette_tables.h"
#include "render3d/camera.h"
#include "render3d/clipping.h"
#include "render3d/face_setup.h"
#include "render3d/matrix_rotation.h"
#include "render3d/mesh_view.h"
#include "render3d/rasterizer.h"
#include "render3d/vertex_cache.h"
#include "render3d/mesh_group.h"
#include "scenes/flight_path.h"
#include "scenes/scene_table.h"

namespace {

constexpr int kRingCount = 12;
constexpr float kCameraSpeed = 17.0f;      // z units per second
constexpr float kMaxRingShade = 128.0f;    // ring shades are palette indices 0..128
constexpr float kQuarterTurn = 1.5707964f;  // the float nearest pi/2

constexpr float kFadeInEnd = 10.0f;
constexpr float kLogoStart = 15.0f;
constexpr float kBurnOutStart = 27.5f;

std::unique_ptr<Palette> palette;
uint8_t shadeTable[kShadeTableSize];  // toward white, for the logo's lines
std::unique_ptr<MeshGroup> rings;
Vector3 ringCentres[kRingCount];  // points of the path; rings passed by the eye move ahead
Mesh logo;                        // released at program exit
MeshView logoView;
VertexCache ringVertices;         // the rings' vertices, lit and projected once a frame

// Ring j's local transform: stood up a quarter turn about x, spun by phi about z, then
// moved to its centre on the path.
AffineMatrix ringPlacement(const Vector3& centre, float phi) {
    AffineMatrix placement = AffineMatrix::identity();
    rotateAboutX(placement, kQuarterTurn);
    rotateAboutZ(placement, phi);
    translate(placement, centre);
    return placement;
}

// One ring face, lit per vertex, clipped, projected and gouraud filled with the shades
// as palette indices.
void drawRingFace(const MeshFace& face, const Camera& camera, const Vector3& light) {
    ScreenPoint points[kClipPolygonCapacity];
    uint8_t shades[kClipPolygonCapacity];
    const int count = clipLitFace(face, camera, light, kMaxRingShade, kMaxRingShade, ringVertices,
                                  points, shades);
    fillGouraud(points, shades, count, FrameBuffer);
}

// The logo's flagged outline edges as anti-aliased lines brightening toward white.
void drawLogo(const Camera& camera) {
    for (int f = 0; f < logo.faceCount; ++f) {
        const MeshTriangle& face = logo.faces[f];
        const Vector3& a = logoView.viewPositions[face.vertex0];
        const Vector3& b = logoView.viewPositions[face.vertex1];
        const Vector3& c = logoView.viewPositions[face.vertex2];
        const Vector3* edges[3][2] = {{&c, &a}, {&b, &c}, {&a, &b}};  // flag bits 0, 1, 2
        for (int bit = 0; bit < 3; ++bit) {
            if ((face.flags & (1u << bit)) == 0) continue;
            int x0, y0, x1, y1;
            if (clipProjectSegment(camera, *edges[bit][0], *edges[bit][1], x0, y0, x1, y1)) {
                drawLineAA(x0, y0, x1, y1, shadeTable, FrameBuffer);
            }
        }
    }
}

void load() {
    palette = loadPalette("gfx\\lezbizk!.pal");
    rings = std::make_unique<MeshGroup>();
    ringVertices = VertexCache();
    // One model, read by every ring's view.
    auto torus = std::make_shared<Mesh>();
    load3ds(*torus, "3ds\\torus.3ds", nullptr);
    for (int j = 0; j < kRingCount; ++j) {
        rings->add(torus, "");
        ringVertices.addView(rings->view(j), torus->vertexCount);
    }
    buildShadeTable(*palette, shadeTable, 255, 255, 255);
    load3ds(logo, "3ds\\pellimor_logo.3DS", nullptr);
    // Stood the right way up for the logo camera.
    for (int i = 0; i < logo.vertexCount; ++i) logo.positions[i].y = -logo.positions[i].y;
    viewModel(logoView, logo);
}

void unload() {
    rings.reset();
    palette.reset();
}

void start() {
    setPalette(palette.get());
    placeRingsOnPath(ringCentres, kRingCount);
}

// The ring table is all that one frame hands to the next (the palette is the display's).
void keepState(StateRecord& record) { record.keep(ringCentres); }

void restoreState(StateRecord& record) { record.restore(ringCentres); }

void render(float t) {
    Palette shownPalette;

    // 1. Fade in from black, only while t < 10.
    if (t < kFadeInEnd) {
        fadePaletteFromBlack(*palette, truncToInt(25.5f * t), shownPalette);
        setPalette(&shownPalette);
    }

    // 2. An empty frame.
    clearFrame(FrameBuffer, 0);

    // 3. The ring camera rides the path, looking nearly away from the world origin,
    //    rolling, and widening its view after 20 s.
    const float u = kCameraSpeed * t;
    const Vector3 eye = flightPathPoint(u);
    const Vector3 direction(eye.x, eye.y, u + 0.0001f);
    Camera camera(eye, eye + direction, 45, 0);
    camera.fov = ringFieldOfView(t);
    camera.roll = 1.6f * t;
    camera.update();

    // 4. Place the spinning rings; those the eye has passed move ahead from the next frame.
    const int ringCount = rings->meshCount();
    for (int j = 0; j < ringCount; ++j) {
        Vector3& centre = ringCentres[j];
        rings->localTransform(j) = ringPlacement(centre, 0.1f * centre.z + 1.3f * t);
        recycleRing(centre, camera.eye.z, ringCount);
    }

    // 5. All rings into view space; their front faces sorted together, farthest first.
    rings->transform(camera.view);
    rings->collectVisibleFaces(true);

    // 6. The light wanders around the eye.
    const Vector3 wander(std::cos(1.2f * t), std::sin(2 - 1.6f * t), std::cos(1.56f * t + 43));
    const Vector3 light = transformPoint(eye + wander, camera.view);

    // 7. Gouraud-fill the faces, far to near.
    ringVertices.newFrame();
    MeshFace* const* faces = rings->visibleFaces();
    const uint32_t faceCount = rings->visibleCount();
    for (uint32_t i = 0; i < faceCount; ++i) {
        drawRingFace(*faces[i], camera, light);
    }

    // 8. Every second pixel copies its neighbour one row down and three columns right.
    checkerboardSmear(FrameBuffer);

    // 9. The logo, only when t > 15: spirals in until 20 s, then rests filling the view.
    if (t > kLogoStart) {
        const float k = std::max(0.0f, 1 - 0.2f * (t - kLogoStart));
        const float w = 100 * k * k;
        const float radius = 4 * k + 1.4f;
        const Camera logoCamera(Vector3(std::sin(w), 0, std::cos(w)) * radius,
                                Vector3(0, 0, 0), 130 - 100 * k, 0);
        transform(logoView, logoCamera.view);
        drawLogo(logoCamera);
    }

    // 10. Burn out toward white, only when t > 27.5.
    if (t > kBurnOutStart) {
        burnPaletteTowardWhite(*palette, std::exp(8 * (t - kBurnOutStart)), shownPalette);
        setPalette(&shownPalette);
    }

    // 11. Show it.
    presentFrame(FrameBuffer);
}

}  // namespace

extern const SceneEntry ringFlightScene = {
    load, unload, start, render, kSceneDurations[0], keepState, restoreState, "Ring flight",
};
