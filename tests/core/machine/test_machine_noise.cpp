// The machine's noise around a test: the counters read from captured /proc
// and /sys trees (a desktop with cpufreq, a virtual machine) and from crafted
// ones (readings out of range), and what two looks say: other processes'
// share of a core, each processor's clock against its own, the flags and
// their thresholds, and the passes of one test merged.
#include <QtTest>
#include <limits>
#include <set>

#include "RootedSources.h"
#include "core/machine/MachineNoise.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

// A look at `seconds` on the wall clock: `busy` ticks of all processors,
// `own` seconds of this process, the processors' clocks in MHz and their
// own busy ticks, by processor number from 0.
NoiseSample Look(double seconds, int64_t busy, double own, std::vector<int64_t> clocksMhz = {},
                 std::vector<int64_t> busyOf = {}) {
  NoiseSample sample;
  sample.wallNanoseconds = static_cast<int64_t>(seconds * 1e9);
  sample.busy.all = busy;
  sample.ownNanoseconds = static_cast<int64_t>(own * 1e9);
  for (size_t cpu = 0; cpu < clocksMhz.size(); ++cpu) sample.clocksKhz[int(cpu)] = clocksMhz[cpu] * 1000;
  for (size_t cpu = 0; cpu < busyOf.size(); ++cpu) sample.busy.of[int(cpu)] = busyOf[cpu];
  return sample;
}

constexpr qint64 kTop = std::numeric_limits<qint64>::max();

// A crafted machine: files by path; a directory lists what lies below it.
class CraftedSources : public platform::SystemSources {
 public:
  std::map<std::string, std::string> files;

  std::optional<std::string> ReadFile(const std::string& path) const override {
    const auto it = files.find(path);
    return it == files.end() ? std::nullopt : std::optional(it->second);
  }
  std::vector<std::string> ListDirectory(const std::string& path) const override {
    std::set<std::string> names;
    for (const auto& [file, text] : files) {
      if (file.rfind(path + "/", 0) == 0)
        names.insert(file.substr(path.size() + 1, file.find('/', path.size() + 1) - path.size() - 1));
    }
    return {names.begin(), names.end()};
  }
  std::optional<std::string> ReadLink(const std::string&) const override { return std::nullopt; }
  std::optional<std::string> RealPath(const std::string&) const override { return std::nullopt; }
  std::optional<std::pair<uint32_t, uint32_t>> DeviceNumberOfNode(const std::string&) const override {
    return std::nullopt;
  }
  std::optional<platform::PathFileSystem> FileSystemOf(const std::string&) const override { return std::nullopt; }
  std::optional<platform::VolumeFacts> Volume(const std::string&) const override { return std::nullopt; }
  platform::SystemFacts System() const override { return {}; }
};

}  // namespace

Q_DECLARE_METATYPE(torvik::NoiseSample)

class MachineNoiseTest : public QObject {
  Q_OBJECT

 private slots:
  void capturedCounters() {
    RootedSources desktop(QStringLiteral("desktop"));
    // user + nice + system + irq + softirq + steal of the "cpu" lines.
    const BusyTicks busy = MachineNoise::BusyTicksOf(*desktop.ReadFile("/proc/stat"));
    QCOMPARE(busy.all, std::optional<int64_t>(3'321'900));
    QCOMPARE(busy.of, (std::map<int, int64_t>{{0, 1'662'950}, {1, 1'658'950}}));
    QVERIFY(!MachineNoise::HypervisorFlag(*desktop.ReadFile("/proc/cpuinfo")));
    QVERIFY(MachineNoise::HypervisorFlag(*RootedSources(QStringLiteral("vm")).ReadFile("/proc/cpuinfo")));

    // Every processor with cpufreq (not cpufreq/ or cpuidle/), the first's
    // governor, the one-minute load.
    const NoiseSample sample = MachineNoise(desktop).Sample();
    QCOMPARE(sample.busy.all, std::optional<int64_t>(3'321'900));
    QCOMPARE(sample.clocksKhz, (std::map<int, int64_t>{{0, 3'600'000}, {1, 2'200'000}}));
    QCOMPARE(sample.governor, QStringLiteral("schedutil"));
    QCOMPARE(sample.loadAverage, std::optional<double>(0.42));
    QVERIFY(sample.ownNanoseconds > 0 && sample.wallNanoseconds > 0);
    // Without cpufreq or /proc/stat: nothing invented.
    const NoiseSample bare = MachineNoise(RootedSources(QStringLiteral("chroot"))).Sample();
    QVERIFY(!bare.busy.all && bare.clocksKhz.empty() && bare.governor.isEmpty() && !bare.loadAverage);
  }

  // The "cpu" line's busy sum, or none (-1).
  void statCounts_data() {
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<qint64>("busy");
    QTest::newRow("no cpu line") << QByteArray("intr 1 2 3\n") << qint64(-1);
    QTest::newRow("cut short") << QByteArray("cpu 1 2 3\n") << qint64(-1);
    QTest::newRow("the highest count") << QByteArray("cpu 9223372036854775807 0 0 9 9 0 0 0\n") << kTop;
    QTest::newRow("a sum past 63 bits") << QByteArray("cpu 9223372036854775807 0 0 0 0 0 0 1\n") << qint64(-1);
    QTest::newRow("every field near the top")
        << QByteArray(
               "cpu 9223372036854775000 9223372036854775000 9223372036854775000 0 0 "
               "9223372036854775000 9223372036854775000 9223372036854775000\n")
        << qint64(-1);
    QTest::newRow("past 64 bits") << QByteArray("cpu 18446744073709551616 0 0 0 0 0 0 0\n") << qint64(-1);
    QTest::newRow("negative") << QByteArray("cpu -1 2 0 0 0 0 0 0\n") << qint64(-1);
    QTest::newRow("not a count") << QByteArray("cpu 1x 2 0 0 0 0 0 0\n") << qint64(-1);
  }
  void statCounts() {
    QFETCH(QByteArray, stat);
    QFETCH(qint64, busy);
    QCOMPARE(MachineNoise::BusyTicksOf(stat.toStdString()).all, busy < 0 ? std::nullopt : std::optional<int64_t>(busy));
  }

  // Readings of a crafted /sys and /proc: out of range is not read (-1),
  // text is one printable line of at most 32 characters.
  void craftedReadings_data() {
    QTest::addColumn<QByteArray>("clock");
    QTest::addColumn<QByteArray>("governor");
    QTest::addColumn<QByteArray>("loadavg");
    QTest::addColumn<qint64>("clockKhz");
    QTest::addColumn<QString>("governorShown");
    QTest::addColumn<double>("load");
    QTest::newRow("ordinary") << QByteArray("3600000\n") << QByteArray("schedutil\n")
                              << QByteArray("0.42 0.35 0.30 1/389 12345\n") << qint64(3'600'000)
                              << QStringLiteral("schedutil") << 0.42;
    QTest::newRow("20 GHz, the highest") << QByteArray("20000000\n") << QByteArray("") << QByteArray("0\n")
                                         << qint64(20'000'000) << QString() << 0.0;
    QTest::newRow("absurd clock") << QByteArray("99999999999999\n") << QByteArray("a\x1b[2J\tb\x7f\n")
                                  << QByteArray("nan 0 0\n") << qint64(-1) << QStringLiteral("a [2J b") << -1.0;
    QTest::newRow("just above 20 GHz") << QByteArray("20000001\n") << QByteArray(40, 'g') << QByteArray("-1 0 0\n")
                                       << qint64(-1) << QString(32, u'g') << -1.0;
    QTest::newRow("zero") << QByteArray("0\n") << QByteArray("  ondemand\r\n") << QByteArray("5000000 0 0\n")
                          << qint64(-1) << QStringLiteral("ondemand") << -1.0;
    QTest::newRow("negative") << QByteArray("-800000\n") << QByteArray() << QByteArray() << qint64(-1) << QString()
                              << -1.0;
    QTest::newRow("not a number") << QByteArray("3600000 kHz\n") << QByteArray() << QByteArray("1e999\n") << qint64(-1)
                                  << QString() << -1.0;
  }
  void craftedReadings() {
    QFETCH(QByteArray, clock);
    QFETCH(QByteArray, governor);
    QFETCH(QByteArray, loadavg);
    QFETCH(qint64, clockKhz);
    QFETCH(QString, governorShown);
    QFETCH(double, load);
    CraftedSources sources;
    sources.files["/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq"] = clock.toStdString();
    sources.files["/sys/devices/system/cpu/cpu0/cpufreq/scaling_governor"] = governor.toStdString();
    sources.files["/proc/loadavg"] = loadavg.toStdString();
    const NoiseSample sample = MachineNoise(sources).Sample();
    std::map<int, int64_t> clocks;
    if (clockKhz >= 0) clocks[0] = clockKhz;
    QCOMPARE(sample.clocksKhz, clocks);
    QCOMPARE(sample.governor, governorShown);
    QCOMPARE(sample.loadAverage, load < 0 ? std::nullopt : std::optional<double>(load));
  }

  void whatTwoLooksSay_data() {
    QTest::addColumn<NoiseSample>("start");
    QTest::addColumn<NoiseSample>("end");
    QTest::addColumn<double>("percent");  // -1: none
    QTest::addColumn<bool>("shared");
    QTest::addColumn<QString>("clock");  // the range kept, MHz; empty: none
    QTest::addColumn<bool>("moved");
    // 100 ticks a second: 150 busy ticks in 1 s, 1.47 s of them ours.
    QTest::newRow("quiet: our own threads")
        << Look(0, 0, 0, {3600}) << Look(1, 150, 1.47, {3600}) << 3.0 << false << "3600-3600" << false;
    QTest::newRow("another process on a core") << Look(0, 0, 0) << Look(2, 300, 1.9) << 55.0 << true << "" << false;
    QTest::newRow("a short test: within the counters' grain")
        << Look(0, 0, 0) << Look(0.1, 3, 0.0) << 30.0 << false << "" << false;
    QTest::newRow("counts near the top of 63 bits")
        << Look(0, kTop - 200, 0) << Look(1, kTop - 50, 1.47) << 3.0 << false << "" << false;
    QTest::newRow("a count that went back") << Look(0, 500, 0) << Look(1, 100, 1) << -1.0 << false << "" << false;
    NoiseSample unread = Look(1, 0, 1);
    unread.busy.all.reset();
    QTest::newRow("no /proc/stat") << Look(0, 0, 0) << unread << -1.0 << false << "" << false;
    // Each processor's clock against its own; which ran the test, from its
    // busy ticks (a quarter of 100 a second).
    QTest::newRow("the clock moved") << Look(0, 0, 0, {3600, 3600}) << Look(1, 100, 1, {2200, 3600}) << 0.0 << false
                                     << "2200-3600" << true;
    QTest::newRow("within 5 % of the clock")
        << Look(0, 0, 0, {3600}) << Look(1, 100, 1, {3450}) << 0.0 << false << "3450-3600" << false;
    QTest::newRow("idle cores at a low clock, the busy one steady")
        << Look(0, 0, 0, {800, 3600, 800}, {0, 0, 0}) << Look(1, 100, 1, {800, 3600, 800}, {1, 98, 1}) << 0.0 << false
        << "3600-3600" << false;
    QTest::newRow("an idle core woke, the test's processor steady")
        << Look(0, 0, 0, {3600, 800}, {0, 0}) << Look(1, 100, 1, {3600, 1400}, {99, 1}) << 0.0 << false << "3600-3600"
        << false;
    QTest::newRow("the test's processor slowed")
        << Look(0, 0, 0, {3600, 800}, {0, 0}) << Look(1, 100, 1, {2400, 800}, {99, 1}) << 0.0 << false << "2400-3600"
        << true;
    QTest::newRow("the test's processor unknown: any clock that moved")
        << Look(0, 0, 0, {3600, 800}) << Look(1, 100, 1, {3600, 1400}) << 0.0 << false << "800-1400" << true;
  }
  void whatTwoLooksSay() {
    QFETCH(NoiseSample, start);
    QFETCH(NoiseSample, end);
    QFETCH(double, percent);
    QFETCH(bool, shared);
    QFETCH(QString, clock);
    QFETCH(bool, moved);
    const TestNoise noise = MachineNoise(RootedSources(QStringLiteral("vm"))).Between(start, end);
    QVERIFY(noise.hypervisor);
    const std::optional<double> others = noise.OthersCorePercent();
    QCOMPARE(others.has_value(), percent >= 0);
    if (others) QVERIFY2(std::abs(*others - percent) < 1e-6, qPrintable(QString::number(*others)));
    QCOMPARE(noise.SharedProcessor(), shared);
    QCOMPARE(noise.clockMinMhz ? QStringLiteral("%1-%2").arg(*noise.clockMinMhz).arg(*noise.clockMaxMhz) : QString(),
             clock);
    QCOMPARE(noise.ClockMoved(), moved);
    QCOMPARE(noise.Warning().isEmpty(), !shared && !moved);
  }

  void passesOfOneTestMerge() {
    const MachineNoise probe(RootedSources(QStringLiteral("desktop")));
    TestNoise first = probe.Between(Look(0, 0, 0, {3600}), Look(1, 101, 1, {3600}));  // 1 % of a core
    const TestNoise second = probe.Between(Look(5, 500, 5, {2200}), Look(6, 700, 6, {3000}));
    TestNoise steady = first;
    first.Merge(second);
    QCOMPARE(first.seconds, 2.0);
    QVERIFY(std::abs(*first.othersCoreSeconds - 1.01) < 1e-9);  // 0.01 + 1.0 over 2 s: 50.5 %
    QVERIFY(first.SharedProcessor());
    // The pass whose clock moved more; one pass's clock is never set against
    // another's (they may have run on two processors).
    QCOMPARE(first.clockMinMhz, std::optional<int>(2200));
    QCOMPARE(first.clockMaxMhz, std::optional<int>(3000));
    TestNoise moved = second;
    moved.Merge(steady);
    QCOMPARE(moved.clockMinMhz, std::optional<int>(2200));
    QCOMPARE(moved.clockMaxMhz, std::optional<int>(3000));
  }
};

QTEST_GUILESS_MAIN(MachineNoiseTest)
#include "test_machine_noise.moc"
