// Reading the clock the operating system recorded from /proc/cpuinfo and cpufreq text.
#include <QtTest>

#include "platform/RecordedClock.h"

using namespace torvik::platform;

class RecordedClockTest : public QObject {
  Q_OBJECT

 private slots:
  void cpuinfoOfThisMachine() {
    QFile file(QStringLiteral(TORVIK_TEST_DATA "/proc/cpuinfo-amd-epyc.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(ParseCpuInfoMhz(file.readAll().toStdString()), 2596);
  }

  void cpuinfoRules() {
    QCOMPARE(ParseCpuInfoMhz("processor\t: 0\ncpu MHz\t\t: 499.5\n"), 500);
    QCOMPARE(ParseCpuInfoMhz("processor\t: 0\nmodel name\t: x\n"), 0);  // no clock
    QCOMPARE(ParseCpuInfoMhz("cpu MHz\t\t: 0.000\n"), 0);
    QCOMPARE(ParseCpuInfoMhz("cpu MHz\t\t: garbage\n"), 0);
    QCOMPARE(ParseCpuInfoMhz(""), 0);
    // Only the first processor's block counts.
    QCOMPARE(ParseCpuInfoMhz("processor\t: 0\ncpu MHz\t\t: 1200.0\n\nprocessor\t: 1\ncpu MHz\t\t: 3400.0\n"), 1200);
    QCOMPARE(ParseCpuInfoMhz("processor\t: 0\n\nprocessor\t: 1\ncpu MHz\t\t: 3400.0\n"), 0);
  }

  void cpufreqIsInKilohertz() {
    QCOMPARE(ParseCpufreqKhz("3400000\n"), 3400);
    QCOMPARE(ParseCpufreqKhz("2596148"), 2596);
    QCOMPARE(ParseCpufreqKhz(""), 0);
    QCOMPARE(ParseCpufreqKhz("-5"), 0);
  }

  void thisMachineRecordsAClock() {
    if (!QFile::exists(QStringLiteral("/proc/cpuinfo"))) QSKIP("no /proc/cpuinfo");
    QVERIFY(RecordedProcessorMhz() >= 0);
  }
};

QTEST_GUILESS_MAIN(RecordedClockTest)
#include "test_recorded_clock.moc"
