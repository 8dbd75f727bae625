// The ranking of the comparison window, drawn from MachineRanking alone: a
// table of the machines, fastest first, each with its processor, the
// repetitions of its latest series, its overall figure against the
// baseline machine, a group of points' summaries (one and all threads,
// memory latency) and per test how much faster it is with the verdict
// (+ faster; the baseline said as such). Nothing is worked out here. GUI
// thread only.
#pragma once

#include <QTableWidget>

#include "core/analysis/MachineRanking.h"

namespace torvik {

// Fills `table` (named by its owner) with `ranking`.
void ShowRanking(QTableWidget& table, const MachineRanking& ranking);

}  // namespace torvik
