// The size of every frame the demo draws and every backend shows, defined here, at the
// bottom of the layers, so that each of them reads the same two numbers.
#pragma once

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;
constexpr int kFrameSize = kFrameWidth * kFrameHeight;
