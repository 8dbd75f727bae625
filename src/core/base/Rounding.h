// Rounding to the nearest integer with halves to the even neighbour (499.5
// gives 500, 248.5 gives 248), whatever rounding mode the caller runs in.
// Any thread.
#pragma once

#include <cfenv>
#include <cmath>

namespace torvik {

inline double RoundHalfEven(double value) {
  const int previous = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(previous);
  return rounded;
}

}  // namespace torvik
