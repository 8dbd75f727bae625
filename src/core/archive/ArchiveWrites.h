// The archive's writes, as jobs the window and the command line call:
// importing result sheets, planning a deletion (what the ticked runs'
// series are, whose, where, and whether this role may) and deleting,
// sending what waits here to the shared store, and trying a shared store's
// URL (making or upgrading it is ArchiveFleet's). Each answers
// with its value, or the status of its failure. The archive's thread (the
// window's) or the command line's one thread.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "core/archive/RunArchive.h"
#include "core/archive/SheetImport.h"
#include "core/records/ArchiveStatus.h"
#include "core/records/OpenedStore.h"
#include "core/records/StoredRun.h"

namespace torvik {

// Opens the store writes go to (the shared store, else this PC's, made
// when missing), making or upgrading its schema where this role may.
ArchiveResult<OpenedStore> OpenWrites(RunArchive& archive);

// Imports every block of `files` into the store reads are answered from
// (made if this PC has none yet); the store's and the files' problems are
// in the summary.
ArchiveResult<ImportSummary> ImportSheets(RunArchive& archive, const QStringList& files, const QDateTime& importedAt);

// What deleting the ticked runs would delete: each with every repetition of
// its series, whose machines, from which store; or that this role may not
// (allowed false, nothing else read).
struct DeletionPlan {
  std::vector<int64_t> ids;
  QStringList machines;
  QString store;  // a shared store's location as shown; empty: this PC's
  bool allowed = false;
};
ArchiveResult<DeletionPlan> PlanDeletion(RunArchive& archive, const std::vector<int64_t>& ticked);
// Deletes the runs `ids` and their tests.
ArchiveStatus DeleteRuns(RunArchive& archive, const std::vector<int64_t>& ids);

// What a send of the runs waiting here did, and every run set aside so
// far (each with why), which goes no more on its own.
struct SyncReport {
  SyncResult sync;
  std::vector<StoredRun> setAside;
};
// Sends what waits here (nothing before this PC has a store).
SyncReport SyncStores(RunArchive& archive);

// How many runs the shared store at `url` holds, asked with a connection
// of its own.
ArchiveResult<int> TryStore(RunArchive& archive, const QString& url);

}  // namespace torvik
