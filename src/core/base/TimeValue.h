// TimeValue: every measured time and the running total. A signed 64-bit fixed
// point decimal with four fractional digits (raw = value x 10,000) whose unit
// is a tenth of a second. Clock readings are whole tenths, so their raw value
// is a multiple of 10,000; sums and differences are exact integer arithmetic.
// A plain value type; any thread may use it.
#pragma once

#include <cstdint>

namespace torvik {

class TimeValue {
 public:
  static constexpr int64_t kScale = 10'000;

  constexpr TimeValue() = default;
  static constexpr TimeValue FromTenths(int64_t tenths) { return TimeValue(tenths * kScale); }
  static constexpr TimeValue FromRaw(int64_t raw) { return TimeValue(raw); }

  constexpr int64_t Raw() const { return raw_; }
  // Whole tenths, truncated toward zero.
  constexpr int64_t Tenths() const { return raw_ / kScale; }
  constexpr bool IsZero() const { return raw_ == 0; }

  constexpr TimeValue operator+(TimeValue other) const { return TimeValue(raw_ + other.raw_); }
  constexpr TimeValue operator-(TimeValue other) const { return TimeValue(raw_ - other.raw_); }
  constexpr TimeValue& operator+=(TimeValue other) {
    raw_ += other.raw_;
    return *this;
  }
  constexpr bool operator==(const TimeValue&) const = default;
  constexpr auto operator<=>(const TimeValue&) const = default;

 private:
  constexpr explicit TimeValue(int64_t raw) : raw_(raw) {}
  int64_t raw_ = 0;
};

}  // namespace torvik
