// The camera: a world-to-camera matrix from eye, target and roll, the projection onto
// the 320x240 screen, and the six frustum planes that clipping keeps geometry inside.
#pragma once

#include <algorithm>

#include "core/numeric.h"
#include "core/vector_math.h"

// Camera space: x to the right of the screen, y down the screen, z away from the eye.
struct Camera {
    AffineMatrix view;  // rows: right, down and forward axes; the eye maps to the origin
    Vector3 eye;
    Vector3 target;
    float fov;   // horizontal field of view, degrees
    float roll;  // about the viewing direction, radians
    float focalX;
    float focalY;
    float nearOffset;
    float farOffset;
    Plane planes[6];  // left, right, top, bottom, near, far
    float centreX;
    float centreY;
    float width;
    float height;

    Camera(Vector3 eye, Vector3 target, float fov, float roll);

    // Rebuilds view, focal lengths and planes from eye, target, fov and roll.
    void update();
    // Rebuilds view only.
    void lookAt(const Vector3& eye, const Vector3& target, float roll);
    // Screen position of a camera-space point in front of the eye (p.z > 0), truncated.
    void project(const Vector3& p, int& x, int& y) const;
};

// What the clip keeps projects onto the screen. A model with absurd coordinates (a
// damaged file) makes the clip's interpolated points land anywhere, since float
// arithmetic cannot place them; they are held within a range whose differences the
// rasterizers' 16.16 edge steps can take without overflow.
constexpr int kProjectionLimit = 8192;

// Inline: every vertex in view is projected once a frame.
inline void Camera::project(const Vector3& p, int& x, int& y) const {
    x = std::clamp(truncToInt(focalX * p.x / p.z + centreX), -kProjectionLimit, kProjectionLimit);
    y = std::clamp(truncToInt(focalY * p.y / p.z + centreY), -kProjectionLimit, kProjectionLimit);
}
