#include "core/cores/ScalingFigures.h"

#include <cmath>

namespace torvik {

ScalingFigures ScalingFigures::Of(const QString& test, const std::vector<std::pair<int, double>>& rates,
                                  int physicalCores, bool smt) {
  ScalingFigures figures;
  figures.test = test;
  for (const auto& [threads, rate] : rates) {
    if (threads >= 1 && std::isfinite(rate) && rate > 0) figures.rates[threads] = rate;
  }
  if (figures.rates.empty()) return figures;
  figures.allThreads = figures.rates.rbegin()->first;
  figures.allRate = figures.rates.rbegin()->second;
  if (auto one = figures.rates.find(1); one != figures.rates.end()) {
    figures.singleRate = one->second;
    for (const auto& [threads, rate] : figures.rates) figures.efficiency[threads] = rate / (threads * one->second);
  }
  if (smt && physicalCores >= 1 && figures.allThreads > physicalCores) {
    if (auto physical = figures.rates.find(physicalCores); physical != figures.rates.end()) {
      figures.smtGain = *figures.allRate / physical->second;
    }
  }
  return figures;
}

}  // namespace torvik
