// What the report page holds, worked out from runs: from the store's reads
// for the command line (the runs of a filter for the machines and their
// trends, the latest series of each machine for the rankings and the
// comparison), or from the series the comparison window has ticked. Pure;
// any thread (the window calls it on the archive's thread).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "core/page/HtmlReport.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"

namespace torvik {

// The machines of `runs`, by name and processor, each with the facts of
// its newest run.
std::vector<ReportMachine> MachinesOfRuns(const std::vector<StoredRun>& runs);

// The filter as the page names the runs it holds: "PC desk-1, group cpu,
// 2026-01-01 - 2026-06-30"; "all runs" for none.
QString FilterText(const RunFilter& filter);

// `runs`: the runs of the filter with their tests; `latest`: the latest
// series of each machine among them (ResultStore::LatestSeries);
// `baseline`: the machine the others are compared with, by its name (the
// first by name whose figures are precise when empty or not found).
HtmlReportInput ReportOfStore(const std::vector<StoredRun>& runs, std::vector<std::vector<StoredRun>> latest,
                              const QString& baseline);
// The same from what the store read machine by machine: the machines with
// their facts, how many runs the filter picks, and their trends.
HtmlReportInput ReportOfMachines(std::vector<ReportMachine> machines, size_t runCount, std::vector<MachineTrend> trends,
                                 std::vector<std::vector<StoredRun>> latest, const QString& baseline);

// The page of the comparison window's ticked runs: `ticked` as
// ResultStore::SeriesOf gives them (each ticked run, then the rest of its
// series), compared with `baselineId` when it is one of them; the ranking
// of the latest ticked series of each machine, and the trend of all.
QByteArray HtmlReportOfSeries(const std::vector<std::vector<StoredRun>>& ticked, std::optional<int64_t> baselineId,
                              const QString& storeShown, const QDateTime& made);

}  // namespace torvik
