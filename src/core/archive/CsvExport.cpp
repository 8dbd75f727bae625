#include "core/archive/CsvExport.h"

#include <QStringList>
#include <cmath>

#include "core/base/IsoDateTime.h"
#include "core/base/PrintableText.h"

namespace torvik {
namespace {

// RFC 4180 quoting; a text that a spreadsheet would take for a formula
// (=, +, -, @, a tab or a carriage return first) starts with an apostrophe,
// which spreadsheets hide and honour.
QString TextField(QString text) {
  text = PrintableText(text);  // as every store and document writes it
  static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
  if (!text.isEmpty() && kFormulaStarts.contains(text.front())) text.prepend(u'\'');
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
  return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

// A figure, or nothing (never "nan" or "inf").
QString Number(const std::optional<double>& value) {
  return value && std::isfinite(*value) ? QString::number(*value, 'g', 12) : QString();
}

// "1", "0", or "" where the store has no reading.
QString Flag(const std::optional<TestNoise>& noise, bool (TestNoise::*flag)() const) {
  return noise ? QString::number(((*noise).*flag)() ? 1 : 0) : QString();
}

// One date format: an imported sheet's date in ISO 8601 like a run's.
QString Started(const StoredRun& run) {
  if (run.origin == kOriginSheet) {
    if (const std::optional<QDateTime> date = SheetDate(run.started)) return IsoDateTimeWithOffset(*date);
  }
  return run.started;
}

}  // namespace

QByteArray CsvOfRuns(const std::vector<StoredRun>& runs) {
  QStringList lines = {
      QStringLiteral("run,started,group,origin,pc_name,user_name,processor,stopped,bench_no,"
                     "total_tenths,test,tenths,seconds,rate,unit,"
                     "series,started_at,host_name,shared_processor,clock_moved,others_core_percent,"
                     "iops,p50_us,p99_us,p999_us,engine")};
  for (const StoredRun& run : runs) {
    const QStringList fields = {QString::number(run.id),
                                TextField(Started(run)),
                                TextField(run.group),
                                TextField(run.origin),
                                TextField(run.pcName),
                                TextField(run.userName),
                                TextField(run.processor),
                                QString::number(run.stopped ? 1 : 0),
                                run.benchNo ? QString::number(*run.benchNo) : QString(),
                                QString::number(run.totalTenths)};
    for (const StoredTest& test : run.tests) {
      lines << (fields +
                QStringList{TextField(test.test), QString::number(test.tenths), Number(test.seconds), Number(test.rate),
                            TextField(test.unit), TextField(run.series), TextField(run.values.startedAt),
                            TextField(run.hostName), Flag(test.noise, &TestNoise::SharedProcessor),
                            Flag(test.noise, &TestNoise::ClockMoved),
                            Number(test.noise ? test.noise->OthersCorePercent() : std::nullopt), Number(test.iops),
                            Number(test.p50Us), Number(test.p99Us), Number(test.p999Us), TextField(test.engine)})
                   .join(u',');
    }
  }
  // UTF-8 with its byte order mark, so spreadsheets read Japanese names.
  return QByteArray("\xEF\xBB\xBF") + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

}  // namespace torvik
