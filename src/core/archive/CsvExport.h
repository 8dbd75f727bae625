// The runs as CSV for spreadsheets: one row per run and test, RFC 4180
// quoted, UTF-8 with its byte order mark, CR LF line ends; a text that a
// spreadsheet would take for a formula starts with an apostrophe; an
// imported sheet's date in ISO 8601 like a run's. The columns never change
// with the language. Pure; any thread.
#pragma once

#include <QByteArray>
#include <vector>

#include "core/records/StoredRun.h"

namespace torvik {

// `runs` with their tests, in their order (a run without tests gives no row).
QByteArray CsvOfRuns(const std::vector<StoredRun>& runs);

}  // namespace torvik
