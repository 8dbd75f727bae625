// The report page's reads of a store, machine by machine, so that what the
// page holds in memory grows with the machines it shows and never with the
// runs the store keeps: the machines of the filter (walked on their index),
// each one's count of runs, each machine's newest runs of a group up to the
// newest series its trend draws (kTrendPointsShown, read in pages that
// grow only where a machine's series have many repetitions), and the
// latest series of each machine for the rankings. The trends are worked
// out one machine at a time and their changes judged together at the end,
// as one family. The archive's thread (the window's) or the command
// line's one thread.
#pragma once

#include <QString>

#include "core/archive/RunArchive.h"
#include "core/page/HtmlReport.h"
#include "core/records/ArchiveStatus.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"

namespace torvik {

// The newest `count` whole series of each of `machines`' runs of `filter`
// (oldest series first), all of them in each statement (a caller reads a
// few machines at a time): each machine once, in no set order.
ArchiveResult<std::vector<std::pair<MachineKey, std::vector<std::vector<StoredRun>>>>> NewestSeriesOfMachines(
    ResultStore& store, const std::vector<MachineKey>& machines, const RunFilter& filter, size_t count);

// What the page of the runs of `filter` holds, against the machine named
// `baseline` (the first by name with precise figures when empty); without
// when it was made, the store's label and the filter's words.
ArchiveResult<HtmlReportInput> ReadStorePage(RunArchive& archive, const RunFilter& filter, const QString& baseline);

}  // namespace torvik
