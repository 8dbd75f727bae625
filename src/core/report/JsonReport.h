// The machine-readable report of command-line runs: one JSON document with
// the program, the start time, the machine's facts, the user and PC names,
// every repetition's tests (the tenths the window shows, the precise seconds,
// the rate in its unit, the machine's noise around the test) and per test
// the statistics of the precise seconds over the repetitions (minimum,
// median, maximum, mean, standard deviation, coefficient of variation,
// whether they settled, how many repetitions were flagged as noisy). Field names are a contract with the
// scripts that read it ("schema": 1): fields may be added, none renamed.
// Pure; any thread.
#pragma once

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonValue>
#include <vector>

#include "core/results/RunRecord.h"
#include "core/results/Statistics.h"

namespace torvik {

inline constexpr int kJsonSchema = 1;

// `repetitions`: one record per repetition of the requested groups (their
// results merged, RunRecord::Add), numbered from 1 in this order; the
// machine's facts and the names are those of the first.
QJsonDocument BuildJsonReport(const std::vector<RunRecord>& repetitions, const QDateTime& started);

// A figure of the spread (`stdev`, `cv`) as JSON: null below two
// repetitions, where a spread is undefined, not 0.
QJsonValue SpreadJson(const Statistics& figures, double value);

}  // namespace torvik
