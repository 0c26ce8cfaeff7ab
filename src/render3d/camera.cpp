// Camera construction, look-at and the frustum planes.
#include "render3d/camera.h"

#include <cmath>
#include <utility>

#include "platform/frame_size.h"

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;
// Taken off both half-angles so that whatever planes 0..3 keep projects strictly
// inside the screen.
constexpr float kFrustumMargin = 0.0001f;

// The 3x3 rotation part mirrored about its diagonal: for a rotation, its inverse.
void transposeRotation(AffineMatrix& matrix) {
    std::swap(matrix.m[0][1], matrix.m[1][0]);
    std::swap(matrix.m[0][2], matrix.m[2][0]);
    std::swap(matrix.m[1][2], matrix.m[2][1]);
}

}  // namespace

Camera::Camera(Vector3 eye_, Vector3 target_, float fov_, float roll_)
    : view(AffineMatrix::identity()),
      eye(eye_),
      target(target_),
      fov(fov_),
      roll(roll_),
      focalX(0),
      focalY(0),
      nearOffset(1.0f),
      farOffset(1000.0f),
      planes(),
      centreX(kFrameWidth / 2),
      centreY(kFrameHeight / 2),
      width(kFrameWidth),
      height(kFrameHeight) {
    update();
}

void Camera::lookAt(const Vector3& eyePoint, const Vector3& targetPoint, float rollAngle) {
    const Vector3 d = targetPoint - eyePoint;
    // The world up direction (0, 1, 0) turned by the roll; right = d x up.
    const float s = std::sin(-rollAngle);
    const float c = std::cos(-rollAngle);
    Vector3 right(-d.z * c, d.z * s, d.x * c - d.y * s);
    Vector3 down(d.y * right.z - d.z * right.y, d.z * right.x - d.x * right.z,
                 d.x * right.y - d.y * right.x);
    Vector3 forward = d;
    right.normalize();
    down.normalize();
    forward.normalize();

    // The three axes as the columns of a camera-to-world rotation; transposed, it turns
    // world into camera space, the axes becoming its rows.
    view.setColumns(right, down, forward);
    transposeRotation(view);
    view.m[0][3] = static_cast<float>(-dot(right, eyePoint));
    view.m[1][3] = static_cast<float>(-dot(down, eyePoint));
    view.m[2][3] = static_cast<float>(-dot(forward, eyePoint));
}

void Camera::update() {
    lookAt(eye, target, roll);
    const float halfTan = std::tan(fov * 0.5f * kRadiansPerDegree);
    focalX = (width * 0.5f) / halfTan;
    // The 1.25 stretches vertically for the 4:3 screen's square-ish pixels.
    focalY = (height * 0.5f * 1.25f) / halfTan;
    const float a = std::atan2(width * 0.5f, focalX) - kFrustumMargin;
    const float b = std::atan2(height * 0.5f, focalY) - kFrustumMargin;
    const float ca = std::cos(a), sa = std::sin(a);
    const float cb = std::cos(b), sb = std::sin(b);
    planes[0] = Plane{Vector3(ca, 0, sa), 0};
    planes[1] = Plane{Vector3(-ca, 0, sa), 0};
    planes[2] = Plane{Vector3(0, cb, sb), 0};
    planes[3] = Plane{Vector3(0, -cb, sb), 0};
    planes[4] = Plane{Vector3(0, 0, 1), nearOffset};
    planes[5] = Plane{Vector3(0, 0, -1), farOffset};
}
