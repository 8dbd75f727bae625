// The command line's reports over many runs of the results archive:
// --trend prints each machine's figures series by series with the changes
// beyond the noise, --ranking the latest series of each machine against a
// baseline machine, --html writes the report page. Each runs its archive
// job on the runs of the filter and prints what it gives; the exit status
// (0, or 1 when the store or the file fails). GUI thread, inside a running
// application.
#pragma once

#include "cli/CommandLine.h"

namespace torvik {

class RunArchive;

int TrendVerb(const CommandLine& command, RunArchive& archive);
int RankingVerb(const CommandLine& command, RunArchive& archive);
int HtmlVerb(const CommandLine& command, RunArchive& archive);

}  // namespace torvik
