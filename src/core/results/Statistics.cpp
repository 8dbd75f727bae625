#include "core/results/Statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/results/PreciseFigures.h"

namespace torvik {

Statistics StatisticsOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  Statistics s;
  const size_t n = values.size();
  s.count = static_cast<int>(n);
  s.min = values.front();
  s.max = values.back();
  s.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
  if (n > 1) {
    double squares = 0;
    for (double value : values) squares += (value - s.mean) * (value - s.mean);
    s.stdev = std::sqrt(squares / static_cast<double>(n - 1));
  }
  s.cv = s.mean != 0 ? s.stdev / s.mean : 0;
  return s;
}

std::vector<std::pair<Test, Statistics>> SecondsStatistics(const std::vector<RunRecord>& repetitions) {
  std::vector<std::pair<Test, Statistics>> statistics;
  for (const TestEntry& entry : kTests) {
    std::vector<double> seconds;
    for (const RunRecord& run : repetitions) {
      if (run.results[entry.test].HasResult()) seconds.push_back(Seconds(run.results[entry.test]));
    }
    if (!seconds.empty()) statistics.emplace_back(entry.test, StatisticsOf(std::move(seconds)));
  }
  return statistics;
}

std::vector<std::pair<QString, Statistics>> PointRateStatistics(const std::vector<RunRecord>& repetitions) {
  std::vector<std::pair<QString, std::vector<double>>> rates;
  for (const RunRecord& run : repetitions) {
    for (const MeasuredPoint& point : run.points) {
      const QString id = point.StoreId();
      auto found = std::find_if(rates.begin(), rates.end(), [&id](const auto& entry) { return entry.first == id; });
      if (found == rates.end()) found = rates.insert(rates.end(), {id, {}});
      found->second.push_back(point.rate);
    }
  }
  std::vector<std::pair<QString, Statistics>> statistics;
  for (auto& [id, values] : rates) statistics.emplace_back(id, StatisticsOf(std::move(values)));
  return statistics;
}

bool AutoRepeat::WantsMore(int done, double elapsedSeconds, const std::vector<Statistics>& tests) {
  if (done < kMinRepetitions) return true;
  if (done >= kMaxRepetitions || elapsedSeconds >= kTimeLimitSeconds) return false;
  return !std::all_of(tests.begin(), tests.end(), Settled);
}

}  // namespace torvik
