#include "core/archive/SheetParser.h"

#include <QCryptographicHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <optional>

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

std::optional<StoredRun> ParseBlock(const QStringList& lines, const QDateTime& importedAt) {
  StoredRun run;
  run.origin = kOriginSheet;
  std::optional<QString> date, bench;
  std::optional<int64_t> total;
  QStringList caches;
  int diskLines = 0;
  static constexpr Test writes[3] = {Test::Write1, Test::Write2, Test::Write3};
  static constexpr Test reads[3] = {Test::Read1, Test::Read2, Test::Read3};
  for (const QString& line : lines) {
    const QString value = ValueOf(line);
    if (line.startsWith(QLatin1String(sheet::kDate))) {
      date = value;
    } else if (line.startsWith(QLatin1String(sheet::kYourName))) {
      run.userName = value;
    } else if (line.startsWith(QLatin1String(sheet::kPcName))) {
      run.pcName = value;
    } else if (line.startsWith(QLatin1String(sheet::kBenchNo))) {
      bench = value;
    } else if (line.startsWith(QLatin1String(sheet::kUseOs))) {
      run.os = value;
    } else if (line.startsWith(QLatin1String(sheet::kCpu))) {
      run.processor = value;
    } else if (line.startsWith(QLatin1String("     On Chip L"))) {
      caches << line.trimmed();
    } else if (line.startsWith(QLatin1String(sheet::kHddInfo))) {
      run.testDirectory = value.section(QStringLiteral(" => "), 0, 0);
    } else if (line.startsWith(QLatin1String(sheet::kMemoryInfo))) {
      run.memory = value;
    } else if (line.startsWith(QLatin1String(sheet::kDisplayDev))) {
      run.display = value;
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
  // The total is the sum of every time measured. The sheet shows them all
  // except disk passes whose other half never ran (writes without reads),
  // so with both disk lines it is exactly the sum shown, never below it.
  int64_t shown = 0;
  for (const StoredTest& test : run.tests) shown += test.tenths;
  if (shown > *total || (diskLines == 2 && shown != *total)) return std::nullopt;
  run.started = *date;
  run.sortTime = SheetDate(*date).value_or(importedAt).toSecsSinceEpoch();
  run.stopped = *bench == u"Bench Stop";
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
  if (line.endsWith('\r')) line.chop(1);
  // The header and footer are ASCII: found before any decoding.
  if (line == sheet::kHeader) {
    if (block_) ++sheet_.unreadable;  // the previous block never closed
    block_ = std::vector<QByteArray>{line};
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
  if (auto run = ParseBlock(lines.mid(1, lines.size() - 2), importedAt_)) {
    // Blocks alike to the letter (repetitions whose times agree, written in
    // one second) are told apart by their place among their likes.
    const QString hash = BlockHash(lines);
    run->sheetKey = hash + QStringLiteral("#%1").arg(++seen_[hash]);
    sheet_.runs.push_back(std::move(*run));
  } else {
    ++sheet_.unreadable;
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
