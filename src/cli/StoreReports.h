// The command line's reports over many runs of the results store: --trend
// prints each machine's figures series by series with the changes beyond
// the noise, --ranking the latest series of each machine against a
// baseline machine, --html writes the report page. Each reads only the
// runs of the filter and returns the exit status (0, or 1 when the store
// or the file fails). GUI thread, inside a running application.
#pragma once

#include "cli/CommandLine.h"
#include "core/history/MachineRanking.h"
#include "core/history/MachineTrend.h"
#include "core/history/ResultStore.h"

namespace torvik {

int PrintTrends(ResultStore& store, OutputFormat format, const RunFilter& filter);
int PrintRankings(ResultStore& store, OutputFormat format, const RunFilter& filter, const QString& baseline);
int WriteHtmlReport(ResultStore& store, const QString& path, const RunFilter& filter, const QString& baseline);

}  // namespace torvik
