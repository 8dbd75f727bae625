#include "core/ram/StreamBandwidth.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "core/cores/MeasureFailure.h"

namespace torvik {
namespace {

constexpr int64_t kLine = 8;  // doubles in a 64-byte line

bool Holds(const double* x, const StreamPart& part, double value) {
  const double tolerance = std::abs(value) * 1e-13;
  for (int64_t j = part.first; j < part.first + part.count; ++j) {
    if (!(std::abs(x[j] - value) <= tolerance)) return false;
  }
  return true;
}

}  // namespace

StreamPart StreamPartOf(int64_t elements, int threads, int index) {
  if (threads <= 0 || index < 0 || index >= threads) return {};
  const int64_t lines = elements / kLine;
  const int64_t first = lines * index / threads * kLine;
  const int64_t end = index == threads - 1 ? elements : lines * (index + 1) / threads * kLine;
  return {first, end - first};
}

StreamValues StreamValuesAfter(int trials) {
  StreamValues v;
  for (int t = 0; t < trials; ++t) {
    v.c = v.a;
    v.b = kStreamScalar * v.c;
    v.c = v.a + v.b;
    v.a = v.b + kStreamScalar * v.c;
  }
  return v;
}

std::array<StreamFigure, 4> MeasureStream(ThreadTeam& team, const platform::PageMemory& memory, int64_t elements,
                                          int trials) {
  const size_t bytes = static_cast<size_t>(elements) * sizeof(double);
  std::array<platform::MappedBlock, 3> blocks;
  for (platform::MappedBlock& block : blocks) {
    int error = 0;
    block = memory.Map(bytes, false, error);
    if (block.Empty()) throw MeasureFailure::MemoryRefused(static_cast<int64_t>(bytes), error);
  }
  double* const a = static_cast<double*>(blocks[0].Data());
  double* const b = static_cast<double*>(blocks[1].Data());
  double* const c = static_cast<double*>(blocks[2].Data());
  const int threads = team.Size();
  std::vector<StreamPart> parts;
  for (int i = 0; i < threads; ++i) parts.push_back(StreamPartOf(elements, threads, i));

  // First touch: each part by the thread that works on it.
  team.RunEach([&](int i) {
    for (int64_t j = parts[i].first; j < parts[i].first + parts[i].count; ++j) {
      a[j] = 1.0;
      b[j] = 2.0;
      c[j] = 0.0;
    }
  });

  const std::array<std::function<void(int)>, 4> kernels = {
      [&](int i) { StreamCopy(c + parts[i].first, a + parts[i].first, parts[i].count); },
      [&](int i) { StreamScale(b + parts[i].first, c + parts[i].first, kStreamScalar, parts[i].count); },
      [&](int i) { StreamAdd(c + parts[i].first, a + parts[i].first, b + parts[i].first, parts[i].count); },
      [&](int i) {
        StreamTriad(a + parts[i].first, b + parts[i].first, c + parts[i].first, kStreamScalar, parts[i].count);
      },
  };
  std::array<int64_t, 4> best;
  best.fill(std::numeric_limits<int64_t>::max());
  for (int trial = 0; trial <= trials; ++trial) {  // trial 0 warms up
    for (size_t k = 0; k < kernels.size(); ++k) {
      const int64_t ns = team.RunTimed(kernels[k]);
      if (trial > 0) best[k] = std::min(best[k], ns);
    }
  }

  const StreamValues expected = StreamValuesAfter(trials + 1);
  std::vector<char> good(static_cast<size_t>(threads), 0);
  team.RunEach([&](int i) {
    good[i] = Holds(a, parts[i], expected.a) && Holds(b, parts[i], expected.b) && Holds(c, parts[i], expected.c);
  });
  if (std::count(good.begin(), good.end(), 0) > 0) throw MeasureFailure::WrongResult(QStringLiteral("STREAM"), threads);

  std::array<StreamFigure, 4> figures;
  for (size_t k = 0; k < figures.size(); ++k) {
    StreamFigure& f = figures[k];
    f.kernel = kStreamKernels[k];
    f.bestNs = best[k];
    f.bytes = static_cast<double>(StreamBytesPerElement(f.kernel) * elements);
    f.gigabytesPerSecond = f.bestNs > 0 ? f.bytes / static_cast<double>(f.bestNs) : 0;
  }
  return figures;
}

}  // namespace torvik
