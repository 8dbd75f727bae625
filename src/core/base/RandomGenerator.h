// The program-wide pseudo-random generator: uniform integers in 0 .. n-1.
// Re-seeded from the clock at the start of every group; the drawing tests and
// the test-file counter draw from it. GUI thread only.
#pragma once

#include <cstdint>
#include <random>

namespace torvik {

class RandomGenerator {
 public:
  // Uniform in 0 .. n-1; 0 when n <= 0.
  int32_t Next(int32_t n);
  void Seed(uint64_t seed) { engine_.seed(seed); }
  void SeedFromClock();

 private:
  std::mt19937_64 engine_{0};
};

// The one generator of the program.
RandomGenerator& ProgramRandom();

}  // namespace torvik
