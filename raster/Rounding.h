#pragma once
// Integer division rounded down or up, and rounding to the nearest integer
// with halves to the even neighbour. C++ division truncates toward zero; the
// pixel geometry needs floors on both sides of zero, and the turned outlines
// of the effects and the placement of windows round halves to even.

#include <cmath>
#include <cstdint>

namespace vantora {

// floor(n / d) for d != 0, for quotients that fit in 64 bits. The division
// is done in 64 bits when n allows it: 128-bit divisions are far slower.
constexpr std::int64_t FloorDiv(__int128 n, std::int64_t d) {
  if (n >= INT64_MIN / 2 && n <= INT64_MAX / 2) {
    const auto m = std::int64_t(n);
    const std::int64_t q = m / d;
    return m % d != 0 && (m < 0) != (d < 0) ? q - 1 : q;
  }
  const __int128 q = n / d;
  return std::int64_t(n % d != 0 && (n < 0) != (d < 0) ? q - 1 : q);
}

// ceil(n / d) for d != 0, for quotients that fit in 64 bits.
constexpr std::int64_t CeilDiv(__int128 n, std::int64_t d) { return -FloorDiv(-n, d); }

// The nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -1.5 -> -2), whatever the floating-point rounding mode is; v must lie
// within int.
inline int RoundHalfEven(long double v) {
  const long double down = std::floor(v);
  const long double rest = v - down;  // exact, 0 <= rest < 1
  const bool up = rest > 0.5L || (rest == 0.5L && std::fmod(down, 2.0L) != 0);
  return int(up ? down + 1 : down);
}

}  // namespace vantora
