// The content of the 8,192-byte data block: 819 consecutive 80-bit extended
// values (the x87 layout: 64-bit significand, then the 16-bit sign and
// exponent, little-endian; 10 bytes each) from byte 0 or byte 2. The two
// bytes the values leave free are not touched. Any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace torvik {

inline constexpr size_t kBlockSize = 8192;
inline constexpr int kBlockValues = 819;
inline constexpr size_t kExtendedSize = 10;

// The 10 bytes of `value` as an x87 80-bit extended value.
std::array<uint8_t, kExtendedSize> EncodeExtended(long double value);

// Which values a block holds: k·π, tan k or cos k for k = 1 .. 819, computed
// in extended precision with the processor's own functions.
enum class BlockValues { KTimesPi, TanK, CosK };

// Writes the 819 values into `block` starting at `firstByte` (0 or 2).
void FillBlock(uint8_t* block, BlockValues values, size_t firstByte);

// Writes one extended value at byte `index` x 10.
void PutExtended(uint8_t* block, int index, long double value);

}  // namespace torvik
