#pragma once

#include <cmath>
#include <limits>

namespace ecolvar {

// Whole number of a conversion between bar units and milliseconds: truncated toward zero and
// held within the range of int, so that a far-out value never overflows. NaN gives 0.
inline int truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    if (value <= lowest)
        return std::numeric_limits<int>::min();
    if (value >= highest)
        return std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(value));
}

// The same for 64-bit timeline points in milliseconds.
inline long long truncToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = static_cast<double>(std::numeric_limits<long long>::min());
    constexpr double highest = static_cast<double>(std::numeric_limits<long long>::max());
    if (value <= lowest)
        return std::numeric_limits<long long>::min();
    if (value >= highest)
        return std::numeric_limits<long long>::max();
    return static_cast<long long>(std::trunc(value));
}

} // namespace ecolvar
