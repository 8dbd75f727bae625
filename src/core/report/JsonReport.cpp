#include "core/report/JsonReport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

#include "core/results/PreciseFigures.h"

namespace torvik {
namespace {

QJsonValue OrNull(bool present, const QJsonValue& value) { return present ? value : QJsonValue(); }

QJsonObject Machine(const ReportInputs& in, const JsonMachine& machine) {
  QJsonObject caches{
      {"l1_data_kb", OrNull(in.l1CacheSupport, in.l1DataSize)},
      {"l1_instruction_kb", OrNull(in.l1CacheSupport, in.l1InstSize)},
      {"l2_kb", OrNull(in.l2CacheSupport, in.l2Size)},
      {"l2_line_bytes", OrNull(in.l2CacheSupport, in.l2LineSize)},
      {"l2_ways", OrNull(in.l2CacheSupport, in.l2Associativity)},
  };
  QJsonObject processor{
      {"vendor", in.vendorName}, {"name", in.cpuName},      {"clock_mhz", in.speedMhz}, {"family", in.family},
      {"model", in.model},       {"stepping", in.stepping}, {"type", in.processorType}, {"caches", caches},
  };
  QJsonValue display;
  if (machine.hasDisplay) {
    display = QJsonObject{{"width", in.screenWidth},
                          {"height", in.screenHeight},
                          {"depth_bits", in.screenDepth},
                          {"adapter", machine.displayAdapter}};
  }
  QJsonObject directory{{"path", in.drive},
                        {"free_bytes", OrNull(in.diskQueryOk, in.diskFree)},
                        {"total_bytes", OrNull(in.diskQueryOk, in.diskTotal)}};
  return QJsonObject{
      {"os", in.osDescription},
      {"processor", processor},
      {"memory", QJsonObject{{"total_bytes", double(in.totalPhysical)}, {"free_bytes", double(in.freePhysical)}}},
      {"display", display},
      {"test_directory", directory},
  };
}

QJsonObject TestEntry(Test test, const TimingSlot& slot) {
  const TestMeasure& measure = MeasureOf(test);
  return QJsonObject{
      {"test", QLatin1String(measure.id)}, {"tenths", double(slot.elapsed.Tenths())}, {"seconds", Seconds(slot)},
      {"rate", RateOf(test, slot)},        {"unit", QLatin1String(measure.unit)},     {"work", double(slot.work)},
  };
}

// Bytes over seconds of three disk slots together, in MB/s.
QJsonValue Average(const ResultTable& t, std::initializer_list<Test> tests) {
  int64_t bytes = 0, ns = 0;
  for (Test test : tests) {
    bytes += t[test].work;
    ns += t[test].elapsedNs;
  }
  if (bytes <= 0 || ns <= 0) return QJsonValue();
  return QJsonObject{{"seconds", ns / 1e9}, {"rate", bytes / (ns / 1e9) / 1e6}, {"unit", "MB/s"}};
}

QJsonObject Run(const RunOutcome& run) {
  QJsonArray tests;
  for (size_t i = 0; i < kTestCount; ++i) {
    const Test test = static_cast<Test>(i);
    if (run.results[test].elapsedNs > 0) tests.append(TestEntry(test, run.results[test]));
  }
  const ResultTable& t = run.results;
  return QJsonObject{
      {"repetition", run.repetition},
      {"groups", QJsonArray::fromStringList(run.groups)},
      {"bench_no", run.stopped ? QJsonValue() : QJsonValue(BenchNumber(t.Total()))},
      {"total_tenths", double(t.Total().Tenths())},
      {"total_seconds", t.TotalNs() / 1e9},
      {"stopped", run.stopped},
      {"tests", tests},
      {"write_average", Average(t, {Test::Write1, Test::Write2, Test::Write3})},
      {"read_average", Average(t, {Test::Read1, Test::Read2, Test::Read3})},
  };
}

QJsonArray Summary(const std::vector<RunOutcome>& runs) {
  QJsonArray summary;
  for (size_t i = 0; i < kTestCount; ++i) {
    const Test test = static_cast<Test>(i);
    std::vector<double> seconds;
    for (const RunOutcome& run : runs) {
      if (run.results[test].elapsedNs > 0) seconds.push_back(Seconds(run.results[test]));
    }
    if (seconds.empty()) continue;
    const Spread spread = SpreadOf(seconds);
    summary.append(QJsonObject{{"test", QLatin1String(MeasureOf(test).id)},
                               {"min", spread.min},
                               {"median", spread.median},
                               {"max", spread.max},
                               {"repetitions", int(seconds.size())}});
  }
  return summary;
}

}  // namespace

QString IsoDateTimeWithOffset(const QDateTime& time) {
  const int offset = time.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
         QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

Spread SpreadOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return Spread{values.front(), median, values.back()};
}

QJsonDocument BuildJsonReport(const ReportInputs& facts, const JsonMachine& machine, const QDateTime& started,
                              const std::vector<RunOutcome>& runs) {
  QJsonArray runArray;
  for (const RunOutcome& run : runs) runArray.append(Run(run));
  return QJsonDocument(QJsonObject{
      {"schema", kJsonSchema},
      {"program", "TORVIK"},
      {"version", "3.03"},
      {"started", IsoDateTimeWithOffset(started)},
      {"machine", Machine(facts, machine)},
      {"user_name", facts.userName},
      {"pc_name", facts.pcName},
      {"runs", runArray},
      {"summary", Summary(runs)},
  });
}

}  // namespace torvik
