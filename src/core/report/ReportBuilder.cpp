#include "core/report/ReportBuilder.h"

#include <QRegularExpression>
#include <cerrno>
#include <cmath>

#include "core/run/RunState.h"
#include "core/report/SheetLabels.h"

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

int32_t BenchNumber(TimeValue total) {
  const int64_t n = std::llround(static_cast<double>(total.Raw()) / TimeValue::kScale);
  if (n <= 0) return 0;
  const uint64_t sum = static_cast<uint64_t>(n) * static_cast<uint64_t>(n + 1) / 2;
  return static_cast<int32_t>(static_cast<uint32_t>(sum));
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

int64_t MemoryMegabytes(int64_t bytes) { return bytes / 1'048'576 + 1; }

QString ReportDate(const QDateTime& now, const QLocale& locale) {
  const QString date = locale.toString(now.date(), QLocale::ShortFormat);
  if (now.time() == QTime(0, 0, 0)) return date;
  // The locale's long time format without its time zone.
  static const QRegularExpression zone(QStringLiteral("\\s*t+"));
  QString format = locale.timeFormat(QLocale::LongFormat);
  format.remove(zone);
  return date + u' ' + locale.toString(now.time(), format.trimmed());
}

QString ProcessorTypeSuffix(int32_t type) {
  switch (type) {
    case 0: return QStringLiteral(" (Original OEM Processor)");
    case 1: return QStringLiteral(" (OverDrive(r) Processor)");
    case 2: return QStringLiteral(" (Dual Processor)");
  }
  return {};
}

QString OneLine(QString text) {
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F || u == 0x85 || u == 0x2028 || u == 0x2029) c = u' ';
  }
  return text;
}

QStringList BuildReport(const ReportInputs& in) {
  const QChar point = in.locale.decimalPoint().isEmpty() ? QChar(u'.') : in.locale.decimalPoint().front();
  const ResultTable& t = in.results;
  auto caption = [&](ResultLabel label) {
    auto it = in.captions.find(label);
    return it == in.captions.end() ? QString() : it->second;
  };
  auto has = [&](Test test) { return !t[test].elapsed.IsZero(); };
  const int64_t swRaw = SumRaw(t, Test::Write1, Test::Write2, Test::Write3);
  const int64_t srRaw = SumRaw(t, Test::Read1, Test::Read2, Test::Read3);
  const double sw = swRaw / 10'000.0;
  const double sr = srRaw / 10'000.0;
  auto average = [&](int64_t raw) { return std::llround(raw / 3.0) / 10'000.0; };  // kept to four decimals

  QStringList lines;
  lines << QLatin1String(sheet::kHeader);
  lines << QLatin1String(sheet::kDate) + ReportDate(in.now, in.locale);
  lines << QLatin1String(sheet::kYourName) + OneLine(in.userName);
  lines << QLatin1String(sheet::kPcName) + OneLine(in.pcName);
  lines << QLatin1String(sheet::kBenchNo) +
               (in.stopFlag != 0 ? QStringLiteral("Bench Stop") : QString::number(BenchNumber(t.Total())));
  lines << QLatin1String(sheet::kUseOs) + OneLine(in.osDescription);
  lines << QLatin1String(sheet::kCpu) + OneLine(in.vendorName) + u' ' + OneLine(in.cpuName) + u' ' +
               FixedTwo(in.speedMhz, 4, point) + QStringLiteral("MHz");
  if (in.l1CacheSupport) {
    lines
        << QStringLiteral("     On Chip L1  : Data Cache %1KB / Inst Cache %2KB").arg(in.l1DataSize).arg(in.l1InstSize);
  }
  if (in.l2CacheSupport) {
    lines << QStringLiteral("     On Chip L2  : Size %1KB / LineSize %2byte / Associativity %3Way")
                 .arg(in.l2Size)
                 .arg(in.l2LineSize)
                 .arg(in.l2Associativity);
  }
  lines << QStringLiteral("     Stepping    : %1.%2.%3").arg(in.family).arg(in.model).arg(in.stepping) +
               ProcessorTypeSuffix(in.processorType);
  QString hdd = QLatin1String(sheet::kHddInfo) + OneLine(in.drive);
  if (in.diskQueryOk) {
    hdd += QStringLiteral(" => Free %1MB / Total %2MB")
               .arg(std::llround(in.diskFree / 1'048'576.0))
               .arg(std::llround(in.diskTotal / 1'048'576.0));
  }
  lines << hdd;
  if (swRaw != 0) {
    lines << QStringLiteral("   Write Average : ") + FixedTwo(average(swRaw), 6, point) + QStringLiteral("sec => ") +
                 GeneralForm(450.0 / sw, point).left(5) + QStringLiteral("MB/sec");
  }
  if (srRaw != 0) {
    lines << QStringLiteral("   Read  Average : ") + FixedTwo(average(srRaw), 6, point) + QStringLiteral("sec => ") +
                 GeneralForm(450.0 / sr, point).left(5) + QStringLiteral("MB/sec");
  }
  lines << QLatin1String(sheet::kMemoryInfo) + QStringLiteral("Free:%1MB  Total:%2MB")
                                                   .arg(MemoryMegabytes(in.freePhysical))
                                                   .arg(MemoryMegabytes(in.totalPhysical));
  if (has(Test::Memory)) {
    const double tenths = t[Test::Memory].elapsed.Raw() / static_cast<double>(TimeValue::kScale);
    lines << QStringLiteral("   Memory I-O    : ") + GeneralForm(20480.0 / tenths, point).left(6) +
                 QStringLiteral("MB/sec Copy Average");
  }
  lines << QLatin1String(sheet::kDisplayDev) + OneLine(in.displayDescription) +
               QStringLiteral("(%1x%2 %3BitColor)").arg(in.screenWidth).arg(in.screenHeight).arg(in.screenDepth);
  for (const auto& [test, label] : sheet::kSingleTests) {
    if (has(test)) lines << QLatin1String(label) + caption(LabelOf(test));
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
  if (has(Test::Mix)) lines << QLatin1String(sheet::kMix) + caption(ResultLabel::KMix);
  lines << QLatin1String(sheet::kSumTotal) + caption(ResultLabel::KAll);
  lines << QLatin1String(sheet::kFooterStart) + OneLine(in.version) + QLatin1String(sheet::kFooterEnd);
  lines << QString();
  return lines;
}

}  // namespace torvik
