// The command line's verbs on the results archive's runs: --history lists
// the recorded runs (a text table, or JSON), --import reads result sheets
// into it and prints the counts, --export-csv writes every run as CSV,
// --compare sets two runs side by side, --sync sends what waits here (the
// shared store's fleet is FleetCommands'). Each runs
// its archive job and prints what it gives; the exit status (0; 1 when the
// store or a file fails; 2 for a verb of the shared store without one).
// GUI thread, inside a running application.
#pragma once

#include "cli/CommandLine.h"

namespace torvik {

class RunArchive;

// --history: every run, or those of --pc (the PC name, whole),
// --processor (a part of the processor's name), --group, --since, --until.
int HistoryVerb(const CommandLine& command, RunArchive& archive);
int ImportVerb(const CommandLine& command, RunArchive& archive);
int ExportCsvVerb(const CommandLine& command, RunArchive& archive);
// --compare A B: the two runs test by test (text, or JSON); 1 when a run is
// not in the store.
int CompareVerb(const CommandLine& command, RunArchive& archive);
// --sync: sends the runs waiting here to the shared store and prints the
// counts (text, or JSON: sent, waiting, failed, reason); 1 when some could
// not go.
int SyncVerb(const CommandLine& command, RunArchive& archive);

}  // namespace torvik
