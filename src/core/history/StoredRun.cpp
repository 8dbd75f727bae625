#include "core/history/StoredRun.h"

#include <QSet>

#include "core/report/JsonReport.h"
#include "core/results/PreciseFigures.h"

namespace torvik {

StoredRun RunFromResults(const QString& group, const ResultTable& results, bool stopped, const ReportInputs& facts,
                         const QDateTime& started) {
  StoredRun run;
  run.started = IsoDateTimeWithOffset(started);
  run.sortTime = started.toSecsSinceEpoch();
  run.group = group;
  run.stopped = stopped;
  if (!stopped) run.benchNo = BenchNumber(results.Total());
  run.totalTenths = results.Total().Tenths();
  run.totalSeconds = results.TotalNs() / 1e9;
  run.userName = facts.userName;
  run.pcName = facts.pcName;
  run.os = facts.osDescription;
  run.processor = QStringLiteral("%1 %2 %3MHz").arg(facts.vendorName, facts.cpuName).arg(facts.speedMhz, 0, 'f', 2);
  QStringList caches;
  if (facts.l1CacheSupport) caches << QStringLiteral("L1 %1KB/%2KB").arg(facts.l1DataSize).arg(facts.l1InstSize);
  if (facts.l2CacheSupport) {
    caches << QStringLiteral("L2 %1KB %2byte %3Way").arg(facts.l2Size).arg(facts.l2LineSize).arg(facts.l2Associativity);
  }
  run.caches = caches.join(QStringLiteral(", "));
  run.memory = QStringLiteral("%1MB").arg(MemoryMegabytes(facts.totalPhysical));
  run.display = QStringLiteral("%1(%2x%3 %4BitColor)")
                    .arg(facts.displayDescription)
                    .arg(facts.screenWidth)
                    .arg(facts.screenHeight)
                    .arg(facts.screenDepth);
  run.testDirectory = facts.drive;
  for (size_t i = 0; i < kTestCount; ++i) {
    const Test test = static_cast<Test>(i);
    const TimingSlot& slot = results[test];
    if (slot.elapsedNs <= 0) continue;
    const double rate = RateOf(test, slot);
    run.tests.push_back(StoredTest{QLatin1String(MeasureOf(test).id), slot.elapsed.Tenths(), Seconds(slot),
                                   rate > 0 ? std::optional(rate) : std::nullopt, QLatin1String(MeasureOf(test).unit)});
  }
  return run;
}

QString GroupOfTests(const std::vector<StoredTest>& tests) {
  QSet<QString> names;
  for (const StoredTest& test : tests) names.insert(test.test);
  const QSet<QString> cpu = {"prime", "trig"};
  const QSet<QString> graphic = {"square", "circle", "triangle", "text", "scroll"};
  const QSet<QString> memory = {"memory"};
  const QSet<QString> hdd = {"write40", "write50", "write60", "read40", "read50", "read60"};
  if (names == cpu) return QStringLiteral("cpu");
  if (names == graphic) return QStringLiteral("graphic");
  if (names == memory) return QStringLiteral("memory");
  if (names == hdd) return QStringLiteral("hdd");
  // Only the ALL group runs the mix mode (a sheet leaves out a copy too fast
  // for its clock).
  if (names.contains(QStringLiteral("mix"))) return QStringLiteral("all");
  return QStringLiteral("mixed");
}

}  // namespace torvik
