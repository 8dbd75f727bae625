#include "core/workloads/DataBlock.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "X87.h"

namespace torvik {

std::array<uint8_t, kExtendedSize> EncodeExtended(long double value) {
  std::array<uint8_t, kExtendedSize> bytes{};
  if constexpr (std::numeric_limits<long double>::digits == 64) {
    // long double is the x87 format itself: its first 10 bytes are the value.
    std::memcpy(bytes.data(), &value, kExtendedSize);
    return bytes;
  }
  // Elsewhere, build the format: explicit integer bit, 15-bit biased exponent.
  const bool negative = std::signbit(value);
  long double magnitude = std::fabs(value);
  uint64_t significand = 0;
  int exponent = 0;
  if (magnitude != 0) {
    int binaryExponent = 0;
    const long double fraction = std::frexp(magnitude, &binaryExponent);  // [0.5, 1)
    significand = static_cast<uint64_t>(std::ldexp(fraction, 64));
    exponent = binaryExponent - 1 + 16383;
  }
  const uint16_t signExponent = static_cast<uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
  for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(significand >> (8 * i));
  bytes[8] = static_cast<uint8_t>(signExponent);
  bytes[9] = static_cast<uint8_t>(signExponent >> 8);
  return bytes;
}

void PutExtended(uint8_t* block, int index, long double value) {
  const auto bytes = EncodeExtended(value);
  std::memcpy(block + index * kExtendedSize, bytes.data(), kExtendedSize);
}

void FillBlock(uint8_t* block, BlockValues values, size_t firstByte) {
  constexpr long double kPi = std::numbers::pi_v<long double>;
  for (int k = 1; k <= kBlockValues; ++k) {
    const long double x = k;
    long double value = 0;
    switch (values) {
      case BlockValues::KTimesPi: value = x * kPi; break;
      case BlockValues::TanK: value = arch::X87Tan(x); break;
      case BlockValues::CosK: value = arch::X87Cos(x); break;
    }
    PutExtended(block + firstByte, k - 1, value);
  }
}

}  // namespace torvik
