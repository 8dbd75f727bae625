// ScalingFigures: what a workload's points say about the processor as the
// thread count grows: the rate on one thread and on all, the scaling
// efficiency at every count (rate at N / (N x rate at 1)) and, where SMT is
// on, the SMT gain (rate at every logical processor / rate at the physical
// core count). Pure; any thread.
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace torvik {

struct ScalingFigures {
  QString test;
  std::map<int, double> rates;  // by thread count
  std::optional<double> singleRate;
  std::optional<double> allRate;  // at the highest count measured
  int allThreads = 0;
  std::map<int, double> efficiency;  // by thread count; none without a one-thread rate
  std::optional<double> smtGain;

  // From the rates of one workload's points; `physicalCores` and `smt` as
  // the thread plan says. A count measured twice keeps its last rate.
  static ScalingFigures Of(const QString& test, const std::vector<std::pair<int, double>>& rates, int physicalCores,
                           bool smt);
};

}  // namespace torvik
