#include "core/drive/Xoshiro256.h"

#include <chrono>
#include <random>

namespace torvik {

uint64_t Xoshiro256::FreshSeed() {
  std::random_device entropy;
  const uint64_t high = entropy(), low = entropy();
  return ((high << 32) | low) ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace torvik
