// RunRecord: one run as the program hands it on: the groups it ran (one
// for a group run from its button; every group of a repetition on the
// command line), when it started, the results, whether it was stopped, who
// ran it on which PC, and the machine's facts. The result sheet, the JSON
// document and the results store each format what they need from it.
// Plain values; any thread.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "core/machine/MachineFacts.h"
#include "core/results/MeasuredPoint.h"
#include "core/results/ResultTable.h"

namespace torvik {

struct RunRecord {
  std::vector<Group> groups;
  QDateTime started;
  ResultTable results;
  bool stopped = false;
  QString userName, pcName;
  MachineFacts machine;
  QString series;  // the repetitions of one command line share it
  // The points of the groups that measure today's machine, in the order
  // they were measured, and what each of those groups found of the machine
  // (its processors, caches, drive), by the group's id.
  std::vector<MeasuredPoint> points;
  QJsonObject pointFacts;

  // Adds `later`, a group run after these: its tests' results (each group
  // clears the table, so a test has a result in one group only), its
  // total, its points and their facts; the run is stopped when either was.
  void Add(const RunRecord& later);
};

// 1 + 2 + ... + n for the total rounded to whole tenths, in wrapping signed
// 32-bit arithmetic; 0 when n <= 0. The sheet's, the JSON's and the store's
// bench number.
int32_t BenchNumber(TimeValue total);

}  // namespace torvik
