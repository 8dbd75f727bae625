#include "core/archive/ArchiveExports.h"

#include "core/archive/CsvExport.h"
#include "core/archive/StorePageReads.h"
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
  ArchiveResult<HtmlReportInput> input = ReadStorePage(archive, filter, baseline);
  if (!input.Ok()) return input.Status();
  input.Value().made = made;
  input.Value().store = archive.ComparedLabel();
  input.Value().scope = FilterText(filter);
  return Written(path, HtmlReport(input.Value()));
}

ArchiveStatus ExportSeriesPage(RunArchive& archive, const std::vector<int64_t>& ticked,
                               std::optional<int64_t> baselineId, const QString& path, const QDateTime& made) {
  const ArchiveResult<std::vector<std::vector<StoredRun>>> series = archive.Readable().SeriesOf(ticked);
  if (!series.Ok()) return series.Status();
  return Written(path, HtmlReportOfSeries(series.Value(), baselineId, archive.ComparedLabel(), made));
}

}  // namespace torvik
