// Reading result sheets back: every block that the Report button writes
// (this program's or another machine's, CR LF or LF line ends, UTF-8 or the
// old Japanese code page Shift_JIS) becomes an imported run with the times
// its lines show. A block that does not parse (a missing date, bench number
// or total, a time that is no time or beyond any run, a bench number its
// total does not give, no closing line) is skipped and counted; one whose
// Sum Total is not the sum of its times (RefusedTotal) is skipped, counted
// and named. Every text it keeps is PrintableText. A date that names no
// moment (29 February of a common year, 24:00, a leap second, a local time
// the clocks skipped) is no date: such a block is kept undated
// (StoredRun::Undated), at time 0, never at the moment of the import.
// Pure; any thread.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/records/StoredRun.h"

namespace torvik {

// A block refused because its Sum Total is not the sum of its times (a
// damaged or forged line): where it begins, its date line, and both sums in
// tenths. It counts among the unreadable blocks too.
struct RefusedTotal {
  int64_t line = 0;  // of its header, from 1
  QString date;      // its date line's text (its first 64 characters)
  int64_t totalTenths = 0, sumTenths = 0;
};

// At most this many refused blocks are listed a sheet (a forged sheet may
// hold thousands); the others are counted.
inline constexpr size_t kMostListedRefusals = 20;

struct ParsedSheet {
  std::vector<StoredRun> runs;
  int unreadable = 0;
  std::vector<RefusedTotal> refused{};  // the first kMostListedRefusals
  int refusedBeyond = 0;                // refused blocks beyond those
};

// The longest time a sheet's line may give, in seconds (over three years).
inline constexpr int64_t kMaxSheetSeconds = 100'000'000;

// Reads a sheet line by line, as it streams in: every block is decoded on
// its own (UTF-8 where valid, else Shift_JIS), checked (every time a time
// the program shows, the bench number the one its total gives) and keyed by
// a hash of its whole text and its place among blocks alike to the letter.
// `importedAt` is kept for the callers' sake only: an undated block is no
// newer than any other.
class SheetReader {
 public:
  explicit SheetReader(const QDateTime& importedAt);
  // One line, without its line feed (a trailing carriage return is dropped).
  void AddLine(QByteArray line);
  // The runs of the blocks complete so far, taken out of the reader (so a
  // long sheet goes to the store in parts, never whole in memory).
  std::vector<StoredRun> TakeRuns() { return std::exchange(sheet_.runs, {}); }
  size_t RunsReady() const { return sheet_.runs.size(); }
  // The runs of every complete block not taken yet; a block cut off counts
  // as unreadable.
  ParsedSheet Finish();

 private:
  void CloseBlock();

  QDateTime importedAt_;
  std::optional<std::vector<QByteArray>> block_;  // the raw lines from the header on
  std::map<QString, int> seen_;                   // blocks read so far, by the hash of their text
  ParsedSheet sheet_;
  int64_t line_ = 0;       // lines read so far
  int64_t blockLine_ = 0;  // the open block's header line
};

// A whole sheet in memory, through SheetReader.
ParsedSheet ParseSheet(const QByteArray& bytes, const QDateTime& importedAt);

// The sheet's text: UTF-8 when the bytes are valid UTF-8, else Shift_JIS.
QString DecodeSheet(const QByteArray& bytes);

}  // namespace torvik
