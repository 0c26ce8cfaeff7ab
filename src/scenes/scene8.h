// Scene 8: an environment-mapped supertoroid that morphs through curved, boxy, diamond
// and star-like forms.
#pragma once

namespace scene8 {
void load();
void unload();
void start();
void render(float t);

// The shape at time t, which render follows and the tests check.
struct ShapeParameters {
    float majorRadius;   // 0.24 .. 1.76
    float minorRadius;   // 0.5 below the major radius .. equal to it
    float ringExponent;  // 0 .. 4
    float tubeExponent;  // 0 .. 4
};
ShapeParameters shapeAt(float t);
}  // namespace scene8
