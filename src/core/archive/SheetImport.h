// Importing result sheets into the results store, for the comparison
// window's button and the command line's --import alike. Each file must be
// a regular file (a FIFO or a device is refused at once, never waited on)
// of at most kMaxSheetBytes, with no line longer than kMaxSheetLineBytes;
// it is read as a stream, block by block (SheetReader), and kept 250 blocks
// at a time, each part in a transaction of its own, so that a long sheet
// neither lies whole in memory nor holds the store from the runs that
// finish meanwhile; a store that fails keeps the parts before (imported
// again, they count as there already). GUI thread (or the
// command line's one thread, or the window's import worker with a store of
// its own).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/records/StoredRun.h"

namespace torvik {

class ResultStore;

inline constexpr qint64 kMaxSheetBytes = qint64{64} * 1024 * 1024;
inline constexpr qint64 kMaxSheetLineBytes = 64 * 1024;

struct ImportSummary {
  int imported = 0;      // new runs kept
  int present = 0;       // blocks the store had already
  int unreadable = 0;    // blocks that did not parse, or were not kept
  QStringList problems;  // a file refused, or the store failing: what and why
  // Blocks refused because their total is not the sum of their times, each
  // named (among the unreadable; the import goes on).
  QStringList refused{};
};

// Imports every block of `files` into `store` (a block whose date names no
// moment is kept undated, StoredRun::Undated; one whose total is not the
// sum of its times is refused and named in `refused`).
ImportSummary ImportSheetFiles(ResultStore& store, const QStringList& files, const QDateTime& importedAt);

// "%1 件を読み込みました。%2 件は記録済みです。%3 件は読み込めませんでした。",
// then each refused block and each problem on a line of its own.
QString ImportMessage(const ImportSummary& summary);

}  // namespace torvik
