#include "core/archive/ArchiveExports.h"

#include "core/archive/CsvExport.h"
#include "core/page/ReportContents.h"
#include "core/report/OutputFile.h"
#include "core/store/ResultStore.h"

namespace torvik {
namespace {

ArchiveStatus Written(const QString& path, const QByteArray& bytes) {
  const QString error = WriteOutput(path, bytes);
  return error.isEmpty() ? ArchiveStatus() : ArchiveStatus::Failure(FailureKind::File, error);
}

}  // namespace

ArchiveStatus ExportCsv(RunArchive& archive, const std::vector<int64_t>& ids, const QString& path) {
  const ArchiveResult<std::vector<StoredRun>> runs = archive.Readable().RunsWithTests(ids);
  if (!runs.Ok()) return runs.Status();
  return Written(path, CsvOfRuns(runs.Value()));
}

ArchiveStatus ExportStorePage(RunArchive& archive, const RunFilter& filter, const QString& baseline,
                              const QString& path, const QDateTime& made) {
  ResultStore& store = archive.Readable();
  const ArchiveResult<std::vector<StoredRun>> runs = store.RunsWithTests(filter, kMostTrendRuns);
  if (!runs.Ok()) return runs.Status();
  ArchiveResult<std::vector<std::vector<StoredRun>>> latest = store.LatestSeries(filter, kMostRankedMachines);
  if (!latest.Ok()) return latest.Status();
  HtmlReportInput input = ReportOfStore(runs.Value(), std::move(latest).Value(), baseline);
  input.made = made;
  input.store = archive.ComparedShown();
  input.scope = FilterText(filter);
  return Written(path, HtmlReport(input));
}

ArchiveStatus ExportSeriesPage(RunArchive& archive, const std::vector<int64_t>& ticked,
                               std::optional<int64_t> baselineId, const QString& path, const QDateTime& made) {
  const ArchiveResult<std::vector<std::vector<StoredRun>>> series = archive.Readable().SeriesOf(ticked);
  if (!series.Ok()) return series.Status();
  return Written(path, HtmlReportOfSeries(series.Value(), baselineId, archive.ComparedShown(), made));
}

}  // namespace torvik
