// ProcessorInfo over synthetic and captured register sets: what it detects and
// in which cases, the processors outside the naming tables' era, the clock
// measurements, and the processor line.
#include <sys/resource.h>

#include <QtTest>

#include "FakeProcessor.h"
#include "core/machine/ProcessorInfo.h"

using namespace torvik;
using testing::FakeProcessor;

namespace {

constexpr uint32_t kTsc = 1u << 4;

double Seconds(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e9; }

// How many times this thread has given up the processor by itself (slept or
// waited), as the kernel counts it.
long VoluntarySwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

}  // namespace

class ProcessorInfoTest : public QObject {
  Q_OBJECT

 private slots:
  void withoutCpuidEverythingIsUnknown() {
    FakeProcessor processor;
    processor.hasCpuid = false;
    ProcessorInfo info(processor);
    QVERIFY(!info.HasCPUID());
    QCOMPARE(info.Vendor(), CpuVendor::vdUnknown);
    QCOMPARE(info.VendorName(), QStringLiteral("Unknown"));
    QCOMPARE(info.CPUName(), QStringLiteral("Unknown"));
    QCOMPARE(info.CPU(), KnownCpu::cpuUnknown);
    QCOMPARE(info.FeatureFlags(), CpuFeatureFlags{});
    QVERIFY(!info.L1CacheSupport() && !info.L2CacheSupport());
    QCOMPARE(info.L2Cache(), CacheInfo{});
    QCOMPARE(processor.cpuidCalls, 0);
    // No sleeping without a counter: the thread never gives up the
    // processor (a sleep would; being preempted is not giving up). Asked
    // twice, so that the second call's code is already in memory.
    QCOMPARE(info.GetTickSpeed(), 0.0);
    const long switches = VoluntarySwitches();
    QCOMPARE(info.GetTickSpeed(), 0.0);
    QCOMPARE(VoluntarySwitches(), switches);
    QCOMPARE(info.Version(), QStringLiteral("TFCPUInfo v0.52"));
  }

  void leaf1FieldsAndTypeFlags() {
    // type 1 (OverDrive), family 5, model 2, stepping 0xC; extended fields 0.
    FakeProcessor overdriveProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x152C);
    ProcessorInfo overdrive(overdriveProcessor);
    QCOMPARE(overdrive.ProcessorType(), 1);
    QCOMPARE(overdrive.Family(), 5);
    QCOMPARE(overdrive.Model(), 2);
    QCOMPARE(overdrive.Stepping(), 0xC);
    QVERIFY(overdrive.OverDrive() && !overdrive.DualCPU());
    QCOMPARE(overdrive.CPU(), KnownCpu::cpuP54C);
    FakeProcessor dualProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x2633);
    ProcessorInfo dual(dualProcessor);
    QVERIFY(dual.DualCPU() && !dual.OverDrive());
    QCOMPARE(dual.CPUName(), QStringLiteral("Pentium II"));
  }

  void featureFlagsCopyTheirBits() {
    // Every bit set: each flag but AMD3DNow reads its bit; bits 10, 19-22, 26-31 go nowhere.
    FakeProcessor allProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683, 0xFFFFFFFF);
    ProcessorInfo all(allProcessor);
    const CpuFeatureFlags& f = all.FeatureFlags();
    for (bool flag : {f.FPU,  f.VME, f.DE,  f.PSE,  f.TSC, f.MSR,   f.PAE, f.MCE, f.CX8,  f.APIC, f.SEP,
                      f.MTRR, f.PGE, f.MCA, f.CMOV, f.PAT, f.PSE36, f.PN,  f.MMX, f.FXSR, f.XMM}) {
      QVERIFY(flag);
    }
    QVERIFY(!f.AMD3DNow);  // Intel never has it
    // Only the unused bits set: no flag at all.
    FakeProcessor unusedProcessor =
        FakeProcessor::WithLeaf1("GenuineIntel", 0x683, (1u << 10) | (0xFu << 19) | (0x3Fu << 26));
    ProcessorInfo unused(unusedProcessor);
    QCOMPARE(unused.FeatureFlags(), CpuFeatureFlags{});
    // Single bits land on their own flag.
    QVERIFY(ProcessorInfo(FakeProcessor::WithLeaf1("GenuineIntel", 0x683, 1u << 11)).FeatureFlags().SEP);
    QVERIFY(ProcessorInfo(FakeProcessor::WithLeaf1("GenuineIntel", 0x683, 1u << 18)).FeatureFlags().PN);
    QVERIFY(ProcessorInfo(FakeProcessor::WithLeaf1("GenuineIntel", 0x683, 1u << 25)).FeatureFlags().XMM);
  }

  void pentium3FromItsLeaf2Descriptors() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x673);
    processor.Set(2, {0x03020101, 0, 0, 0x0C040843});  // bytes 0..3: 0x43, 0x08, 0x04, 0x0C
    ProcessorInfo info(processor);
    QCOMPARE(info.L1DataCache(), (CacheInfo{4, 32, 0, 16}));
    QCOMPARE(info.L1InstCache(), (CacheInfo{4, 32, 0, 16}));
    QCOMPARE(info.L2Cache(), (CacheInfo{4, 32, 0, 512}));
    QVERIFY(info.L1CacheSupport() && info.L2CacheSupport());
    QCOMPARE(info.CPU(), KnownCpu::cpuPentium3orXeon);
    QCOMPARE(info.CPUName(), QStringLiteral("Pentium III"));

    processor.Set(1, {0x652, 0, 0, 0});
    ProcessorInfo pentium2(processor);
    QCOMPARE(pentium2.CPU(), KnownCpu::cpuPentium2orXeon);
    QCOMPARE(pentium2.CPUName(), QStringLiteral("Pentium II"));
  }

  void leaf2ByteRules() {
    // Byte 1 (16 KB) and byte 3 (8 KB) both name the data cache: byte 3 wins.
    // Byte 2 (an instruction cache) is never read.
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x665);
    processor.Set(2, {0, 0x43434343, 0x43434343, 0x0A080C00});
    ProcessorInfo info(processor);
    QCOMPARE(info.L1DataCache(), (CacheInfo{2, 32, 0, 8}));
    QCOMPARE(info.L1InstCache(), CacheInfo{});
    QVERIFY(!info.L2CacheSupport());                         // EAX, EBX, ECX are ignored
    QCOMPARE(info.CPUName(), QStringLiteral("Pentium II"));  // model 6, size 0
  }

  void celeronHasNoLevel2() {
    FakeProcessor infoProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x652);
    ProcessorInfo info(infoProcessor);
    QVERIFY(!info.L2CacheSupport());
    QCOMPARE(info.CPU(), KnownCpu::cpuCeleron);
    QCOMPARE(info.CPUName(), QStringLiteral("Celeron"));
  }

  void pentium3Model8AndFamily15() {
    QCOMPARE(ProcessorInfo(FakeProcessor::WithLeaf1("GenuineIntel", 0x683)).CPU(), KnownCpu::cpuPentium3);
    // A Pentium 4 signature: family 15 with extended fields 0 stays in the tables.
    FakeProcessor p4Processor = FakeProcessor::WithLeaf1("GenuineIntel", 0xF29);
    ProcessorInfo p4(p4Processor);
    QCOMPARE(p4.CPU(), KnownCpu::cpuUnknown);
    QCOMPARE(p4.CPUName(), QStringLiteral("Intel"));
  }

  void lowerCaseVendorIsRecognised() {
    FakeProcessor infoProcessor = FakeProcessor::WithLeaf1("genuineintel", 0x683);
    ProcessorInfo info(infoProcessor);
    QCOMPARE(info.Vendor(), CpuVendor::vdIntel);
    QCOMPARE(info.VendorName(), QStringLiteral("genuineintel"));
    QCOMPARE(info.CPUName(), QStringLiteral("Pentium III"));
  }

  void amdCachesAndRawAssociativity() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("AuthenticAMD", 0x540);
    processor.Set(0x80000001, {0, 0, 0, 0x80000000});
    processor.Set(0x80000005, {0, 0, 0x20020220, 0x40041040});
    processor.Set(0x80000006, {0, 0, 0x01008140, 0});  // 256 KB, code 8 (16 ways), 1 line per tag, 64-byte lines
    ProcessorInfo info(processor);
    QCOMPARE(info.CPUName(), QStringLiteral("AMD"));  // family 5 model 4
    QCOMPARE(info.CPU(), KnownCpu::cpuUnknown);
    QCOMPARE(info.L1DataCache(), (CacheInfo{2, 32, 2, 32}));
    QCOMPARE(info.L1InstCache(), (CacheInfo{4, 64, 16, 64}));
    QCOMPARE(info.L2Cache(), (CacheInfo{8, 64, 1, 256}));  // the raw code 8, not 16 ways
    QVERIFY(info.L1CacheSupport() && info.L2CacheSupport());
    QVERIFY(info.FeatureFlags().AMD3DNow);
  }

  void amdLevel1SupportFollowsTheInstructionCache() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("AuthenticAMD", 0x580);
    processor.Set(0x80000005, {0, 0, 0x20020220, 0});  // data cache only
    ProcessorInfo info(processor);
    QVERIFY(!info.L1CacheSupport());
    QCOMPARE(info.L1DataCache().Size, 32);
    QCOMPARE(info.CPUName(), QStringLiteral("K6-2"));
    QVERIFY(!info.FeatureFlags().AMD3DNow);
  }

  void idtHasLevel1OnlyAnd3DNowFromLeaf1() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("CentaurHauls", 0x540, 0x80000000 | kTsc);
    processor.Set(0x80000005, {0, 0, 0x20040120, 0x20040120});
    processor.Set(0x80000006, {0, 0, 0x01008140, 0});
    ProcessorInfo info(processor);
    QCOMPARE(info.CPUName(), QStringLiteral("C6"));
    QCOMPARE(info.L1InstCache(), (CacheInfo{4, 32, 1, 32}));
    QVERIFY(info.L1CacheSupport());
    QVERIFY(!info.L2CacheSupport());
    QCOMPARE(info.L2Cache(), CacheInfo{});
    QVERIFY(info.FeatureFlags().AMD3DNow);
  }

  void cyrixAndRiseHaveNoCacheFacts() {
    FakeProcessor cyrix = FakeProcessor::WithLeaf1("CyrixInstead", 0x520, 0x80000000);
    cyrix.Set(0x80000005, {0, 0, 0x20040120, 0x20040120});
    ProcessorInfo info(cyrix);
    QCOMPARE(info.CPUName(), QStringLiteral("6x86"));
    QVERIFY(!info.L1CacheSupport());
    QCOMPARE(info.L1InstCache(), CacheInfo{});
    QVERIFY(!info.FeatureFlags().AMD3DNow);
    QCOMPARE(ProcessorInfo(FakeProcessor::WithLeaf1("RiseRiseRise", 0x500)).CPUName(), QStringLiteral("mP6"));
  }

  void unknownVendorStillReadsFlags() {
    FakeProcessor infoProcessor = FakeProcessor::WithLeaf1("VIA VIA VIA ", 0x6A9, kTsc | 1);
    ProcessorInfo info(infoProcessor);
    QVERIFY(info.HasCPUID());
    QCOMPARE(info.Vendor(), CpuVendor::vdUnknown);
    QCOMPARE(info.CPUName(), QStringLiteral("Unknown"));
    QVERIFY(info.FeatureFlags().FPU && info.FeatureFlags().TSC);
  }

  // Processors with extended family or model fields are named by their brand
  // string, and modern Intel caches come from leaf 4.
  void modernProcessorsUseTheirBrandString() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x906EA);  // a Coffee Lake signature
    processor.Set(2, {0, 0, 0, 0x0C000843});  // bytes the old table would read as Pentium III caches
    processor.SetBrand("       Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz   ");
    ProcessorInfo info(processor);
    QCOMPARE(info.CPU(), KnownCpu::cpuUnknown);
    QCOMPARE(info.CPUName(), QStringLiteral("Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"));
    QVERIFY(!info.L2CacheSupport());  // no leaf 4 here (highest leaf 0): nothing, rather than a wrong table entry
    QCOMPARE(info.Family(), 6);
    QCOMPARE(info.Model(), 14);  // the 4-bit model, as ever
  }

  void modernProcessorWithoutBrandIsNamedByVendor() {
    FakeProcessor intelProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x10676);
    ProcessorInfo intel(intelProcessor);
    QCOMPARE(intel.CPUName(), QStringLiteral("Intel"));
    FakeProcessor amdProcessor = FakeProcessor::WithLeaf1("AuthenticAMD", 0x100F22);
    ProcessorInfo amd(amdProcessor);
    QCOMPARE(amd.CPUName(), QStringLiteral("AMD"));
    QCOMPARE(amd.CPU(), KnownCpu::cpuUnknown);
  }

  void capturedIntelCoreI7_3960X() {
    FakeProcessor infoProcessor = FakeProcessor::FromCapture(QStringLiteral("intel-core-i7-3960x"));
    ProcessorInfo info(infoProcessor);
    QCOMPARE(info.Vendor(), CpuVendor::vdIntel);
    QCOMPARE(info.VendorName(), QStringLiteral("GenuineIntel"));
    QCOMPARE(info.CPUName(), QStringLiteral("Intel(R) Core(TM) i7-3960X CPU @ 3.30GHz"));
    QCOMPARE(info.CPU(), KnownCpu::cpuUnknown);
    QCOMPARE(info.Family(), 6);
    QCOMPARE(info.Model(), 0xD);
    QCOMPARE(info.Stepping(), 6);
    QCOMPARE(info.L1DataCache(), (CacheInfo{8, 64, 1, 32}));
    QCOMPARE(info.L1InstCache(), (CacheInfo{8, 64, 1, 32}));
    QCOMPARE(info.L2Cache(), (CacheInfo{8, 64, 1, 256}));  // level 3 (15 MB) is not the level-2 cache
    QVERIFY(info.L1CacheSupport() && info.L2CacheSupport());
    QVERIFY(info.FeatureFlags().TSC && info.FeatureFlags().XMM && info.FeatureFlags().PAE);
    QVERIFY(!info.FeatureFlags().PN);
  }

  void capturedIntelCore2StaysInTheTables() {
    // Family 6 model 15 without extended fields: the tables name it, as they always have.
    FakeProcessor infoProcessor = FakeProcessor::FromCapture(QStringLiteral("intel-core2-t7600"));
    ProcessorInfo info(infoProcessor);
    QCOMPARE(info.CPU(), KnownCpu::cpuPentium3);
    QCOMPARE(info.CPUName(), QStringLiteral("Pentium III"));
    QVERIFY(!info.L2CacheSupport());  // its leaf-2 bytes (0x49, 0x30, 0x2C) are not in the table
  }

  void capturedAmdFx8150() {
    FakeProcessor infoProcessor = FakeProcessor::FromCapture(QStringLiteral("amd-fx-8150"));
    ProcessorInfo info(infoProcessor);
    QCOMPARE(info.Vendor(), CpuVendor::vdAMD);
    QCOMPARE(info.CPUName(), QStringLiteral("AMD FX(tm)-8150 Eight-Core Processor"));
    QCOMPARE(info.Family(), 0xF);
    QCOMPARE(info.L1DataCache(), (CacheInfo{4, 64, 1, 16}));
    QCOMPARE(info.L1InstCache(), (CacheInfo{2, 64, 1, 64}));
    QCOMPARE(info.L2Cache(), (CacheInfo{16, 64, 1, 2048}));  // code 8 decoded: 16 ways
    QVERIFY(!info.FeatureFlags().AMD3DNow);
  }

  void capturedAthlon64KeepsTheTableName() {
    FakeProcessor infoProcessor = FakeProcessor::FromCapture(QStringLiteral("amd-athlon-64-3200"));
    ProcessorInfo info(infoProcessor);
    QCOMPARE(info.CPUName(), QStringLiteral("AMD"));  // family 15, no extended fields
    QCOMPARE(info.L1DataCache(), (CacheInfo{2, 64, 1, 64}));
    QCOMPARE(info.L2Cache(), (CacheInfo{8, 64, 1, 1024}));
    QVERIFY(info.FeatureFlags().AMD3DNow);
  }

  void capturedThisMachine() {
    FakeProcessor infoProcessor = FakeProcessor::FromCapture(QStringLiteral("amd-epyc-this-machine"));
    ProcessorInfo info(infoProcessor);
    QCOMPARE(info.CPUName(), QStringLiteral("AMD EPYC"));
    QCOMPARE(info.Family(), 0xF);
    QCOMPARE(info.Model(), 1);
    QCOMPARE(info.Stepping(), 1);
    QCOMPARE(info.L1DataCache(), (CacheInfo{8, 64, 1, 32}));
    // Extended family: code 6 is AMD's 8 ways. The capture has no cache
    // leaves, so the code is decoded.
    QCOMPARE(info.L2Cache(), (CacheInfo{8, 64, 1, 1024}));
    QVERIFY(info.FeatureFlags().TSC);
  }

  void amdCacheLeavesDescribeNewerProcessors() {
    FakeProcessor epyc = FakeProcessor::FromCapture(QStringLiteral("amd-epyc-cache-leaves"));
    ProcessorInfo info(epyc);
    QCOMPARE(info.L1DataCache(), (CacheInfo{8, 64, 1, 32}));
    QCOMPARE(info.L1InstCache(), (CacheInfo{8, 64, 1, 32}));
    QCOMPARE(info.L2Cache(), (CacheInfo{8, 64, 1, 512}));
    // Where the leaves and the code disagree, the leaves describe the cache.
    epyc.Set(0x8000001D, {0x143, (15u << 22) | 63, 1023, 0}, 2);  // 16 ways x 64 B x 1024 sets
    QCOMPARE(ProcessorInfo(epyc).L2Cache(), (CacheInfo{16, 64, 1, 1024}));
    // Without the topology extensions bit the leaves are not read.
    epyc.Set(0x80000001, {0x00a00f11, 0, 0x004003f3 & ~(1u << 22), 0x2fd3fbff});
    QCOMPARE(ProcessorInfo(epyc).L2Cache(), (CacheInfo{8, 64, 1, 512}));
  }

  void amdAssociativityCodes_data() {
    QTest::addColumn<uint32_t>("code");
    QTest::addColumn<int>("ways");
    const std::pair<uint32_t, int> rows[] = {{0x1, 1},    {0x2, 2},  {0x4, 4},  {0x6, 8},  {0x8, 16},
                                             {0xA, 32},   {0xB, 48}, {0xC, 64}, {0xD, 96}, {0xE, 128},
                                             {0xF, 8192}, {0x0, 0}};  // fully associative: every line
    for (const auto& [code, ways] : rows) QTest::addRow("code %X", code) << code << ways;
  }
  void amdAssociativityCodes() {
    QFETCH(uint32_t, code);
    QFETCH(int, ways);
    // 512 KB of 64-byte lines, family 0x17 (extended family 8), no cache leaves.
    FakeProcessor newer = FakeProcessor::WithLeaf1("AuthenticAMD", 0x00800F12);
    newer.Set(0x80000006, {0, 0, (512u << 16) | (code << 12) | (1u << 8) | 64, 0});
    QCOMPARE(int{ProcessorInfo(newer).L2Cache().Associativity}, ways);
    // Both extended fields zero: the raw code, as the tables' era reports it.
    FakeProcessor older = FakeProcessor::WithLeaf1("AuthenticAMD", 0xF48);
    older.Set(0x80000006, {0, 0, (512u << 16) | (code << 12) | (1u << 8) | 64, 0});
    QCOMPARE(uint32_t{ProcessorInfo(older).L2Cache().Associativity}, code);
  }

  void tickSpeedOfAThreeGigahertzCounter() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683, kTsc);
    processor.cyclesPerNanosecond = 3.0;
    ProcessorInfo info(processor);
    QElapsedTimer timer;
    timer.start();
    const double mhz = info.GetTickSpeed();
    QVERIFY2(std::abs(mhz - 3000) < 90, qPrintable(QString::number(mhz)));
    QVERIFY(Seconds(timer) > 0.8);  // 55 ms + 750 ms of sleeping
  }

  void measureSpeedBusyWaitsItsSeconds() {
    FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683, kTsc);
    processor.cyclesPerNanosecond = 2.0;
    ProcessorInfo info(processor);
    // Within 10 %: with tests side by side the thread may lose the processor
    // between the counter's reading and the clock's (a formula off by a
    // factor, or a wait not done, is still far outside).
    const double mhz = info.GetSpeed();
    QVERIFY2(std::abs(mhz - 2000) < 200, qPrintable(QString::number(mhz)));
    // Without a counter the wait is still done, and the result is 0.
    FakeProcessor stillProcessor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683, 0);
    ProcessorInfo still(stillProcessor);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(still.MeasureSpeed(1), 0.0);
    QVERIFY(Seconds(timer) >= 0.99);
    QCOMPARE(still.ReadTimeStamp(), 0);
  }

  void hardwareClockMeasurementsAgree() {
    ProcessorInfo info;
    if (!info.FeatureFlags().TSC) QSKIP("this processor has no time-stamp counter");
    // Within 3 % of each other in one of five tries: a loaded machine may
    // take the processor away between a clock's reading and the counter's
    // (25 ms of 750 is 3 %); a formula off by a factor never agrees.
    QStringList tries;
    bool agreed = false;
    for (int i = 0; i < 5 && !agreed; ++i) {
      const double tick = info.GetTickSpeed();
      const double counter = info.GetSpeed();
      tries << QStringLiteral("%1 vs %2").arg(tick).arg(counter);
      agreed = std::abs(tick - counter) < 0.03 * counter;
    }
    QVERIFY2(agreed, qPrintable(tries.join(QStringLiteral(", "))));
    QVERIFY(!info.CPUName().isEmpty());
  }

  void processorLineRoundsHalvesToEven() {
    QCOMPARE(ProcessorLine(QStringLiteral("Pentium III"), 499.8), QStringLiteral("Pentium III 500MHz"));
    QCOMPARE(ProcessorLine(QStringLiteral("K6-2"), 450.5), QStringLiteral("K6-2 450MHz"));
    QCOMPARE(ProcessorLine(QStringLiteral("K6-2"), 451.5), QStringLiteral("K6-2 452MHz"));
    QCOMPARE(ProcessorLine(QStringLiteral("Unknown"), 0), QStringLiteral("Unknown 0MHz"));
    QCOMPARE(ProcessorLine(QStringLiteral("AMD EPYC"), 2596.148), QStringLiteral("AMD EPYC 2596MHz"));
  }
};

QTEST_GUILESS_MAIN(ProcessorInfoTest)
#include "test_processor_info.moc"
