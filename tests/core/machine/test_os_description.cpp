// The OS description for every platform rule, and the display-device
// description through a fake registry for the Windows rules and from the DRM
// adapter on Linux.
#include <QtTest>

#include "core/base/Errors.h"
#include "core/machine/OsDescription.h"

using namespace torvik;

namespace {

VersionRecord Record(int32_t platform, int32_t major, int32_t minor, uint32_t build, const QString& csd = {}) {
  return VersionRecord{platform, major, minor, build, csd};
}

class FakeRegistry : public RegistryView {
 public:
  std::optional<Key> Open(const QString& path) const override {
    opened << path;
    auto it = keys.find(path);
    return it == keys.end() ? std::nullopt : std::optional(it->second);
  }
  std::map<QString, Key> keys;
  mutable QStringList opened;
};

}  // namespace

class OsDescriptionTest : public QObject {
  Q_OBJECT

 private slots:
  void osDescription_data() {
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<uint>("build");
    QTest::addColumn<QString>("csd");
    QTest::addColumn<QString>("description");
    QTest::newRow("Windows 95") << 1 << 4 << 0 << 0x040003B6u << ""
                                << "Windows95 4.0 (Build 950)";
    QTest::newRow("Windows 98 SE, two blanks") << 1 << 4 << 10 << 0x040A08AEu << "  "
                                               << "Windows98 4.10 (Build 2222: Service Pack 1)";
    QTest::newRow("Windows 98, blank A blank") << 1 << 4 << 10 << 0x040A07CEu << " A "
                                               << "Windows98 4.10 (Build 1998:  A )";
    QTest::newRow("NT 4 SP6") << 2 << 4 << 0 << 1381u << "Service Pack 6"
                              << "WindowsNT 4.0 (Build 1381: Service Pack 6)";
    QTest::newRow("XP is 2000 family") << 2 << 5 << 1 << 2600u << ""
                                       << "Windows2000 5.1 (Build 2600)";
    QTest::newRow("NT keeps the whole build") << 2 << 5 << 0 << 0x10000u << ""
                                              << "Windows2000 5.0 (Build 65536)";
    QTest::newRow("Win32s") << 0 << 3 << 10 << 0u << "x"
                            << "Windows 3.10";
    QTest::newRow("failed query") << 0 << 0 << 0 << 0u << ""
                                  << "Windows 0.0";
    QTest::newRow("Linux") << int(kPlatformLinux) << 6 << 18 << 44u << "Debian GNU/Linux 12 (bookworm)"
                           << "Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))";
    QTest::newRow("Linux without os-release") << int(kPlatformLinux) << 6 << 1 << 0u << ""
                                              << "Linux 6.1 (Build 0)";
  }
  void osDescription() {
    QFETCH(int, platform);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(uint, build);
    QFETCH(QString, csd);
    QFETCH(QString, description);
    QCOMPARE(BuildOsDescription(Record(platform, major, minor, build, csd)), description);
  }

  void linuxRecordFromTheKernelRelease() {
    const VersionRecord r =
        LinuxVersionRecord(QStringLiteral("6.18.44-fc-v1300"), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    QCOMPARE(BuildOsDescription(r), QStringLiteral("Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))"));
    const VersionRecord short_ = LinuxVersionRecord(QStringLiteral("5.10"), QString());
    QCOMPARE(BuildOsDescription(short_), QStringLiteral("Linux 5.10 (Build 0)"));
  }

  void ntVideoMapIsFollowed() {
    FakeRegistry registry;
    registry.keys["HARDWARE\\DEVICEMAP\\VIDEO\\"] = {
        {"\\Device\\Video0",
         QStringLiteral("\\REGISTRY\\Machine\\System\\CurrentControlSet\\Services\\mga64\\Device0")}};
    registry.keys["System\\CurrentControlSet\\Services\\mga64\\Enum"] = {
        {"0", QStringLiteral("Root\\LEGACY_MGA64\\0000")}};
    registry.keys["SYSTEM\\CONTROLSET001\\enum\\ROOT\\LEGACY_MGA64\\0000"] = {
        {"DeviceDesc", QStringLiteral("Matrox Millennium")}};
    QCOMPARE(BuildDisplayDescription(Record(2, 4, 0, 1381), QStringLiteral("?"), registry, {}),
             QStringLiteral("Matrox Millennium"));
    QVERIFY(registry.opened.contains(QStringLiteral("System\\CurrentControlSet\\Services\\mga64\\Enum")));
  }

  void ntInstanceWithoutRootIsAppendedWhole() {
    FakeRegistry registry;
    registry.keys["HARDWARE\\DEVICEMAP\\VIDEO\\"] = {{"\\Device\\Video0", QStringLiteral("Svc\\vga\\Device0")}};
    registry.keys["Svc\\vga\\Enum"] = {{"0", QStringLiteral("PCI\\VEN_1002")}};
    const QString description = BuildDisplayDescription(Record(2, 5, 0, 2195), QStringLiteral("vga.drv"), registry, {});
    QVERIFY(registry.opened.contains(QStringLiteral("SYSTEM\\CONTROLSET001\\enum\\ROOT\\PCI\\VEN_1002")));
    QCOMPARE(description, QStringLiteral("vga.drv"));  // that key does not open
  }

  void win9xClassKeyAndCurrentConfig() {
    FakeRegistry registry;
    registry.keys["System\\CurrentControlSet\\Services\\Class\\Display\\0000"] = {
        {"DriverDesc", QStringLiteral("S3 Trio64V+")}};
    QCOMPARE(BuildDisplayDescription(Record(1, 4, 10, 2222), QStringLiteral("pci.drv"), registry, {}),
             QStringLiteral("S3 Trio64V+"));
    registry.keys["System\\CurrentControlSet\\control\\IDConfigDB"] = {{"CurrentConfig", QStringLiteral("0001")}};
    registry.keys["System\\CurrentControlSet\\Services\\Class\\Display\\0001"] = {
        {"DriverDesc", QStringLiteral("ATI Rage")}};
    QCOMPARE(BuildDisplayDescription(Record(1, 4, 10, 2222), QStringLiteral("pci.drv"), registry, {}),
             QStringLiteral("ATI Rage"));
  }

  void keyWithoutTheValueGivesEmpty() {
    FakeRegistry registry;
    registry.keys["System\\CurrentControlSet\\Services\\Class\\Display\\0000"] = {};
    QCOMPARE(BuildDisplayDescription(Record(1, 4, 0, 950), QStringLiteral("svga.drv"), registry, {}), QString());
  }

  void nothingOpensKeepsTheSystemIniEntry() {
    FakeRegistry registry;
    QCOMPARE(BuildDisplayDescription(Record(1, 4, 0, 950), QStringLiteral("?"), registry, {}), QStringLiteral("?"));
    QCOMPARE(BuildDisplayDescription(Record(2, 4, 0, 1381), QStringLiteral("vga.drv"), registry, {}),
             QStringLiteral("vga.drv"));
    QCOMPARE(BuildDisplayDescription(Record(0, 3, 10, 0), QStringLiteral("x.drv"), registry, {}),
             QStringLiteral("x.drv"));
  }

  void wrongTypeRaises() {
    FakeRegistry registry;
    registry.keys["System\\CurrentControlSet\\Services\\Class\\Display\\0000"] = {{"DriverDesc", QVariant(42)}};
    try {
      BuildDisplayDescription(Record(1, 4, 0, 950), QStringLiteral("?"), registry, {});
      QFAIL("no error");
    } catch (const TorvikError& error) {
      QCOMPARE(error.Message(), QStringLiteral("'DriverDesc' のﾃﾞｰﾀ型が不正です"));
    }
  }

  void linuxTakesTheAdapter() {
    FakeRegistry registry;
    const VersionRecord linux_ = LinuxVersionRecord(QStringLiteral("6.1.0"), QString());
    QCOMPARE(BuildDisplayDescription(linux_, QStringLiteral("amdgpu"), registry, QStringLiteral("Navi 21")),
             QStringLiteral("Navi 21"));
    QCOMPARE(BuildDisplayDescription(linux_, QStringLiteral("?"), registry, QString()), QStringLiteral("?"));
    QVERIFY(registry.opened.isEmpty());
  }
};

QTEST_GUILESS_MAIN(OsDescriptionTest)
#include "test_os_description.moc"
