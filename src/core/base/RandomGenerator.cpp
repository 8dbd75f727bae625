#include "core/base/RandomGenerator.h"

#include <chrono>

namespace torvik {

int32_t RandomGenerator::Next(int32_t n) {
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int32_t>(0, n - 1)(engine_);
}

void RandomGenerator::SeedFromClock() {
  const auto now = std::chrono::high_resolution_clock::now().time_since_epoch();
  Seed(static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

RandomGenerator& ProgramRandom() {
  static RandomGenerator generator;
  return generator;
}

}  // namespace torvik
