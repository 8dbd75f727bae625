#include "core/archive/ArchiveWrites.h"

#include <algorithm>

#include "core/store/ResultStore.h"
#include "core/store/StoreSync.h"

namespace torvik {

ArchiveResult<OpenedStore> OpenWrites(RunArchive& archive) { return archive.Compared().Open(); }

ArchiveResult<ImportSummary> ImportSheets(RunArchive& archive, const QStringList& files, const QDateTime& importedAt) {
  return ImportSheetFiles(archive.Compared(), files, importedAt);
}

ArchiveResult<DeletionPlan> PlanDeletion(RunArchive& archive, const std::vector<int64_t>& ticked) {
  ResultStore& store = archive.Compared();
  DeletionPlan plan;
  plan.store = archive.HasSharedStore() ? archive.ComparedShown() : QString();
  const ArchiveResult<bool> allowed = store.MayDelete();
  if (!allowed.Ok()) return allowed.Status();
  plan.allowed = allowed.Value();
  if (!plan.allowed) return plan;
  const ArchiveResult<std::vector<std::vector<StoredRun>>> series = store.SeriesOf(ticked);
  if (!series.Ok()) return series.Status();
  for (const std::vector<StoredRun>& one : series.Value()) {
    for (const StoredRun& run : one) {
      if (std::find(plan.ids.begin(), plan.ids.end(), run.id) == plan.ids.end()) plan.ids.push_back(run.id);
      const QString machine = run.MachineName().isEmpty() ? QStringLiteral("-") : run.MachineName();
      if (!plan.machines.contains(machine)) plan.machines << machine;
    }
  }
  return plan;
}

ArchiveStatus DeleteRuns(RunArchive& archive, const std::vector<int64_t>& ids) {
  return archive.Compared().Delete(ids);
}

SyncReport SyncStores(RunArchive& archive) {
  SyncReport report;
  if (!archive.HasLocalStore()) return report;
  report.sync = archive.SendWaiting();
  report.setAside = archive.Local().SetAsideRuns().ValueOr({});
  return report;
}

ArchiveResult<int> TryStore(RunArchive& archive, const QString& url) {
  ResultStore store(url, archive.ClientName());
  return store.RunCount();
}

}  // namespace torvik
