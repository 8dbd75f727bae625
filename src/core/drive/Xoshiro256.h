// Xoshiro256: the drive group's fast generator (xoshiro256** by Blackman
// and Vigna), for the test file's incompressible content and the random
// rows' offsets. Seeded afresh for every job from the system's entropy, so
// no two runs walk the same offsets (fio's randrepeat=0). A few
// nanoseconds a number, no allocation. One thread per generator.
#pragma once

#include <cstdint>

namespace torvik {

class Xoshiro256 {
 public:
  // The four words of state from `seed` through splitmix64.
  explicit Xoshiro256(uint64_t seed) {
    for (uint64_t& word : state_) {
      seed += 0x9e3779b97f4a7c15ULL;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
      z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
      word = z ^ (z >> 31);
    }
  }

  uint64_t Next() {
    const uint64_t result = Rotate(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotate(state_[3], 45);
    return result;
  }

  // Uniform in 0 .. n-1 (n > 0), by the high half of a 128-bit product: no
  // division, a bias below n / 2^64.
  uint64_t Below(uint64_t n) { return static_cast<uint64_t>((static_cast<unsigned __int128>(Next()) * n) >> 64); }

  // A seed no other job gets: the system's entropy mixed with the clock.
  static uint64_t FreshSeed();

 private:
  static uint64_t Rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t state_[4];
};

}  // namespace torvik
