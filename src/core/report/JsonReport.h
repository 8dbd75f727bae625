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
#include <QStringList>
#include <vector>

#include "core/report/ReportBuilder.h"
#include "core/results/ResultTable.h"

namespace torvik {

inline constexpr int kJsonSchema = 1;

// One repetition of the requested groups: their results merged (each group
// clears the table; the tests of all of them are kept), the total of all.
struct RunOutcome {
  int repetition = 0;
  QStringList groups;
  ResultTable results;
  bool stopped = false;
};

// What the document says of the machine, beside the report's inputs.
struct JsonMachine {
  bool hasDisplay = false;  // false: "display" is null
  QString displayAdapter;   // the adapter's name ("?" when none is known)
};

// `facts`: the report inputs' machine part, names and test directory.
QJsonDocument BuildJsonReport(const ReportInputs& facts, const JsonMachine& machine, const QDateTime& started,
                              const std::vector<RunOutcome>& runs);

// "2026-12-08T14:05:09+09:00": ISO 8601 with the local offset spelt out.
QString IsoDateTimeWithOffset(const QDateTime& time);

// Minimum, median (the mean of the middle two for an even count) and
// maximum of `values`; all 0 for none.
struct Spread {
  double min = 0, median = 0, max = 0;
};
Spread SpreadOf(std::vector<double> values);

}  // namespace torvik
