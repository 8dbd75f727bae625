#include "core/report/JsonReport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

#include "core/base/IsoDateTime.h"
#include "core/base/PrintableText.h"
#include "core/base/Version.h"
#include "core/results/PreciseFigures.h"
#include "core/results/Statistics.h"

namespace torvik {
namespace {

QJsonValue OrNull(bool present, const QJsonValue& value) { return present ? value : QJsonValue(); }

QJsonObject Machine(const MachineFacts& m) {
  const ProcessorSummary& p = m.processor;
  QJsonObject caches{
      {"l1_data_kb", OrNull(p.l1Caches, p.l1DataKb)}, {"l1_instruction_kb", OrNull(p.l1Caches, p.l1InstructionKb)},
      {"l2_kb", OrNull(p.l2Cache, p.l2Kb)},           {"l2_line_bytes", OrNull(p.l2Cache, p.l2LineBytes)},
      {"l2_ways", OrNull(p.l2Cache, p.l2Ways)},
  };
  QJsonObject processor{
      {"vendor", p.vendor}, {"name", p.name},         {"clock_mhz", p.clockMhz}, {"family", p.family},
      {"model", p.model},   {"stepping", p.stepping}, {"type", p.type},          {"caches", caches},
  };
  QJsonValue display;
  if (m.hasDisplay) {
    display = QJsonObject{{"width", m.screenWidth},
                          {"height", m.screenHeight},
                          {"depth_bits", m.screenDepth},
                          {"adapter", m.displayAdapter},
                          {"platform", m.platform}};
  }
  const TestDirectoryFacts& d = m.testDirectory;
  QJsonObject directory{{"path", PrintableText(d.path)},
                        {"free_bytes", OrNull(d.queried, d.freeBytes)},
                        {"total_bytes", OrNull(d.queried, d.totalBytes)}};
  return QJsonObject{
      {"host_name", PrintableText(m.hostName)},
      {"machine_id", m.machineId.isEmpty() ? QJsonValue() : QJsonValue(m.machineId)},
      {"os", PrintableText(m.os)},
      {"processor", processor},
      {"memory", QJsonObject{{"total_bytes", double(m.totalMemory)}, {"free_bytes", double(m.freeMemory)}}},
      {"display", display},
      {"platform", m.platform},  // offscreen too, where no display is described
      {"test_directory", directory},
  };
}

template <typename T>
QJsonValue OrNull(const std::optional<T>& value) {
  return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue NoiseObject(const std::optional<TestNoise>& noise) {
  if (!noise) return QJsonValue();
  const std::optional<double> percent = noise->OthersCorePercent();
  return QJsonObject{
      {"seconds", noise->seconds},
      {"others_core_percent", percent ? QJsonValue(std::round(*percent * 10) / 10) : QJsonValue()},
      {"clock_min_mhz", OrNull(noise->clockMinMhz)},
      {"clock_max_mhz", OrNull(noise->clockMaxMhz)},
      {"governor", noise->governor.isEmpty() ? QJsonValue() : QJsonValue(noise->governor)},
      {"hypervisor", noise->hypervisor},
      {"load_average", OrNull(noise->loadAverage)},
      {"shared_processor", noise->SharedProcessor()},
      {"clock_moved", noise->ClockMoved()},
  };
}

QJsonObject TestObject(Test test, const TimingSlot& slot) {
  const TestEntry& entry = EntryOf(test);
  return QJsonObject{
      {"test", QLatin1String(entry.id)},  {"tenths", double(slot.elapsed.Tenths())}, {"seconds", Seconds(slot)},
      {"rate", RateOf(test, slot)},       {"unit", QLatin1String(entry.unit)},       {"work", double(slot.work)},
      {"noise", NoiseObject(slot.noise)},
  };
}

// A point of the groups that measure today's machine: the workload or
// kernel, its threads, its rate in its unit, a latency's working set and
// nanoseconds, a drive row's requests a second, percentiles and engine.
QJsonObject PointObject(const MeasuredPoint& p) {
  QJsonObject point{
      {"group", p.group},  {"test", p.test},          {"id", p.StoreId()},   {"threads", p.threads},
      {"rate", p.rate},    {"unit", p.unit},          {"seconds", p.elapsedNs / 1e9},
      {"work", p.work},    {"noise", NoiseObject(p.noise)},
  };
  if (p.nanoseconds) {
    point.insert("bytes", double(p.bytes));
    point.insert("nanoseconds", *p.nanoseconds);
    point.insert("huge_page_bytes", p.hugePageBytes ? QJsonValue(double(*p.hugePageBytes)) : QJsonValue());
  }
  if (p.group == QLatin1String("drive")) {
    point.insert("iops", OrNull(p.iops));
    point.insert("p50_us", OrNull(p.p50Us));
    point.insert("p99_us", OrNull(p.p99Us));
    point.insert("p999_us", OrNull(p.p999Us));
    point.insert("engine", p.engine);
    point.insert("others_io_bytes", p.othersIoBytes ? QJsonValue(double(*p.othersIoBytes)) : QJsonValue());
  }
  return point;
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

QJsonArray Points(const RunRecord& run) {
  QJsonArray points;
  for (const MeasuredPoint& point : run.points) points.append(PointObject(point));
  return points;
}

QJsonObject Run(int repetition, const RunRecord& run) {
  QJsonArray tests;
  for (const TestEntry& entry : kTests) {
    if (run.results[entry.test].HasResult()) tests.append(TestObject(entry.test, run.results[entry.test]));
  }
  QJsonArray groups;
  for (Group group : run.groups) groups.append(QLatin1String(EntryOf(group).id));
  const ResultTable& t = run.results;
  // The bench number is the classic tests' sum: a run of points alone has none.
  const bool classic = AnyClassicGroup(run.groups);
  return QJsonObject{
      {"repetition", repetition},
      {"groups", groups},
      {"bench_no", run.stopped || !classic ? QJsonValue() : QJsonValue(BenchNumber(t.Total()))},
      {"total_tenths", double(t.Total().Tenths())},
      {"total_seconds", t.TotalNs() / 1e9},
      {"stopped", run.stopped},
      {"tests", tests},
      {"write_average", Average(t, {Test::Write1, Test::Write2, Test::Write3})},
      {"read_average", Average(t, {Test::Read1, Test::Read2, Test::Read3})},
      {"points", Points(run)},
      {"facts", run.pointFacts},
  };
}

// One test's figures over the repetitions, `flagged` of them noisy.
QJsonObject SummaryEntry(const QString& test, const Statistics& s, int flagged) {
  return QJsonObject{{"test", test},
                     {"min", s.min},
                     {"median", s.median},
                     {"max", s.max},
                     {"mean", s.mean},
                     {"stdev", SpreadJson(s, s.stdev)},
                     {"cv", SpreadJson(s, s.cv)},
                     {"settled", AutoRepeat::Settled(s)},
                     {"noisy_repetitions", flagged},
                     {"repetitions", s.count}};
}

QJsonArray Summary(const std::vector<RunRecord>& runs) {
  QJsonArray summary;
  for (const auto& [test, s] : SecondsStatistics(runs)) {
    int flagged = 0;
    for (const RunRecord& run : runs) {
      const std::optional<TestNoise>& noise = run.results[test].noise;
      flagged += noise && noise->Flagged();
    }
    summary.append(SummaryEntry(QLatin1String(EntryOf(test).id), s, flagged));
  }
  // A point's figure is its rate (a drive row's time is fixed).
  for (const auto& [id, s] : PointRateStatistics(runs)) {
    int flagged = 0;
    for (const RunRecord& run : runs) {
      for (const MeasuredPoint& point : run.points) flagged += point.StoreId() == id && point.noise && point.noise->Flagged();
    }
    QJsonObject entry = SummaryEntry(id, s, flagged);
    entry.insert("of", "rate");
    summary.append(entry);
  }
  return summary;
}

}  // namespace

QJsonValue SpreadJson(const Statistics& figures, double value) {
  return figures.count < 2 ? QJsonValue() : QJsonValue(value);
}

QJsonDocument BuildJsonReport(const std::vector<RunRecord>& repetitions, const QDateTime& started) {
  const RunRecord first = repetitions.empty() ? RunRecord{} : repetitions.front();
  QJsonArray runArray;
  for (size_t i = 0; i < repetitions.size(); ++i) runArray.append(Run(static_cast<int>(i) + 1, repetitions[i]));
  return QJsonDocument(QJsonObject{
      {"schema", kJsonSchema},
      {"program", "TORVIK"},
      {"version", QLatin1String(kVersion)},
      {"started", IsoDateTimeWithOffset(started)},
      {"machine", Machine(first.machine)},
      {"user_name", PrintableText(first.userName)},
      {"pc_name", PrintableText(first.pcName)},
      {"runs", runArray},
      {"summary", Summary(repetitions)},
  });
}

}  // namespace torvik
