// Pi, written once: in double for the models, which are computed in double, and as the
// float nearest it for the pictures and the music, which are computed in float.
#pragma once

constexpr double kPi = 3.14159265358979323846;
constexpr float kPiFloat = static_cast<float>(kPi);
