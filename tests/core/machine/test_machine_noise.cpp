// The machine's noise around a test: the counters read from captured /proc
// and /sys trees (a desktop with cpufreq, a virtual machine), and what two
// looks say: other processes' share of a core, the clock's range, the flags
// and their thresholds, and the passes of one test merged.
#include <QtTest>

#include "RootedSources.h"
#include "core/machine/MachineNoise.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

// A look at `seconds` on the wall clock: `busy` ticks of all processors,
// `own` seconds of this process, the processors' clocks in MHz.
NoiseSample Look(double seconds, int64_t busy, double own, std::vector<int64_t> clocksMhz = {}) {
  NoiseSample sample;
  sample.wallNanoseconds = static_cast<int64_t>(seconds * 1e9);
  sample.busyTicks = busy;
  sample.ownNanoseconds = static_cast<int64_t>(own * 1e9);
  for (int64_t mhz : clocksMhz) sample.clocksKhz.push_back(mhz * 1000);
  return sample;
}

}  // namespace

Q_DECLARE_METATYPE(torvik::NoiseSample)

class MachineNoiseTest : public QObject {
  Q_OBJECT

 private slots:
  void capturedCounters() {
    RootedSources desktop(QStringLiteral("desktop"));
    // user + nice + system + irq + softirq + steal of the "cpu" line.
    QCOMPARE(MachineNoise::BusyTicks(*desktop.ReadFile("/proc/stat")), std::optional<int64_t>(3'321'900));
    QCOMPARE(MachineNoise::BusyTicks("intr 1 2 3\n"), std::nullopt);
    QCOMPARE(MachineNoise::BusyTicks("cpu 1 2 3\n"), std::nullopt);  // cut short
    QVERIFY(!MachineNoise::HypervisorFlag(*desktop.ReadFile("/proc/cpuinfo")));
    QVERIFY(MachineNoise::HypervisorFlag(*RootedSources(QStringLiteral("vm")).ReadFile("/proc/cpuinfo")));

    // Every processor with cpufreq (not cpufreq/ or cpuidle/), the first's
    // governor, the one-minute load.
    const NoiseSample sample = MachineNoise(desktop).Sample();
    QCOMPARE(sample.busyTicks, std::optional<int64_t>(3'321'900));
    QCOMPARE(sample.clocksKhz, (std::vector<int64_t>{3'600'000, 2'200'000}));
    QCOMPARE(sample.governor, QStringLiteral("schedutil"));
    QCOMPARE(sample.loadAverage, std::optional<double>(0.42));
    QVERIFY(sample.ownNanoseconds > 0 && sample.wallNanoseconds > 0);
    // Without cpufreq or /proc/stat: nothing invented.
    const NoiseSample bare = MachineNoise(RootedSources(QStringLiteral("chroot"))).Sample();
    QVERIFY(!bare.busyTicks && bare.clocksKhz.empty() && bare.governor.isEmpty() && !bare.loadAverage);
  }

  void whatTwoLooksSay_data() {
    QTest::addColumn<NoiseSample>("start");
    QTest::addColumn<NoiseSample>("end");
    QTest::addColumn<double>("percent");  // -1: none
    QTest::addColumn<bool>("shared");
    QTest::addColumn<bool>("moved");
    // 100 ticks a second: 150 busy ticks in 1 s, 1.47 s of them ours.
    QTest::newRow("quiet: our own threads")
        << Look(0, 0, 0, {3600}) << Look(1, 150, 1.47, {3600}) << 3.0 << false << false;
    QTest::newRow("another process on a core") << Look(0, 0, 0) << Look(2, 300, 1.9) << 55.0 << true << false;
    QTest::newRow("a short test: within the counters' grain")
        << Look(0, 0, 0) << Look(0.1, 3, 0.0) << 30.0 << false << false;
    QTest::newRow("the clock moved") << Look(0, 0, 0, {3600, 3600}) << Look(1, 100, 1, {2200, 3600}) << 0.0 << false
                                     << true;
    QTest::newRow("within 5 % of the clock")
        << Look(0, 0, 0, {3600}) << Look(1, 100, 1, {3450}) << 0.0 << false << false;
    NoiseSample unread = Look(1, 0, 1);
    unread.busyTicks.reset();
    QTest::newRow("no /proc/stat") << Look(0, 0, 0) << unread << -1.0 << false << false;
  }
  void whatTwoLooksSay() {
    QFETCH(NoiseSample, start);
    QFETCH(NoiseSample, end);
    QFETCH(double, percent);
    QFETCH(bool, shared);
    QFETCH(bool, moved);
    const TestNoise noise = MachineNoise(RootedSources(QStringLiteral("vm"))).Between(start, end);
    QVERIFY(noise.hypervisor);
    const std::optional<double> others = noise.OthersCorePercent();
    QCOMPARE(others.has_value(), percent >= 0);
    if (others) QVERIFY2(std::abs(*others - percent) < 1e-6, qPrintable(QString::number(*others)));
    QCOMPARE(noise.SharedProcessor(), shared);
    QCOMPARE(noise.ClockMoved(), moved);
    QCOMPARE(noise.Warning().isEmpty(), !shared && !moved);
  }

  void passesOfOneTestMerge() {
    const MachineNoise probe(RootedSources(QStringLiteral("desktop")));
    TestNoise first = probe.Between(Look(0, 0, 0, {3600}), Look(1, 101, 1, {3600}));  // 1 % of a core
    const TestNoise second = probe.Between(Look(5, 500, 5, {2200}), Look(6, 700, 6, {3000}));
    first.Merge(second);
    QCOMPARE(first.seconds, 2.0);
    QVERIFY(std::abs(*first.othersCoreSeconds - 1.01) < 1e-9);  // 0.01 + 1.0 over 2 s: 50.5 %
    QVERIFY(first.SharedProcessor());
    QCOMPARE(first.clockMinMhz, std::optional<int>(2200));
    QCOMPARE(first.clockMaxMhz, std::optional<int>(3600));
  }
};

QTEST_GUILESS_MAIN(MachineNoiseTest)
#include "test_machine_noise.moc"
