// A finished run as the archive keeps it: its facts' values come from the
// record itself, and are those its texts give (so a run and an imported
// sheet of it are told apart by nothing but their origin); a machine
// without caches or a screen has none of them.
#include <QtTest>

#include "core/records/StoredRun.h"

using namespace torvik;

class StoredRunTest : public QObject {
  Q_OBJECT

 private slots:
  void factsComeFromTheRecord_data() {
    QTest::addColumn<bool>("desktop");  // caches and a screen, or neither
    QTest::newRow("a desktop") << true;
    QTest::newRow("a server without a screen") << false;
  }
  void factsComeFromTheRecord() {
    QFETCH(bool, desktop);
    RunRecord record;
    record.groups = {Group::Memory};
    record.started = QDateTime(QDate(2026, 12, 9), QTime(8, 30, 5), QTimeZone(3'600));
    record.results[Test::Memory].elapsedNs = 44'000'000;
    record.results[Test::Memory].work = 2'048LL * 1'044'480;
    MachineFacts& m = record.machine;
    m.processor = {.vendor = QStringLiteral("AuthenticAMD"), .name = QStringLiteral("AMD EPYC (100MHz bus)"),
                   .clockMhz = 2596.4749};
    m.totalMemory = 24LL * 1024 * 1024 * 1024;
    m.display = QStringLiteral("Matrox (rev 2) ");
    if (desktop) {
      m.processor.l1Caches = m.processor.l2Cache = true;
      m.processor.l1DataKb = 48, m.processor.l1InstructionKb = 32;
      m.processor.l2Kb = 1'024, m.processor.l2LineBytes = 64, m.processor.l2Ways = 8;
      m.screenWidth = 2'560, m.screenHeight = 1'440, m.screenDepth = 24;
    }
    const StoredRun run = RunFromRecord(record);
    const FactValues& v = run.values;
    QCOMPARE(v.startedAt, QStringLiteral("2026-12-09T08:30:05+01:00"));
    QCOMPARE(v.processorName, QStringLiteral("AuthenticAMD AMD EPYC (100MHz bus)"));
    QCOMPARE(v.clockMhz, std::optional<double>(2596.47));  // as the processor's text shows it
    QCOMPARE(v.memoryMb, std::optional<int64_t>(24'577));
    QCOMPARE(v.displayAdapter, QStringLiteral("Matrox (rev 2)"));
    // A run with no screen says so, not "0x0 0BitColor".
    QCOMPARE(run.display, desktop ? QStringLiteral("Matrox (rev 2) (2560x1440 24BitColor)")
                                  : QStringLiteral("Matrox (rev 2) (no display)"));
    QCOMPARE(v.l2Kb.has_value(), desktop);
    QCOMPARE(v.screenWidth, desktop ? std::optional<int>(2'560) : std::nullopt);
    // The same values the texts give: nothing differs from the rows kept before.
    const FactValues read = ValuesFromText(run.Texts());
    QCOMPARE(read.processorName, v.processorName);
    QCOMPARE(read.clockMhz, v.clockMhz);
    QCOMPARE(read.memoryMb, v.memoryMb);
    QCOMPARE(read.l1DataKb, v.l1DataKb);
    QCOMPARE(read.l2Ways, v.l2Ways);
    QCOMPARE(read.screenDepth, v.screenDepth);
    QCOMPARE(read.displayAdapter, v.displayAdapter);
  }
};

QTEST_GUILESS_MAIN(StoredRunTest)
#include "test_stored_run.moc"
