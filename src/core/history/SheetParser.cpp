#include "core/history/SheetParser.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <optional>

#include "core/report/SheetLabels.h"
#include "core/results/TestCatalogue.h"

namespace torvik {
namespace {

// "  12.3sec" (the locale's separator may be a comma): whole tenths.
std::optional<int64_t> Tenths(const QString& shown) {
  static const QRegularExpression time(QStringLiteral("^\\s*(\\d+)[.,](\\d)sec$"));
  const QRegularExpressionMatch m = time.match(shown);
  if (!m.hasMatch()) return std::nullopt;
  return m.captured(1).toLongLong() * 10 + m.captured(2).toInt();
}

// The value after a line's label (every label is 19 characters).
QString ValueOf(const QString& line) { return line.mid(19); }

// The sheet writes the date in the writing machine's locale; the common
// forms are read, anything else orders by the import time.
std::optional<QDateTime> DateOf(const QString& text) {
  const QStringList formats = {
      "d MMM yyyy HH:mm:ss", "d MMM yyyy", "yyyy/MM/dd H:mm:ss", "yyyy/MM/dd", "yyyy/MM/dd HH:mm:ss",
      "dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy", "M/d/yy h:mm:ss AP",  "M/d/yy",     "yyyy-MM-dd HH:mm:ss"};
  for (const QString& format : formats) {
    const QDateTime date = QLocale::c().toDateTime(text.trimmed(), format);
    if (date.isValid()) return date;
  }
  return std::nullopt;
}

// "  1.2sec /   1.4sec /   1.5sec => 4.1sec": the three times of a disk line.
bool DiskLine(const QString& value, const Test (&passes)[3], std::vector<StoredTest>& tests) {
  const QStringList parts = value.section(QStringLiteral(" => "), 0, 0).split(QStringLiteral(" / "));
  if (parts.size() != 3) return false;
  for (int i = 0; i < 3; ++i) {
    const auto tenths = Tenths(parts[i]);
    if (!tenths) return false;
    tests.push_back(StoredTest{QLatin1String(EntryOf(passes[i]).id), *tenths, std::nullopt, std::nullopt, QString()});
  }
  return true;
}

std::optional<StoredRun> ParseBlock(const QStringList& lines, const QDateTime& importedAt) {
  StoredRun run;
  run.origin = kOriginSheet;
  std::optional<QString> date, bench;
  std::optional<int64_t> total;
  QStringList caches;
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
    } else if (line.startsWith(QLatin1String(sheet::kHddRead))) {
      if (!DiskLine(value, reads, run.tests)) return std::nullopt;
    } else {
      std::optional<Test> single;
      for (const TestEntry& entry : kTests) {
        if (entry.sheetLine != nullptr && line.startsWith(QLatin1String(entry.sheetLine))) single = entry.test;
      }
      if (!single) continue;
      const auto tenths = Tenths(value);
      if (!tenths) return std::nullopt;
      run.tests.push_back(
          StoredTest{QLatin1String(EntryOf(*single).id), *tenths, std::nullopt, std::nullopt, QString()});
    }
  }
  if (!date || !bench || !total) return std::nullopt;
  run.started = *date;
  run.sortTime = DateOf(*date).value_or(importedAt).toSecsSinceEpoch();
  run.stopped = *bench == u"Bench Stop";
  if (!run.stopped) {
    bool number = false;
    run.benchNo = bench->toInt(&number);
    if (!number) return std::nullopt;
  }
  run.totalTenths = *total;
  run.caches = caches.join(QStringLiteral(", "));
  run.group = GroupOfTests(run.tests);
  run.sheetKey = *date + u'|' + *bench + u'|' + run.pcName;
  return run;
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

ParsedSheet ParseSheet(const QByteArray& bytes, const QDateTime& importedAt) {
  ParsedSheet sheet;
  QStringList lines = DecodeSheet(bytes).split(u'\n');
  for (QString& line : lines) {
    if (line.endsWith(u'\r')) line.chop(1);
  }
  std::optional<QStringList> block;
  for (const QString& line : lines) {
    if (line == QLatin1String(sheet::kHeader)) {
      if (block) ++sheet.unreadable;  // the previous block never closed
      block = QStringList();
      continue;
    }
    if (!block) continue;  // anything between blocks
    if (line.startsWith(QLatin1String(sheet::kFooterStart)) && line.endsWith(QLatin1String(sheet::kFooterEnd))) {
      if (auto run = ParseBlock(*block, importedAt)) {
        sheet.runs.push_back(std::move(*run));
      } else {
        ++sheet.unreadable;
      }
      block.reset();
      continue;
    }
    block->append(line);
  }
  if (block) ++sheet.unreadable;  // cut off
  return sheet;
}

}  // namespace torvik
