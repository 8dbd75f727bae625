// The identification tables: vendor ids, every row of every vendor's naming
// table, and the Intel leaf-2 cache descriptors.
#include <QtTest>

#include "core/machine/ProcessorTables.h"

using namespace torvik;

Q_DECLARE_METATYPE(CpuVendor)
Q_DECLARE_METATYPE(KnownCpu)

class ProcessorNamesTest : public QObject {
  Q_OBJECT

 private slots:
  void vendorLookup_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<CpuVendor>("vendor");
    QTest::newRow("Intel") << "GenuineIntel" << CpuVendor::vdIntel;
    QTest::newRow("Intel lower case") << "genuineintel" << CpuVendor::vdIntel;
    QTest::newRow("AMD") << "AuthenticAMD" << CpuVendor::vdAMD;
    QTest::newRow("AMD mixed case") << "AUTHENTICamd" << CpuVendor::vdAMD;
    QTest::newRow("Centaur is IDT") << "CentaurHauls" << CpuVendor::vdIDT;
    QTest::newRow("Cyrix") << "CyrixInstead" << CpuVendor::vdCyrix;
    QTest::newRow("Rise") << "RiseRiseRise" << CpuVendor::vdRise;
    QTest::newRow("Hygon is unknown") << "HygonGenuine" << CpuVendor::vdUnknown;
    QTest::newRow("no CPUID") << "Unknown" << CpuVendor::vdUnknown;
    QTest::newRow("cut at the NUL") << QString::fromLatin1("GenuineIntel\0xx", 15) << CpuVendor::vdIntel;
    QTest::newRow("prefix is not enough") << "GenuineInte" << CpuVendor::vdUnknown;
  }
  void vendorLookup() {
    QFETCH(QString, id);
    QFETCH(CpuVendor, vendor);
    QCOMPARE(LookupVendor(id), vendor);
  }

  void naming_data() {
    QTest::addColumn<CpuVendor>("vendor");
    QTest::addColumn<int>("family");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("l2Support");
    QTest::addColumn<int>("l2Size");
    QTest::addColumn<KnownCpu>("cpu");
    QTest::addColumn<QString>("name");
    using enum KnownCpu;
    const CpuVendor intel = CpuVendor::vdIntel;
    auto row = [](const char* tag, CpuVendor v, int f, int m, bool s, int size, KnownCpu cpu, const char* name) {
      QTest::newRow(tag) << v << f << m << s << size << cpu << QString::fromLatin1(name);
    };
    row("486 model 0", intel, 4, 0, false, 0, cpu80486DX, "486DX");
    row("486 model 1", intel, 4, 1, false, 0, cpu80486DX, "486DX");
    row("486 model 2", intel, 4, 2, false, 0, cpu80486SX, "486SX");
    row("486 model 3", intel, 4, 3, false, 0, cpu80486DX2, "486DX2");
    row("486 model 4", intel, 4, 4, false, 0, cpu80486SL, "486SL");
    row("486 model 5", intel, 4, 5, false, 0, cpu80486SX2, "486SX2");
    row("486 model 6", intel, 4, 6, false, 0, cpu80486, "80486");
    row("486 model 7", intel, 4, 7, false, 0, cpu80486DX2WB, "486DX2 WriteBack");
    row("486 model 8", intel, 4, 8, false, 0, cpui486DX4, "DX4");
    row("486 model 9", intel, 4, 9, false, 0, cpu80486, "80486");
    row("486 model 15", intel, 4, 15, false, 0, cpu80486, "80486");
    row("P5 model 0", intel, 5, 0, false, 0, cpuP55C, "MMX Pentium");
    row("P5 model 1", intel, 5, 1, false, 0, cpuP5, "Pentium");
    row("P5 model 2", intel, 5, 2, false, 0, cpuP54C, "Pentium");
    row("P5 model 3", intel, 5, 3, false, 0, cpuP54C, "Pentium");
    row("P5 model 4", intel, 5, 4, false, 0, cpuP55C, "MMX Pentium");
    row("P5 model 15", intel, 5, 15, false, 0, cpuP55C, "MMX Pentium");
    row("P6 model 0", intel, 6, 0, false, 0, cpuPentium3, "Pentium III");
    row("P6 model 1", intel, 6, 1, false, 0, cpuPentiumPro, "Pentium Pro");
    row("P6 model 2", intel, 6, 2, false, 0, cpuPentiumPro, "Pentium Pro");
    row("P6 model 3", intel, 6, 3, false, 0, cpuPentium2, "Pentium II");
    row("P6 model 4", intel, 6, 4, false, 0, cpuPentium2, "Pentium II");
    row("P6 model 5 without L2", intel, 6, 5, false, 0, cpuCeleron, "Celeron");
    row("P6 model 5 512 KB", intel, 6, 5, true, 512, cpuPentium2orXeon, "Pentium II");
    row("P6 model 5 1 MB", intel, 6, 5, true, 1024, cpuXeon, "Pentium II Xeon");
    row("P6 model 5 256 KB", intel, 6, 5, true, 256, cpuXeon, "Pentium II Xeon");
    row("P6 model 6 128 KB", intel, 6, 6, true, 128, cpuCeleron, "Celeron");
    row("P6 model 6 256 KB", intel, 6, 6, true, 256, cpuMobilePentium2, "Mobile Pentium II");
    row("P6 model 6 no L2 size", intel, 6, 6, false, 0, cpuPentium2, "Pentium II");
    row("P6 model 6 512 KB", intel, 6, 6, true, 512, cpuPentium2, "Pentium II");
    row("P6 model 6 size without support", intel, 6, 6, false, 128, cpuCeleron, "Celeron");
    row("P6 model 7 512 KB", intel, 6, 7, true, 512, cpuPentium3orXeon, "Pentium III");
    row("P6 model 7 no L2", intel, 6, 7, false, 0, cpuPentium3orXeon, "Pentium III");
    row("P6 model 7 1 MB", intel, 6, 7, true, 1024, cpuPentium3Xeon, "Pentium III Xeon");
    row("P6 model 8", intel, 6, 8, false, 0, cpuPentium3, "Pentium III");
    row("P6 model 15", intel, 6, 15, false, 0, cpuPentium3, "Pentium III");
    row("Intel family 3", intel, 3, 0, false, 0, cpuUnknown, "Intel");
    row("Intel family 7", intel, 7, 0, false, 0, cpuUnknown, "Intel");
    row("Intel family 15", intel, 15, 2, true, 512, cpuUnknown, "Intel");

    const CpuVendor amd = CpuVendor::vdAMD;
    row("K5 model 0", amd, 5, 0, false, 0, cpuK5, "K5");
    row("K5 model 3", amd, 5, 3, false, 0, cpuK5, "K5");
    row("AMD 5/4", amd, 5, 4, false, 0, cpuUnknown, "AMD");
    row("AMD 5/5", amd, 5, 5, false, 0, cpuUnknown, "AMD");
    row("K6 model 6", amd, 5, 6, false, 0, cpuK6, "K6");
    row("K6 model 7", amd, 5, 7, false, 0, cpuK6, "K6");
    row("K6-2", amd, 5, 8, false, 0, cpuK62, "K6-2");
    row("K6-III", amd, 5, 9, false, 0, cpuK63, "K6-III");
    row("AMD 5/10", amd, 5, 10, false, 0, cpuUnknown, "AMD");
    row("AMD 5/15", amd, 5, 15, false, 0, cpuUnknown, "AMD");
    row("Athlon model 0", amd, 6, 0, false, 0, cpuK7, "Athlon");
    row("Athlon model 15", amd, 6, 15, false, 0, cpuK7, "Athlon");
    row("AMD family 4", amd, 4, 0, false, 0, cpuUnknown, "AMD");
    row("AMD family 15", amd, 15, 4, false, 0, cpuUnknown, "AMD");

    const CpuVendor cyrix = CpuVendor::vdCyrix;
    row("MediaGX", cyrix, 4, 4, false, 0, cpuMediaGX, "MediaGX");
    row("6x86", cyrix, 5, 2, false, 0, cpu6x86, "6x86");
    row("MII", cyrix, 6, 0, false, 0, cpuM2, "MII");
    row("Cyrix family 3", cyrix, 3, 0, false, 0, cpuUnknown, "Cyrix");

    const CpuVendor idt = CpuVendor::vdIDT;
    row("C6", idt, 5, 4, false, 0, cpuC6, "C6");
    row("WinChip 2", idt, 5, 8, false, 0, cpuWinChip2, "WinChip 2");
    row("IDT 5/9", idt, 5, 9, false, 0, cpuUnknown, "Winchip");
    row("IDT 6/4", idt, 6, 4, false, 0, cpuUnknown, "Winchip");

    row("mP6", CpuVendor::vdRise, 5, 0, false, 0, cpumP6, "mP6");
    row("Rise family 6", CpuVendor::vdRise, 6, 0, false, 0, cpuUnknown, "Rise");
    row("unknown vendor", CpuVendor::vdUnknown, 6, 8, false, 0, cpuUnknown, "Unknown");
  }
  void naming() {
    QFETCH(CpuVendor, vendor);
    QFETCH(int, family);
    QFETCH(int, model);
    QFETCH(bool, l2Support);
    QFETCH(int, l2Size);
    QFETCH(KnownCpu, cpu);
    QFETCH(QString, name);
    const CpuNaming naming = NameProcessor(vendor, family, model, l2Support, static_cast<uint16_t>(l2Size));
    QCOMPARE(naming.name, name);
    QCOMPARE(naming.cpu, cpu);
  }

  void kindsKeepTheirOrder() {
    QCOMPARE(static_cast<int>(KnownCpu::cpui486DX4), 11);
    QCOMPARE(static_cast<int>(KnownCpu::cpuPentium3), 30);
    QCOMPARE(static_cast<int>(KnownCpu::cpumP6), kKnownCpuCount - 1);
    QCOMPARE(static_cast<int>(CpuVendor::vdRise), 5);
  }

  void cacheDescriptors() {
    QCOMPARE(LookupLevel1Descriptor(0x06)->cache, (CacheInfo{4, 32, 0, 8}));
    QVERIFY(LookupLevel1Descriptor(0x06)->instruction);
    QCOMPARE(LookupLevel1Descriptor(0x08)->cache, (CacheInfo{4, 32, 0, 16}));
    QCOMPARE(LookupLevel1Descriptor(0x0A)->cache, (CacheInfo{2, 32, 0, 8}));
    QVERIFY(!LookupLevel1Descriptor(0x0A)->instruction);
    QCOMPARE(LookupLevel1Descriptor(0x0C)->cache, (CacheInfo{4, 32, 0, 16}));
    QVERIFY(!LookupLevel1Descriptor(0x2C).has_value());  // a later descriptor the table does not know
    const std::pair<uint8_t, CacheInfo> level2[] = {
        {0x41, {4, 32, 0, 128}},  {0x42, {4, 32, 0, 256}},  {0x43, {4, 32, 0, 512}},
        {0x44, {4, 32, 0, 1024}}, {0x45, {4, 32, 0, 2048}}, {0x82, {8, 32, 0, 256}},
    };
    for (const auto& [descriptor, cache] : level2) QCOMPARE(*LookupLevel2Descriptor(descriptor), cache);
    QVERIFY(!LookupLevel2Descriptor(0x49).has_value());
    QVERIFY(!LookupLevel2Descriptor(0x00).has_value());
  }
};

QTEST_GUILESS_MAIN(ProcessorNamesTest)
#include "test_processor_names.moc"
