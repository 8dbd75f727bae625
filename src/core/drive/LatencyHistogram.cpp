#include "core/drive/LatencyHistogram.h"

#include <algorithm>
#include <cmath>

namespace torvik {

int64_t LatencyHistogram::LowestIn(int bucket) {
  if (bucket < kExactBelow) return bucket;
  const int k = bucket - kExactBelow;
  const int power = kSubBucketBits + 1 + k / (1 << kSubBucketBits);
  const int64_t sub = k % (1 << kSubBucketBits);
  return ((int64_t{1} << kSubBucketBits) + sub) << (power - kSubBucketBits);
}

int64_t LatencyHistogram::WidthOf(int bucket) {
  if (bucket < kExactBelow) return 1;
  const int power = kSubBucketBits + 1 + (bucket - kExactBelow) / (1 << kSubBucketBits);
  return int64_t{1} << (power - kSubBucketBits);
}

void LatencyHistogram::Merge(const LatencyHistogram& other) {
  for (int i = 0; i < kBuckets; ++i) counts_[i] += other.counts_[i];
  count_ += other.count_;
  lowest_ = std::min(lowest_, other.lowest_);
  highest_ = std::max(highest_, other.highest_);
}

double LatencyHistogram::ValueAt(double percent) const {
  if (count_ == 0) return 0;
  const double clamped = std::clamp(percent, 0.0, 100.0);
  // Nearest rank: the ceil(p/100 * n)-th smallest latency, at least the first.
  const int64_t rank = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(clamped / 100.0 * count_ - 1e-9)));
  int64_t seen = 0;
  for (int bucket = 0; bucket < kBuckets; ++bucket) {
    seen += counts_[bucket];
    if (seen >= rank) {
      const double middle = LowestIn(bucket) + (WidthOf(bucket) - 1) / 2.0;
      return std::clamp(middle, static_cast<double>(lowest_), static_cast<double>(highest_));
    }
  }
  return static_cast<double>(highest_);
}

}  // namespace torvik
