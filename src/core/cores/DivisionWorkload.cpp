#include "core/cores/DivisionWorkload.h"

#include <QCoreApplication>

#include "core/workloads/CpuKernels.h"

namespace torvik {
namespace {

// Counts the composites the loop finds; nothing per remainder, so the loop
// is the classic one with one increment per composite number.
struct CompositeCounter {
  int64_t composites = 0;
  bool KeepGoing() { return true; }
  void Remainder() {}
  void Composite(int32_t) { ++composites; }
  void Argument(int32_t) {}
};

}  // namespace

__attribute__((noinline)) int64_t DivisionKernel(int32_t first, int32_t last) {
  CompositeCounter probe;
  TrialDivision(first, last, probe);
  return probe.composites;
}

DivisionWorkload::DivisionWorkload(int32_t first, int32_t last) : first_(first), last_(last) {
  const Counts counts = Count(first, last);
  divisions_ = counts.divisions;
  composites_ = counts.composites;
}

QString DivisionWorkload::Test() const { return QStringLiteral("division"); }
QString DivisionWorkload::DisplayName() const { return QCoreApplication::translate("CoresGroup", "整数除算"); }
QString DivisionWorkload::Unit() const { return QStringLiteral("ops/s"); }

void DivisionWorkload::Begin(int threads) { slots_.assign(static_cast<size_t>(threads), Slot{}); }
void DivisionWorkload::Run(int index) { slots_[index].composites = DivisionKernel(first_, last_); }
bool DivisionWorkload::Verify(int index) { return slots_[index].composites == composites_; }
void DivisionWorkload::End() { slots_.clear(); }

DivisionWorkload::Counts DivisionWorkload::Count(int32_t first, int32_t last) {
  Counts counts;
  if (last < 2 || last < first) return counts;
  std::vector<int32_t> smallest(static_cast<size_t>(last) + 1, 0);
  for (int64_t p = 2; p <= last; ++p) {
    if (smallest[p] != 0) continue;
    for (int64_t m = p; m <= last; m += p) {
      if (smallest[m] == 0) smallest[m] = static_cast<int32_t>(p);
    }
  }
  for (int64_t n = std::max<int32_t>(first, 3); n <= last; ++n) {
    if (smallest[n] == n) {
      counts.divisions += n - 2;
    } else {
      counts.divisions += smallest[n] - 1;
      ++counts.composites;
    }
  }
  return counts;
}

}  // namespace torvik
