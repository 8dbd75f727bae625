// The archive's exports, as jobs the window and the command line both call:
// runs as CSV, and the report page of a filter's runs (the command line) or
// of ticked series (the window), each written whole to a file through a
// temporary file and a rename, or not at all. A file that cannot be
// written is a failure of kind File with the reason. The archive's thread
// (the window's) or the command line's one thread.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "core/archive/RunArchive.h"
#include "core/records/ArchiveStatus.h"
#include "core/records/RunFilter.h"

namespace torvik {

// The runs `ids` (every run when empty), with their tests, as CSV at `path`.
ArchiveStatus ExportCsv(RunArchive& archive, const std::vector<int64_t>& ids, const QString& path);

// The report page of the runs of `filter` (the machines and their trends)
// and of the latest series of each machine (the rankings), against the
// machine named `baseline` (the first by name with precise figures when
// empty), at `path`.
ArchiveStatus ExportStorePage(RunArchive& archive, const RunFilter& filter, const QString& baseline,
                              const QString& path, const QDateTime& made);
// The report page of the ticked runs, each with its series, against the
// run `baselineId` when it is one of them, at `path`.
ArchiveStatus ExportSeriesPage(RunArchive& archive, const std::vector<int64_t>& ticked,
                               std::optional<int64_t> baselineId, const QString& path, const QDateTime& made);

}  // namespace torvik
