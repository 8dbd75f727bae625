// The command line's verbs on the results store: --history lists the
// recorded runs (a text table, or JSON), --import reads result sheets into
// it and prints the counts, --export-csv writes every run as CSV, --compare
// sets two runs side by side. Each
// returns the exit status (0, or 1 when the store or a file fails). GUI
// thread, inside a running application.
#pragma once

#include <QStringList>

#include "cli/CommandLine.h"
#include "core/history/RunArchive.h"

namespace torvik {

// --history: every run, or those of --pc (the PC name, whole) and
// --processor (a part of the processor's name), both any case.
int PrintHistory(ResultStore& store, OutputFormat format, const RunFilter& filter = {});
int ImportSheets(ResultStore& store, const QStringList& files);
int ExportCsv(ResultStore& store, const QString& path);
// --compare A B: the two runs test by test (text, or JSON); 1 when a run is
// not in the store.
int PrintComparison(ResultStore& store, int64_t a, int64_t b, OutputFormat format);
// --sync: sends the runs waiting here to the archive's shared store and
// prints the counts (text, or JSON: sent, waiting, failed, reason); 1 when
// some could not go.
int SyncStores(RunArchive& archive, OutputFormat format = OutputFormat::Text);
// --upgrade-store: opens the shared store as its owner may (making or
// upgrading its schema) and says which version it had and has; 1 when it
// cannot, or this role may not.
int UpgradeStore(ResultStore& shared);
// The store verb `command` names (--history, --import, --export-csv,
// --compare, --sync, --upgrade-store) on `archive`: its exit status.
int RunStoreCommand(const CommandLine& command, RunArchive& archive);

}  // namespace torvik
