#include "core/records/StoredRun.h"

#include <QSet>
#include <QStringList>
#include <cmath>

#include "core/base/IsoDateTime.h"
#include "core/base/Version.h"
#include "core/results/PreciseFigures.h"

namespace torvik {
namespace {

// The facts' values straight from the record, as its texts above give them
// (the clock to the hundredth the processor's text shows it; the screen
// only where there is one).
FactValues ValuesOfRecord(const RunRecord& record, const QString& started) {
  const MachineFacts& m = record.machine;
  const ProcessorSummary& cpu = m.processor;
  FactValues v;
  v.startedAt = started;
  v.processorName = QStringLiteral("%1 %2").arg(cpu.vendor, cpu.name).trimmed();
  v.clockMhz = std::round(cpu.clockMhz * 100) / 100;
  v.memoryMb = MemoryMegabytes(m.totalMemory);
  if (cpu.l1Caches) v.l1DataKb = cpu.l1DataKb, v.l1InstructionKb = cpu.l1InstructionKb;
  if (cpu.l2Cache) v.l2Kb = cpu.l2Kb, v.l2LineBytes = cpu.l2LineBytes, v.l2Ways = cpu.l2Ways;
  v.displayAdapter = m.display.trimmed();
  if (m.screenWidth > 0) v.screenWidth = m.screenWidth, v.screenHeight = m.screenHeight, v.screenDepth = m.screenDepth;
  return v;
}

}  // namespace

StoredTest TestOfPoint(const MeasuredPoint& point) {
  const double seconds = point.elapsedNs / 1e9;
  StoredTest test{.test = point.StoreId(),
                  .tenths = std::llround(seconds * 10),
                  .seconds = seconds,
                  .unit = point.unit,
                  .noise = point.noise,
                  .iops = point.iops,
                  .p50Us = point.p50Us,
                  .p99Us = point.p99Us,
                  .p999Us = point.p999Us,
                  .engine = point.engine};
  // A latency is kept as loads a second, so that a higher rate is faster
  // for every test the archive keeps; its nanoseconds follow from it.
  const double rate = point.nanoseconds && *point.nanoseconds > 0 ? 1e9 / *point.nanoseconds : point.rate;
  if (point.nanoseconds) test.unit = QStringLiteral("loads/s");
  if (std::isfinite(rate) && rate > 0) test.rate = rate;
  return test;
}

StoredRun RunFromRecord(const RunRecord& record) {
  const MachineFacts& m = record.machine;
  const ProcessorSummary& cpu = m.processor;
  StoredRun run;
  run.started = IsoDateTimeWithOffset(record.started);
  run.sortTime = record.started.toSecsSinceEpoch();
  QStringList groups;
  for (Group group : record.groups) groups << QLatin1String(EntryOf(group).id);
  run.group = groups.join(u',');
  run.stopped = record.stopped;
  // The bench number is the classic tests' sum: a run of points has none.
  const bool classic = AnyClassicGroup(record.groups);
  if (!record.stopped && classic) run.benchNo = BenchNumber(record.results.Total());
  run.totalTenths = record.results.Total().Tenths();
  run.totalSeconds = record.results.TotalNs() / 1e9;
  run.userName = record.userName;
  run.pcName = record.pcName;
  run.hostName = m.hostName;
  run.machineId = m.machineId;
  run.os = m.os;
  run.processor = QStringLiteral("%1 %2 %3MHz").arg(cpu.vendor, cpu.name).arg(cpu.clockMhz, 0, 'f', 2);
  QStringList caches;
  if (cpu.l1Caches) caches << QStringLiteral("L1 %1KB/%2KB").arg(cpu.l1DataKb).arg(cpu.l1InstructionKb);
  if (cpu.l2Cache) caches << QStringLiteral("L2 %1KB %2byte %3Way").arg(cpu.l2Kb).arg(cpu.l2LineBytes).arg(cpu.l2Ways);
  run.caches = caches.join(QStringLiteral(", "));
  run.memory = QStringLiteral("%1MB").arg(MemoryMegabytes(m.totalMemory));
  run.display = m.display + ScreenText(m);
  run.testDirectory = m.testDirectory.path;
  run.platform = m.platform;
  run.torvikVersion = QLatin1String(kVersion);
  run.series = record.series;
  for (const TestEntry& entry : kTests) {
    const TimingSlot& slot = record.results[entry.test];
    if (!slot.HasResult()) continue;
    const double rate = RateOf(entry.test, slot);
    run.tests.push_back(StoredTest{QLatin1String(entry.id), slot.elapsed.Tenths(), Seconds(slot),
                                   rate > 0 ? std::optional(rate) : std::nullopt, QLatin1String(entry.unit),
                                   slot.noise});
  }
  for (const MeasuredPoint& point : record.points) run.tests.push_back(TestOfPoint(point));
  run.values = ValuesOfRecord(record, run.started);
  return run;
}

QString GroupOfTests(const std::vector<StoredTest>& tests) {
  QSet<QString> names;
  for (const StoredTest& test : tests) names.insert(test.test);
  // Only the ALL group runs the mix mode (a sheet leaves out a copy too fast
  // for its clock).
  if (names.contains(QLatin1String(EntryOf(Test::Mix).id))) return QLatin1String(EntryOf(Group::All).id);
  for (const GroupEntry& group : kGroups) {
    if (group.points) continue;  // no sheet has their points
    QSet<QString> ids;
    for (Test test : group.tests) ids.insert(QLatin1String(EntryOf(test).id));
    if (names == ids) return QLatin1String(group.id);
  }
  return QStringLiteral("mixed");
}

}  // namespace torvik
