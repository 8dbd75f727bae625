// Reading result sheets back: every block that the Report button writes
// (this program's or another machine's, CR LF or LF line ends, UTF-8 or the
// old Japanese code page Shift_JIS) becomes an imported run with the times
// its lines show. A block that does not parse (a missing date, bench number
// or total, a time that is no time, no closing line) is skipped and counted.
// Pure; any thread.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <vector>

#include "core/history/StoredRun.h"

namespace torvik {

struct ParsedSheet {
  std::vector<StoredRun> runs;
  int unreadable = 0;
};

// `importedAt` orders blocks whose date cannot be read.
ParsedSheet ParseSheet(const QByteArray& bytes, const QDateTime& importedAt);

// The sheet's text: UTF-8 when the bytes are valid UTF-8, else Shift_JIS.
QString DecodeSheet(const QByteArray& bytes);

}  // namespace torvik
