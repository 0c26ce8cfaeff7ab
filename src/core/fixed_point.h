// Fixed-point numbers of the rasterizers and the samplers. Polygon edges and the bilinear
// sampler's coordinates step in 16.16, spans and anti-aliased lines in 8.8. They are plain
// 32-bit integers, as Doom's fixed_t is; the names say which point a value has, and the
// helpers say what each multiply, divide and shift is for.
#pragma once

#include <cstdint>

using Fixed16 = int32_t;  // 16.16: the value times 65536
using Fixed8 = int32_t;   // 8.8: the value times 256

constexpr int kFixed16Bits = 16;
constexpr int kFixed8Bits = 8;
constexpr Fixed16 kFixed16One = 1 << kFixed16Bits;
constexpr Fixed8 kFixed8One = 1 << kFixed8Bits;

// A whole number in fixed point. Multiplied rather than shifted, so that negative
// numbers are well defined too.
constexpr Fixed16 toFixed16(int32_t whole) { return whole * kFixed16One; }
constexpr Fixed8 toFixed8(int32_t whole) { return whole * kFixed8One; }

// The whole part, rounded down: an arithmetic shift floors negative values as well.
constexpr int32_t floorFixed16(Fixed16 value) { return value >> kFixed16Bits; }
constexpr int32_t floorFixed8(Fixed8 value) { return value >> kFixed8Bits; }

// The fraction of an 8.8 value, 0..255: how far it lies toward the next whole number.
constexpr int32_t fractionOfFixed8(Fixed8 value) { return value & (kFixed8One - 1); }

// The top four bits of a 16.16 value's fraction: the sixteenth of a pixel it lies in,
// 0..15, as the bilinear weights are tabled.
constexpr int32_t sixteenthsOfFixed16(Fixed16 value) { return (value >> 12) & 15; }
