#include "core/archive/SheetParser.h"

#include <QCryptographicHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <optional>

#include "core/base/PrintableText.h"
#include "core/records/SheetDate.h"
#include "core/report/SheetLabels.h"
#include "core/results/TestCatalogue.h"

namespace torvik {
namespace {

// "  12.3sec" (the locale's separator may be a comma): whole tenths, at
// most kMaxSheetSeconds; a longer time is no time the program shows.
std::optional<int64_t> Tenths(const QString& shown) {
  static const QRegularExpression time(QStringLiteral("^\\s*(\\d{1,9})[.,](\\d)sec$"));
  const QRegularExpressionMatch m = time.match(shown);
  if (!m.hasMatch()) return std::nullopt;
  const int64_t seconds = m.captured(1).toLongLong();
  if (seconds >= kMaxSheetSeconds) return std::nullopt;
  return seconds * 10 + m.captured(2).toInt();
}

// The value after a line's label (every label is 19 characters).
QString ValueOf(const QString& line) { return line.mid(19); }

}  // namespace

// The sheet writes the date in the writing machine's locale; the common
// forms are read, anything else orders by the import time.

namespace {

// "  1.2sec /   1.4sec /   1.5sec => 4.1sec": the three times of a disk line.
bool DiskLine(const QString& value, const Test (&passes)[3], std::vector<StoredTest>& tests) {
  const QStringList parts = value.section(QStringLiteral(" => "), 0, 0).split(QStringLiteral(" / "));
  if (parts.size() != 3) return false;
  for (int i = 0; i < 3; ++i) {
    const auto tenths = Tenths(parts[i]);
    if (!tenths) return false;
    tests.push_back(
        StoredTest{QLatin1String(EntryOf(passes[i]).id), *tenths, std::nullopt, std::nullopt, QString(), std::nullopt});
  }
  return true;
}

// A disk line's average ("   1.73sec => 86.70MB/sec", the separator the
// locale's) as tenths of the three passes together, or none.
std::optional<int64_t> AverageTenths(const QString& value) {
  static const QRegularExpression average(QStringLiteral("^\\s*(\\d{1,9})[.,](\\d\\d)sec"));
  const QRegularExpressionMatch m = average.match(value);
  if (!m.hasMatch()) return std::nullopt;
  // Hundredths of one pass's average, times three passes, in tenths: the
  // sheet rounds the average to its hundredths, a third of a tenth at most.
  const int64_t hundredths = m.captured(1).toLongLong() * 100 + m.captured(2).toInt();
  return (hundredths * 3 + 5) / 10;
}

std::optional<StoredRun> ParseBlock(const QStringList& lines, std::optional<RefusedTotal>& refused) {
  StoredRun run;
  run.origin = kOriginSheet;
  std::optional<QString> date, bench;
  std::optional<int64_t> total;
  QStringList caches;
  int diskLines = 0;
  std::optional<int64_t> writeAverage, readAverage;
  static constexpr Test writes[3] = {Test::Write1, Test::Write2, Test::Write3};
  static constexpr Test reads[3] = {Test::Read1, Test::Read2, Test::Read3};
  for (const QString& line : lines) {
    const QString value = ValueOf(line);
    if (line.startsWith(QLatin1String(sheet::kDate))) {
      date = value;
    } else if (line.startsWith(QLatin1String(sheet::kYourName))) {
      run.userName = PrintableText(value);
    } else if (line.startsWith(QLatin1String(sheet::kPcName))) {
      run.pcName = PrintableText(value);
    } else if (line.startsWith(QLatin1String(sheet::kWriteAverage))) {
      writeAverage = AverageTenths(value);
    } else if (line.startsWith(QLatin1String(sheet::kReadAverage))) {
      readAverage = AverageTenths(value);
    } else if (line.startsWith(QLatin1String(sheet::kBenchNo))) {
      bench = value;
    } else if (line.startsWith(QLatin1String(sheet::kUseOs))) {
      run.os = PrintableText(value);
    } else if (line.startsWith(QLatin1String(sheet::kCpu))) {
      run.processor = PrintableText(value);
    } else if (line.startsWith(QLatin1String("     On Chip L"))) {
      caches << PrintableText(line.trimmed());
    } else if (line.startsWith(QLatin1String(sheet::kHddInfo))) {
      run.testDirectory = PrintableText(value.section(QStringLiteral(" => "), 0, 0));
    } else if (line.startsWith(QLatin1String(sheet::kMemoryInfo))) {
      run.memory = PrintableText(value);
    } else if (line.startsWith(QLatin1String(sheet::kDisplayDev))) {
      run.display = PrintableText(value);
    } else if (line.startsWith(QLatin1String(sheet::kSumTotal))) {
      total = Tenths(value);
      if (!total) return std::nullopt;
    } else if (line.startsWith(QLatin1String(sheet::kHddWrite))) {
      if (!DiskLine(value, writes, run.tests)) return std::nullopt;
      ++diskLines;
    } else if (line.startsWith(QLatin1String(sheet::kHddRead))) {
      if (!DiskLine(value, reads, run.tests)) return std::nullopt;
      ++diskLines;
    } else {
      std::optional<Test> single;
      for (const TestEntry& entry : kTests) {
        if (entry.sheetLine != nullptr && line.startsWith(QLatin1String(entry.sheetLine))) single = entry.test;
      }
      if (!single) continue;
      const auto tenths = Tenths(value);
      if (!tenths) return std::nullopt;
      run.tests.push_back(
          StoredTest{QLatin1String(EntryOf(*single).id), *tenths, std::nullopt, std::nullopt, QString(), std::nullopt});
    }
  }
  if (!date || !bench || !total) return std::nullopt;
  run.stopped = *bench == u"Bench Stop";
  // The Sum Total is the running total: the sum of every time measured,
  // each a whole tenth, so the sheet's tenths add up to it exactly. The
  // sheet leaves out the disk lines when either half has no time (writes
  // whose reads failed): then the halves' averages stand in for them, to
  // the tenth their hundredths give. A stopped group may show the reads of
  // the disk pass it was stopped in, which the total never took: its total
  // lies between its other times and everything shown.
  const auto isDisk = [](const QString& id) {
    for (const Test* passes : {writes, reads}) {
      for (int i = 0; i < 3; ++i) {
        if (id == QLatin1String(EntryOf(passes[i]).id)) return true;
      }
    }
    return false;
  };
  int64_t shown = 0, disk = 0;
  for (const StoredTest& test : run.tests) {
    shown += test.tenths;
    if (isDisk(test.test)) disk += test.tenths;
  }
  int64_t tolerance = 0;
  if (diskLines == 0) {
    for (const std::optional<int64_t>& average : {writeAverage, readAverage}) {
      if (average) shown += *average, disk += *average, tolerance = 1;
    }
  }
  const bool adds = run.stopped ? *total >= shown - disk - tolerance && *total <= shown + tolerance
                                : *total >= shown - tolerance && *total <= shown + tolerance;
  if (!adds) {
    refused = RefusedTotal{.date = PrintableText(date->trimmed().left(64)), .totalTenths = *total, .sumTenths = shown};
    return std::nullopt;
  }
  run.started = PrintableText(*date);
  // A date that names no moment leaves the block undated (no started_at):
  // at time 0, it is never the newest.
  const std::optional<QDateTime> when = SheetDate(run.started);  // as ValuesFromText reads it below
  run.sortTime = when ? when->toSecsSinceEpoch() : 0;
  if (!run.stopped) {
    // The bench number follows from the total: any other is not the
    // program's (a forged or damaged line).
    bool number = false;
    run.benchNo = bench->toInt(&number);
    if (!number || *run.benchNo != BenchNumber(TimeValue::FromTenths(*total))) return std::nullopt;
  }
  run.totalTenths = *total;
  run.caches = caches.join(QStringLiteral(", "));
  run.group = GroupOfTests(run.tests);
  // A sheet has its facts as text only: their values are read from it.
  run.values = ValuesFromText(run.Texts());
  return run;
}

// A block's identity: a hash of its whole text, so two runs alike to the
// second and the bench number are two blocks, and the same sheet read
// again gives the same keys.
QString BlockHash(const QStringList& lines) {
  return QStringLiteral("sha256:") +
         QString::fromLatin1(QCryptographicHash::hash(lines.join(u'\n').toUtf8(), QCryptographicHash::Sha256).toHex());
}

}  // namespace

QString DecodeSheet(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  QStringDecoder shiftJis("Shift_JIS");
  if (shiftJis.isValid()) return shiftJis.decode(bytes);
  return QString::fromLatin1(bytes);
}

SheetReader::SheetReader(const QDateTime& importedAt) : importedAt_(importedAt) {}

void SheetReader::AddLine(QByteArray line) {
  ++line_;
  if (line.endsWith('\r')) line.chop(1);
  // The header and footer are ASCII: found before any decoding.
  if (line == sheet::kHeader) {
    if (block_) ++sheet_.unreadable;  // the previous block never closed
    block_ = std::vector<QByteArray>{line};
    blockLine_ = line_;
    return;
  }
  if (!block_) return;  // anything between blocks
  block_->push_back(line);
  if (line.startsWith(sheet::kFooterStart) && line.endsWith(sheet::kFooterEnd)) CloseBlock();
}

void SheetReader::CloseBlock() {
  QByteArray bytes;
  for (const QByteArray& line : *block_) bytes += line + '\n';
  block_.reset();
  bytes.chop(1);
  // Each block in its own encoding: a sheet begun in Shift_JIS and
  // continued in UTF-8 reads right in both parts.
  const QStringList lines = DecodeSheet(bytes).split(u'\n');
  std::optional<RefusedTotal> refused;
  if (auto run = ParseBlock(lines.mid(1, lines.size() - 2), refused)) {
    // Blocks alike to the letter (repetitions whose times agree, written in
    // one second) are told apart by their place among their likes.
    const QString hash = BlockHash(lines);
    run->sheetKey = hash + QStringLiteral("#%1").arg(++seen_[hash]);
    sheet_.runs.push_back(std::move(*run));
  } else {
    ++sheet_.unreadable;
    if (refused && sheet_.refused.size() < kMostListedRefusals) {
      refused->line = blockLine_;
      sheet_.refused.push_back(*std::move(refused));
    } else if (refused) {
      ++sheet_.refusedBeyond;
    }
  }
}

ParsedSheet SheetReader::Finish() {
  if (block_) {
    ++sheet_.unreadable;  // cut off
    block_.reset();
  }
  return std::move(sheet_);
}

ParsedSheet ParseSheet(const QByteArray& bytes, const QDateTime& importedAt) {
  SheetReader reader(importedAt);
  for (const QByteArray& line : bytes.split('\n')) reader.AddLine(line);
  return reader.Finish();
}

}  // namespace torvik
