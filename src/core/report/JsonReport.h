// The machine-readable report of command-line runs: one JSON document with
// the program, the start time, the machine's facts, the user and PC names,
// every repetition's tests (the tenths the window shows, the precise seconds,
// the rate in its unit) and per test the minimum, median and maximum of the
// precise seconds over the repetitions. Field names are a contract with the
// scripts that read it ("schema": 1): fields may be added, none renamed.
// Pure; any thread.
#pragma once

#include <QDateTime>
#include <QJsonDocument>
#include <vector>

#include "core/results/RunRecord.h"

namespace torvik {

inline constexpr int kJsonSchema = 1;

// `repetitions`: one record per repetition of the requested groups (their
// results merged, RunRecord::Add), numbered from 1 in this order; the
// machine's facts and the names are those of the first.
QJsonDocument BuildJsonReport(const std::vector<RunRecord>& repetitions, const QDateTime& started);

// Minimum, median (the mean of the middle two for an even count) and
// maximum of `values`; all 0 for none.
struct Spread {
  double min = 0, median = 0, max = 0;
};
Spread SpreadOf(std::vector<double> values);

}  // namespace torvik
