// LatencyHistogram: every completion latency of a drive row, in
// nanoseconds, counted in log-linear buckets (HdrHistogram's layout): exact
// below 128 ns, then each power of two split into 64 equal buckets, so a
// bucket is never wider than 1/64 of the values in it. A percentile is the
// middle of its bucket, within 1/128 of the latency it stands for (and
// never outside the lowest and highest latencies recorded). Latencies
// above 2^41 ns (about 36 minutes) count in the last bucket. Fixed size,
// no allocation after construction: Record is what a timed loop may call.
// One thread at a time; merge per-thread histograms afterwards.
#pragma once

#include <array>
#include <cstdint>

namespace torvik {

class LatencyHistogram {
 public:
  static constexpr int kSubBucketBits = 6;                 // 64 buckets per power of two
  static constexpr int kExactBelow = 2 << kSubBucketBits;  // 128: one bucket per nanosecond
  static constexpr int kHighestPower = 40;                 // the last power split: 2^40 .. 2^41
  static constexpr int64_t kHighestValue = (int64_t{2} << kHighestPower) - 1;
  static constexpr int kBuckets = kExactBelow + (kHighestPower - kSubBucketBits) * (1 << kSubBucketBits);

  // Counts one latency; negative counts as 0.
  void Record(int64_t nanoseconds) {
    const int64_t value = nanoseconds < 0 ? 0 : (nanoseconds > kHighestValue ? kHighestValue : nanoseconds);
    ++counts_[BucketOf(value)];
    ++count_;
    if (value < lowest_) lowest_ = value;
    if (value > highest_) highest_ = value;
  }
  void Merge(const LatencyHistogram& other);

  int64_t Count() const { return count_; }
  // The smallest latency that at least `percent` % of the recorded ones do
  // not exceed (nearest rank), as its bucket's middle; 0 when none was
  // recorded. `percent` in (0, 100].
  double ValueAt(double percent) const;
  int64_t Lowest() const { return count_ == 0 ? 0 : lowest_; }
  int64_t Highest() const { return highest_; }

  // The layout, on its own for the tests.
  static int BucketOf(int64_t value) {
    if (value < kExactBelow) return static_cast<int>(value);
    const int power = 63 - __builtin_clzll(static_cast<uint64_t>(value));  // >= 7
    const int shift = power - kSubBucketBits;
    return kExactBelow + (power - kSubBucketBits - 1) * (1 << kSubBucketBits) +
           static_cast<int>((value >> shift) - (int64_t{1} << kSubBucketBits));
  }
  static int64_t LowestIn(int bucket);
  static int64_t WidthOf(int bucket);

 private:
  std::array<int64_t, kBuckets> counts_{};
  int64_t count_ = 0;
  int64_t lowest_ = kHighestValue;
  int64_t highest_ = 0;
};

}  // namespace torvik
