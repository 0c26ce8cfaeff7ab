// The one place in render3d that picks which version of each paired routine the show
// runs: the fast one, or in the plain build (DORMINAX_PLAIN, `make plain`) its plain twin
// from the *_plain.cpp files. Both versions are always compiled, so that the tests can
// run them side by side; the golden frames prove the plain build draws the same show.
#include "core/plain.h"
#include "render3d/depth_sort.h"
#include "render3d/face_setup.h"
#include "render3d/mesh_view.h"
#include "render3d/rasterizer.h"

#ifdef DORMINAX_PLAIN
namespace chosen = plain;
#else
namespace chosen = fast;
#endif

void fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count, uint8_t* dst) {
    chosen::fillGouraud(points, colours, count, dst);
}

void fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                       const uint8_t* table, uint8_t* dst) {
    chosen::fillGouraudMapped(points, shades, count, table, dst);
}

void fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                  const uint8_t* texture, uint8_t* dst) {
    chosen::fillTextured(points, u, v, count, texture, dst);
}

void sortFacesByDepth(MeshFace** list, int lo, int hi) { chosen::sortFacesByDepth(list, lo, hi); }

void transform(MeshView& view, const AffineMatrix& matrix, int /*unused*/) {
    chosen::transform(view, matrix);
}

// The plain face set-up has no cache: it works every face out afresh.
int clipLitFace(const MeshFace& face, const Camera& camera, const Vector3& light, float scale,
                float maxShade, VertexCache& cache, ScreenPoint* points, uint8_t* shades) {
    if constexpr (kPlainBuild) {
        return plain::clipLitFace(face, camera, light, scale, maxShade, points, shades);
    }
    return fast::clipLitFace(face, camera, light, scale, maxShade, cache, points, shades);
}

int clipEnvironmentFace(const MeshFace& face, const Camera& camera, VertexCache& cache,
                        ScreenPoint* points, int* u, int* v) {
    if constexpr (kPlainBuild) return plain::clipEnvironmentFace(face, camera, points, u, v);
    return fast::clipEnvironmentFace(face, camera, cache, points, u, v);
}
