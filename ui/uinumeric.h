#pragma once

#include <climits>
#include <cmath>

// Conversions to int that are defined for every input: values beyond the range of int are held
// at its ends instead of wrapping or being undefined.

inline int uiClampToInt(long long value) {
  if (value > INT_MAX)
    return INT_MAX;
  if (value < INT_MIN)
    return INT_MIN;
  return static_cast<int>(value);
}

// Truncates toward zero; NaN gives 0.
inline int uiTruncateToInt(double value) {
  if (std::isnan(value))
    return 0;
  if (value >= static_cast<double>(INT_MAX))
    return INT_MAX;
  if (value <= static_cast<double>(INT_MIN))
    return INT_MIN;
  return static_cast<int>(value);
}
