// Float-to-integer conversion. Every real-to-integer conversion of the demo truncates
// toward zero; a bare cast of NaN or of a value outside int's range is undefined
// behaviour in C++, so all of them go through here.
#pragma once

#include <climits>

// Truncates toward zero; NaN gives 0, values beyond int's range clamp to INT_MIN/INT_MAX.
inline int truncToInt(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

// True when the value is finite (neither infinite nor NaN), without <cmath>'s overloads.
inline bool isFiniteValue(double value) { return value - value == 0.0; }
