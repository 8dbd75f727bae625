#include "core/report/ReportBuilder.h"

#include <QRegularExpression>
#include <cerrno>
#include <cmath>

#include "core/base/PrintableText.h"
#include "core/base/Version.h"
#include "core/report/SheetLabels.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

QString WithSeparator(QString text, QChar decimalPoint) {
  text.replace(u'.', decimalPoint);
  return text;
}

// Seconds (fixed point, four decimals) of the three slots together.
int64_t SumRaw(const ResultTable& t, Test a, Test b, Test c) {
  return (t[a].elapsed.Raw() + t[b].elapsed.Raw() + t[c].elapsed.Raw()) / 10;
}

}  // namespace

std::map<ResultLabel, QString> CaptionsOf(const ResultTable& results, QChar decimalPoint) {
  std::map<ResultLabel, QString> captions;
  for (const TestEntry& entry : kTests) {
    const TimingSlot& slot = results[entry.test];
    if (slot.HasResult() || !slot.elapsed.IsZero()) {
      captions[LabelOf(entry.test)] = FormatSeconds(slot.elapsed, decimalPoint);
    }
  }
  captions[ResultLabel::KAll] = FormatSeconds(results.Total(), decimalPoint);
  return captions;
}

QString GeneralForm(double value, QChar decimalPoint) {
  if (value == 0) return QStringLiteral("0");
  const double magnitude = std::fabs(value);
  if (magnitude < 1e-5 || magnitude >= 1e15) {
    // Mantissa of up to 15 digits, then E, the exponent's sign and digits.
    QString text = QString::asprintf("%.14E", value);
    const qsizetype e = text.indexOf(u'E');
    QString mantissa = text.left(e);
    while (mantissa.endsWith(u'0')) mantissa.chop(1);
    if (mantissa.endsWith(u'.')) mantissa.chop(1);
    const int exponent = text.mid(e + 1).toInt();
    return WithSeparator(mantissa, decimalPoint) + u'E' + (exponent < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
           QString::number(std::abs(exponent));
  }
  const int integerDigits = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
  const int decimals = std::max(0, 15 - integerDigits);
  QString text = QString::asprintf("%.*f", decimals, value);
  if (text.contains(u'.')) {
    while (text.endsWith(u'0')) text.chop(1);
    if (text.endsWith(u'.')) text.chop(1);
  }
  return WithSeparator(text, decimalPoint);
}

QString FixedTwo(double value, int width, QChar decimalPoint) {
  return WithSeparator(QString::asprintf("%*.2f", width, value), decimalPoint);
}

ReportDateFormats ReportDateFormatsOf(const QLocale& locale) {
  // The locale's long time format without its time zone.
  static const QRegularExpression zone(QStringLiteral("\\s*t+"));
  QString time = locale.timeFormat(QLocale::LongFormat);
  time.remove(zone);
  return {locale.dateFormat(QLocale::ShortFormat), time.trimmed()};
}

QString ReportDate(const QDateTime& now, const QLocale& locale) {
  const ReportDateFormats formats = ReportDateFormatsOf(locale);
  const QString date = locale.toString(now.date(), formats.date);
  if (now.time() == QTime(0, 0, 0)) return date;
  return date + u' ' + locale.toString(now.time(), formats.time);
}

QString ProcessorTypeSuffix(int32_t type) {
  switch (type) {
    case 0: return QStringLiteral(" (Original OEM Processor)");
    case 1: return QStringLiteral(" (OverDrive(r) Processor)");
    case 2: return QStringLiteral(" (Dual Processor)");
  }
  return {};
}

QString OneLine(QString text) { return PrintableText(text); }

QStringList BuildReport(const RunRecord& run, const SheetInputs& sheet) {
  const QChar point = sheet.locale.decimalPoint().isEmpty() ? QChar(u'.') : sheet.locale.decimalPoint().front();
  const ResultTable& t = run.results;
  const MachineFacts& m = run.machine;
  const ProcessorSummary& cpu = m.processor;
  auto caption = [&](ResultLabel label) {
    auto it = sheet.captions.find(label);
    return it == sheet.captions.end() ? QString() : it->second;
  };
  auto has = [&](Test test) { return !t[test].elapsed.IsZero(); };
  const int64_t swRaw = SumRaw(t, Test::Write1, Test::Write2, Test::Write3);
  const int64_t srRaw = SumRaw(t, Test::Read1, Test::Read2, Test::Read3);
  const double sw = swRaw / 10'000.0;
  const double sr = srRaw / 10'000.0;
  auto average = [&](int64_t raw) { return std::llround(raw / 3.0) / 10'000.0; };  // kept to four decimals

  QStringList lines;
  lines << QLatin1String(sheet::kHeader);
  lines << QLatin1String(sheet::kDate) + ReportDate(sheet.now, sheet.locale);
  lines << QLatin1String(sheet::kYourName) + OneLine(run.userName);
  lines << QLatin1String(sheet::kPcName) + OneLine(run.pcName);
  lines << QLatin1String(sheet::kBenchNo) +
               (sheet.stopFlag != 0 ? QStringLiteral("Bench Stop") : QString::number(BenchNumber(t.Total())));
  lines << QLatin1String(sheet::kUseOs) + OneLine(m.os);
  lines << QLatin1String(sheet::kCpu) + OneLine(cpu.vendor) + u' ' + OneLine(cpu.name) + u' ' +
               FixedTwo(cpu.clockMhz, 4, point) + QStringLiteral("MHz");
  if (cpu.l1Caches) {
    lines << QStringLiteral("     On Chip L1  : Data Cache %1KB / Inst Cache %2KB")
                 .arg(cpu.l1DataKb)
                 .arg(cpu.l1InstructionKb);
  }
  if (cpu.l2Cache) {
    lines << QStringLiteral("     On Chip L2  : Size %1KB / LineSize %2byte / Associativity %3Way")
                 .arg(cpu.l2Kb)
                 .arg(cpu.l2LineBytes)
                 .arg(cpu.l2Ways);
  }
  lines << QStringLiteral("     Stepping    : %1.%2.%3").arg(cpu.family).arg(cpu.model).arg(cpu.stepping) +
               ProcessorTypeSuffix(cpu.type);
  QString hdd = QLatin1String(sheet::kHddInfo) + OneLine(m.testDirectory.path);
  if (m.testDirectory.queried) {
    hdd += QStringLiteral(" => Free %1MB / Total %2MB")
               .arg(std::llround(m.testDirectory.freeBytes / 1'048'576.0))
               .arg(std::llround(m.testDirectory.totalBytes / 1'048'576.0));
  }
  lines << hdd;
  if (swRaw != 0) {
    lines << QLatin1String(sheet::kWriteAverage) + FixedTwo(average(swRaw), 6, point) + QStringLiteral("sec => ") +
                 GeneralForm(450.0 / sw, point).left(5) + QStringLiteral("MB/sec");
  }
  if (srRaw != 0) {
    lines << QLatin1String(sheet::kReadAverage) + FixedTwo(average(srRaw), 6, point) + QStringLiteral("sec => ") +
                 GeneralForm(450.0 / sr, point).left(5) + QStringLiteral("MB/sec");
  }
  lines << QLatin1String(sheet::kMemoryInfo) + QStringLiteral("Free:%1MB  Total:%2MB")
                                                   .arg(MemoryMegabytes(m.freeMemory))
                                                   .arg(MemoryMegabytes(m.totalMemory));
  if (has(Test::Memory)) {
    const double tenths = t[Test::Memory].elapsed.Raw() / static_cast<double>(TimeValue::kScale);
    lines << QStringLiteral("   Memory I-O    : ") + GeneralForm(20480.0 / tenths, point).left(6) +
                 QStringLiteral("MB/sec Copy Average");
  }
  lines << QLatin1String(sheet::kDisplayDev) + OneLine(m.display) + ScreenText(m);
  // The tests with a line of their own, in the catalogue's order; the mix
  // test's line comes after the disk lines.
  for (const TestEntry& entry : kTests) {
    if (entry.sheetLine != nullptr && entry.test != Test::Mix && has(entry.test)) {
      lines << QLatin1String(entry.sheetLine) + caption(LabelOf(entry.test));
    }
  }
  if (swRaw != 0 && srRaw != 0) {
    lines << QStringLiteral("   150MB x 3Loop :    40MB  /    50MB  /    60MB");
    lines << QLatin1String(sheet::kHddWrite) + caption(ResultLabel::KWrite1) + QStringLiteral(" / ") +
                 caption(ResultLabel::KWrite2) + QStringLiteral(" / ") + caption(ResultLabel::KWrite3) +
                 QStringLiteral(" => ") + GeneralForm(sw, point) + QStringLiteral("sec");
    lines << QLatin1String(sheet::kHddRead) + caption(ResultLabel::KRead1) + QStringLiteral(" / ") +
                 caption(ResultLabel::KRead2) + QStringLiteral(" / ") + caption(ResultLabel::KRead3) +
                 QStringLiteral(" => ") + GeneralForm(sr, point) + QStringLiteral("sec");
  }
  if (has(Test::Mix)) lines << QLatin1String(EntryOf(Test::Mix).sheetLine) + caption(ResultLabel::KMix);
  lines << QLatin1String(sheet::kSumTotal) + caption(ResultLabel::KAll);
  lines << QLatin1String(sheet::kFooterStart) + QLatin1String(kVersionText) + QLatin1String(sheet::kFooterEnd);
  lines << QString();
  return lines;
}

}  // namespace torvik
