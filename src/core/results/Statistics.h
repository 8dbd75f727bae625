// The spread of one test's figures over repetitions, and when repetitions
// may stop: a figure is settled once its coefficient of variation (sample
// standard deviation over mean) is small enough after enough repetitions.
// Pure; any thread.
#pragma once

#include <utility>
#include <vector>

#include "core/results/RunRecord.h"

namespace torvik {

struct Statistics {
  int count = 0;
  double mean = 0;
  double stdev = 0;  // sample standard deviation (n - 1); 0 for one value
  double cv = 0;     // stdev / mean; 0 for a mean of 0
  double min = 0;
  double median = 0;  // the mean of the middle two for an even count
  double max = 0;
};

// All 0 for no values.
Statistics StatisticsOf(std::vector<double> values);

// The statistics of each test's precise seconds over `repetitions`, in the
// catalogue's order, for the tests with a result in at least one.
std::vector<std::pair<Test, Statistics>> SecondsStatistics(const std::vector<RunRecord>& repetitions);
// Of every point the repetitions measured (by its id, MeasuredPoint::StoreId,
// in the order first measured): the statistics of its rate. A point's rate
// is its figure: a drive row's time is fixed, a STREAM array sized to the
// machine.
std::vector<std::pair<QString, Statistics>> PointRateStatistics(const std::vector<RunRecord>& repetitions);

// --repeat auto: at least kMinRepetitions, then more until every test's cv
// is at most kSettledCv, at most kMaxRepetitions or kTimeLimitSeconds.
struct AutoRepeat {
  static constexpr int kMinRepetitions = 3;
  static constexpr int kMaxRepetitions = 10;
  static constexpr double kSettledCv = 0.03;
  static constexpr double kTimeLimitSeconds = 1'800;

  static bool Settled(const Statistics& figures) {
    return figures.count >= kMinRepetitions && figures.cv <= kSettledCv;
  }
  // Whether another repetition is wanted after `done` repetitions that took
  // `elapsedSeconds`, each test's figures so far in `tests`.
  static bool WantsMore(int done, double elapsedSeconds, const std::vector<Statistics>& tests);
};

}  // namespace torvik
