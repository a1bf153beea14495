#pragma once
// Reals from outside (script values, resource numbers, a caller's
// coordinates and sizes) made integers. A plain cast of NaN, an infinity or
// anything beyond the integer's range is undefined. Portable.

#include <cstdint>

// v truncated toward zero, as a cast would, but held to low..high (the whole
// int32 range unless given); NaN gives 0.
constexpr int32_t SaturatingInt32(double v, int32_t low = INT32_MIN, int32_t high = INT32_MAX)
{
    if (v != v) return 0;
    if (v <= low) return low;
    if (v >= high) return high;
    return static_cast<int32_t>(v);
}
