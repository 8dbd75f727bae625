// The system snapshot: the Linux file parsers on captured samples, the
// drive classification, and SystemInfo over three captured machines (this
// virtual machine; a desktop with a GPU, sound card, mouse, monitor and
// printer; a laptop with tmpfs /tmp, NFS, a USB stick and a CD; a chroot).
#include <QCryptographicHash>
#include <QtTest>

#include "RootedSources.h"
#include "core/machine/MachineIdentity.h"
#include "core/machine/DriveClassifier.h"
#include "core/machine/SysInfoParsers.h"
#include "core/machine/SystemInfo.h"

using namespace torvik;
using testing::RootedSources;

Q_DECLARE_METATYPE(std::optional<torvik::platform::PathFileSystem>)

namespace {

std::string Data(const char* path) {
  QFile file(QStringLiteral(TORVIK_TEST_DATA "/") + QLatin1String(path));
  if (!file.open(QIODevice::ReadOnly)) qFatal("missing sample %s", path);
  return file.readAll().toStdString();
}

platform::SystemFacts DesktopSystem() {
  platform::SystemFacts s;
  s.kernelRelease = "6.5.0-35-generic";
  s.machine = "x86_64";
  s.hostName = "workstation";
  s.loginName = "hanako";
  s.fullName = "Hanako Yamada,Room 3,,";
  s.hasPasswdEntry = true;
  s.processorsOnline = 20;
  s.affinityMask = 0xFFFFF;
  s.pageSize = 4096;
  return s;
}

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

}  // namespace

class SysInfoTest : public QObject {
  Q_OBJECT

 private slots:
  void memInfo() {
    const auto desktop = ParseMemInfo(Data("sysinfo/desktop/proc/meminfo"));
    QVERIFY(desktop);
    QCOMPARE(desktop->total, int64_t{32'768'000} * 1024);
    QCOMPARE(desktop->available, int64_t{24'576'000} * 1024);
    QCOMPARE(desktop->swapFree, int64_t{2'097'148} * 1024);
    // An old kernel without MemAvailable: MemFree stands in.
    QCOMPARE(ParseMemInfo("MemTotal: 1000 kB\nMemFree: 400 kB\n")->available, 400 * 1024);
    QVERIFY(!ParseMemInfo("nonsense\n"));
    QVERIFY(ParseMemInfo(Data("sysinfo/vm/proc/meminfo"))->total > 0);
  }

  void cpuInfoFirstBlockOnly() {
    const CpuInfoFacts facts = ParseCpuInfo(Data("sysinfo/desktop/proc/cpuinfo"));
    QCOMPARE(facts.vendorId, QStringLiteral("GenuineIntel"));
    QCOMPARE(CpuIdentifier(facts), QStringLiteral("x86 Family 6 Model 151 Stepping 2"));
    QCOMPARE(CpuIdentifier(ParseCpuInfo("vendor_id : X\ncpu family : 6\n")), QString());
  }

  void osRelease() {
    const OsRelease release = ParseOsRelease(Data("sysinfo/desktop/etc/os-release"));
    QCOMPARE(release.prettyName, QStringLiteral("Ubuntu 22.04.4 LTS"));
    QCOMPARE(release.version, QStringLiteral("22.04.4 LTS (Jammy Jellyfish)"));
    QCOMPARE(ParseOsRelease("# comment\nPRETTY_NAME='Arch Linux'\n").prettyName, QStringLiteral("Arch Linux"));
  }

  void sound() {
    const auto cards = ParseAsoundCards(Data("sysinfo/desktop/proc/asound/cards"));
    QCOMPARE(cards.size(), size_t{2});
    QCOMPARE(cards[1].index, 1);
    QCOMPARE(cards[1].shortName, QStringLiteral("HDA Intel PCH"));
    QCOMPARE(cards[1].longName, QStringLiteral("HDA Intel PCH at 0x6004100000 irq 134"));
    const auto pcm = ParseAsoundPcm(Data("sysinfo/desktop/proc/asound/pcm"));
    QCOMPARE(pcm.size(), size_t{3});
    QCOMPARE(pcm[1].name, QStringLiteral("ALC897 Analog"));
    QVERIFY(pcm[1].playback && pcm[1].capture);
    QVERIFY(!pcm[2].playback && pcm[2].capture);
    QCOMPARE(*ParseAsoundVersion(Data("sysinfo/desktop/proc/asound/version")), std::make_pair(6, 5));
    QCOMPARE(*ParseAsoundVersion("Advanced Linux Sound Architecture Driver Version 1.0.25."), std::make_pair(1, 0));
    QCOMPARE(ParseAsoundMidiCards(Data("sysinfo/desktop/proc/asound/devices")), std::vector<int>{1});
  }

  void mouseMonitorAdapterPrinter() {
    QCOMPARE(*ParseFirstMouse(Data("sysinfo/desktop/proc/bus/input/devices")),
             QStringLiteral("Logitech USB Receiver Mouse"));
    QVERIFY(!ParseFirstMouse(Data("sysinfo/vm/proc/bus/input/devices")));
    QCOMPARE(*ParseEdidMonitorName(Data("sysinfo/desktop/sys/class/drm/card0-DP-1/edid")),
             QStringLiteral("DELL U2720Q"));
    QVERIFY(!ParseEdidMonitorName(std::string(100, '\0')));
    const std::string ids = Data("sysinfo/desktop/usr/share/misc/pci.ids");
    QCOMPARE(*ParsePciIdsName(ids, 0x1002, 0x73bf), QStringLiteral("Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]"));
    QVERIFY(!ParsePciIdsName(ids, 0x1002, 0x1234));
    QCOMPARE(*ParseDefaultPrinter(Data("sysinfo/desktop/etc/cups/printers.conf")), QStringLiteral("Canon_G3010"));
    QCOMPARE(*ParseDefaultPrinter("<Printer Only>\n</Printer>\n"), QStringLiteral("Only"));
    QVERIFY(!ParseDefaultPrinter("# none\n"));
  }

  void mountInfoAndClassification() {
    const auto mounts = ParseMountInfo(Data("sysinfo/laptop-usb/proc/self/mountinfo"));
    QCOMPARE(mounts.size(), size_t{6});
    QCOMPARE(mounts[4].mountPoint, QStringLiteral("/media/user/USB STICK"));  // \040 is a blank
    QCOMPARE(mounts[4].major, 8u);
    QCOMPARE(mounts[4].minor, 17u);
    QCOMPARE(mounts[3].fsType, QStringLiteral("nfs4"));
    QCOMPARE(mounts[3].source, QStringLiteral("fileserver:/export/home"));
    QCOMPARE(ClassifyFileSystem(QStringLiteral("ext4"), true, false), int32_t{kDriveFixed});
    QCOMPARE(ClassifyFileSystem(QStringLiteral("vfat"), true, true), int32_t{kDriveRemovable});
    QCOMPARE(ClassifyFileSystem(QStringLiteral("nfs4"), false, false), int32_t{kDriveRemote});
    QCOMPARE(ClassifyFileSystem(QStringLiteral("cifs"), false, false), int32_t{kDriveRemote});
    QCOMPARE(ClassifyFileSystem(QStringLiteral("iso9660"), true, true), int32_t{kDriveCdRom});
    QCOMPARE(ClassifyFileSystem(QStringLiteral("tmpfs"), false, false), int32_t{kDriveRamDisk});
    QCOMPARE(ClassifyFileSystem(QStringLiteral("overlay"), false, false), int32_t{kDriveUnknown});
  }

  void desktopSnapshot() {
    RootedSources sources(QStringLiteral("desktop"));
    sources.system = DesktopSystem();
    sources.nodes["/dev/nvme0n1p3"] = {259, 3};
    sources.volumes["/home/user"] = {4096, 250'000'000, 100'000'000};
    SystemInfo info(sources, ScreenFacts{2560, 1440, 24}, QStringLiteral("/home/user"));
    const SysInfoFacts& f = info.Facts();
    QCOMPARE(f.uiOwner, QStringLiteral("Hanako Yamada"));
    QCOMPARE(f.uiOrganization, QStringLiteral("?"));
    QCOMPARE(f.uiComputer, QStringLiteral("workstation"));
    QCOMPARE(f.osUser, QStringLiteral("hanako"));
    QCOMPARE(f.cpuArchitecture, uint16_t{9});
    QCOMPARE(f.cpuType, 8664);
    QCOMPARE(f.cpuNumber, 20);
    QCOMPARE(f.cpuActiveMask, 0xFFFFF);
    QCOMPARE(f.cpuVendor, QStringLiteral("GenuineIntel"));
    QCOMPARE(f.cpuVendorID, QStringLiteral("x86 Family 6 Model 151 Stepping 2"));
    QCOMPARE(f.cpuLevel, uint16_t{6});
    QCOMPARE(f.cpuRevision, uint16_t{(151 << 8) | 2});
    QCOMPARE(f.osMajorVersion, 6);
    QCOMPARE(f.osMinorVersion, 5);
    QCOMPARE(f.osBuildNumber, uint16_t{0});
    QCOMPARE(f.osCSDVersion, QStringLiteral("Ubuntu 22.04.4 LTS"));
    QCOMPARE(f.osVersionName, QStringLiteral("22.04.4 LTS (Jammy Jellyfish)"));
    QCOMPARE(f.osSerial, QStringLiteral("4c4c4544005a3510804bb7c04f4e4d32"));
    // Memory: 64-bit figures, no wrap at 2 GB.
    QCOMPARE(f.miTotalPhys, int64_t{32'768'000} * 1024);
    QCOMPARE(f.miFreePhys, int64_t{24'576'000} * 1024);
    QCOMPARE(f.miFreeMem, 75);
    QCOMPARE(f.miPageSize, 4096);
    QCOMPARE(f.dsScreenWidth, 2560);
    QCOMPARE(f.dsResolution, 24);
    QCOMPARE(f.dsDisplayDevice, QStringLiteral("amdgpu"));
    QCOMPARE(info.DisplayAdapter(), QStringLiteral("Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]"));
    QCOMPARE(f.ppMonitor, QStringLiteral("DELL U2720Q"));
    QCOMPARE(f.ppMouse, QStringLiteral("Logitech USB Receiver Mouse"));
    QCOMPARE(f.ppPrinter, QStringLiteral("Canon_G3010"));
    QCOMPARE(f.sdSoundDevice, QStringLiteral("HDA ATI HDMI at 0xfcb20000 irq 133"));
    QCOMPARE(f.sdWaveOut, QStringLiteral("HDMI 0 v6.5"));
    QCOMPARE(f.sdWaveIn, QStringLiteral("ALC897 Analog v6.5"));
    QCOMPARE(f.sdMIDIOut, QStringLiteral("HDA Intel PCH v6.5"));
    QCOMPARE(f.sdMixer, QStringLiteral("HDA ATI HDMI v6.5"));
    QVERIFY(f.sdAUX.isEmpty());
    // The home directory is a btrfs subvolume: its anonymous device is traced to its partition.
    QCOMPARE(f.diSign, QStringLiteral("/home/user"));
    QCOMPARE(f.diMediaType, int32_t{kDriveFixed});
    QCOMPARE(f.diFileSystem, QStringLiteral("btrfs"));
    QCOMPARE(f.diVolumeLabel, QStringLiteral("Home"));
    QCOMPARE(f.diSerialNumber, 0x9b1deb4du);
    QCOMPARE(f.diTotalSpace, int64_t{250'000'000} * 4096);
    QCOMPARE(f.diFreeSpace, int64_t{100'000'000} * 4096);
    QCOMPARE(f.diBytesPerSector, 512);
    QCOMPARE(f.diSectorsPerCluster, 8);
    QCOMPARE(f.diAvailableDisks, QStringLiteral("/run / /home"));
    QCOMPARE(f.diDiskCount, uint16_t{3});
  }

  void laptopDrives() {
    RootedSources sources(QStringLiteral("laptop-usb"));
    sources.system.machine = "x86_64";
    sources.system.pageSize = 4096;
    for (const char* path : {"/", "/tmp", "/mnt/nfs", "/media/user/USB STICK", "/media/cdrom", "/home/user"}) {
      sources.volumes[path] = {4096, 1000, 500};
    }
    SystemInfo info(sources, ScreenFacts{1366, 768, 24}, QStringLiteral("/home/user"));
    QCOMPARE(info.Facts().diMediaType, int32_t{kDriveFixed});
    QCOMPARE(info.Facts().diAvailableDisks,
             QStringLiteral("/ /tmp /mnt/nfs /media/user/USB STICK /media/cdrom"));  // proc is no drive
    QCOMPARE(info.Facts().diDiskCount, uint16_t{5});
    const std::pair<const char*, int32_t> paths[] = {
        {"/tmp", kDriveRamDisk},       {"/mnt/nfs", kDriveRemote},        {"/media/user/USB STICK", kDriveRemovable},
        {"/media/cdrom", kDriveCdRom}, {"/no/such/dir", kDriveNoRootDir},
    };
    SystemInfo& query = info;
    for (const auto& [path, type] : paths) {
      query.SetDiSign(QLatin1String(path));
      QCOMPARE(query.Facts().diSign, QLatin1String(path));
      QCOMPARE(query.Facts().diMediaType, type);
    }
    query.SetDiSign(QStringLiteral("/media/user/USB STICK"));
    QCOMPARE(query.Facts().diVolumeLabel, QStringLiteral("USB STICK"));
    QCOMPARE(query.Facts().diSerialNumber, 0xA1B2C3D4u);
    // A path that cannot be queried: the failure values.
    query.SetDiSign(QStringLiteral("/no/such/dir"));
    QCOMPARE(query.Facts().diTotalSpace, -1);
    QCOMPARE(query.Facts().diFreeSpace, -1);
    QCOMPARE(query.Facts().diBytesPerSector, -1);
    QCOMPARE(query.Facts().diFileSystem, QStringLiteral("?"));
    QCOMPARE(query.Facts().diVolumeLabel, QStringLiteral("?"));
    QCOMPARE(query.Facts().diSerialNumber, 0u);
    // Sources present without entries give "?", absent ones stay empty.
    QCOMPARE(info.Facts().sdSoundDevice, QStringLiteral("?"));
    QVERIFY(info.Facts().sdWaveOut.isEmpty());
    QVERIFY(info.Facts().ppMouse.isEmpty());    // no /proc/bus/input/devices
    QVERIFY(info.Facts().ppMonitor.isEmpty());  // no /sys/class/drm
    QCOMPARE(info.Facts().dsDisplayDevice, QStringLiteral("?"));
    QCOMPARE(info.DisplayAdapter(), QStringLiteral("?"));
    QVERIFY(info.Facts().uiOwner.isEmpty());  // no passwd entry
    QCOMPARE(info.Facts().osUser, QStringLiteral(".Default"));
    QCOMPARE(info.Facts().miFreeMem, 12);  // MemFree 0.9 of 8 GB: load 88
  }

  void virtualMachineWithoutDevices() {
    RootedSources sources(QStringLiteral("vm"));
    sources.system.machine = "x86_64";
    sources.system.pageSize = 4096;
    sources.system.hasPasswdEntry = true;
    sources.system.loginName = "root";
    sources.system.fullName = "root";
    sources.system.kernelRelease = "6.18.44-fc-v1300";
    sources.volumes["/root"] = {4096, 66'000'000, 21'000'000};
    SystemInfo info(sources, ScreenFacts{1024, 768, 24}, QStringLiteral("/root"));
    const SysInfoFacts& f = info.Facts();
    QCOMPARE(f.diMediaType, int32_t{kDriveFixed});
    QCOMPARE(f.diFileSystem, QStringLiteral("ext4"));
    QVERIFY(f.diVolumeLabel.isEmpty());  // no /dev/disk links
    QCOMPARE(f.ppMouse, QStringLiteral("?"));
    QCOMPARE(f.dsDisplayDevice, QStringLiteral("?"));
    QCOMPARE(info.DisplayAdapter(), QStringLiteral("?"));
    QCOMPARE(f.cpuVendorID, QStringLiteral("x86 Family 25 Model 17 Stepping 1"));
    QCOMPARE(f.osMajorVersion, 6);
    QCOMPARE(f.osMinorVersion, 18);
    QCOMPARE(f.osBuildNumber, uint16_t{44});
    QCOMPARE(f.osCSDVersion, QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    QCOMPARE(f.osMinApplicationAddress, 65536);
    QCOMPARE(f.miFreeVirtual, f.miTotalVirtual - 102'400 * 1024);
    QVERIFY(f.miTotalPhys > int64_t{2} * int64_t(kGiB));  // no 32-bit wrap
  }

  // A machine is known by its host name and a salted hash of its machine
  // id (the raw id never leaves it); without /etc/machine-id, by its name alone.
  void machineIdentity() {
    RootedSources desktop(QStringLiteral("desktop"));
    desktop.system.hostName = "desk-07";
    const MachineIdentity identity = IdentityOf(desktop);
    QCOMPARE(identity.hostName, QStringLiteral("desk-07"));
    QCOMPARE(identity.machineId.size(), 32);
    QCOMPARE(identity.machineId, MachineIdOf(QStringLiteral("4c4c4544005a3510804bb7c04f4e4d32\n")));
    QVERIFY(!identity.machineId.contains(QStringLiteral("4c4c4544005a")));
    QVERIFY(!QCryptographicHash::hash("4c4c4544005a3510804bb7c04f4e4d32", QCryptographicHash::Sha256)
                 .toHex()
                 .startsWith(identity.machineId.toLatin1()));  // salted: not the bare id's hash
    QVERIFY(MachineIdOf(QStringLiteral("4c4c4544005a3510804bb7c04f4e4d33")) != identity.machineId);
    QVERIFY(IdentityOf(RootedSources(QStringLiteral("laptop-usb"))).machineId.isEmpty());
  }

  // Inside a chroot the mount table lists only the mounts made in it: the
  // path's own file system decides.
  void chrootHomeByItsOwnFileSystem_data() {
    QTest::addColumn<std::optional<platform::PathFileSystem>>("own");
    QTest::addColumn<int32_t>("type");
    QTest::addColumn<QString>("fsType");
    QTest::newRow("a disk partition") << std::optional(platform::PathFileSystem{254, 0, "ext4"}) << int32_t{kDriveFixed}
                                      << "ext4";
    QTest::newRow("memory") << std::optional(platform::PathFileSystem{0, 45, "tmpfs"}) << int32_t{kDriveRamDisk}
                            << "tmpfs";
    QTest::newRow("an overlay") << std::optional(platform::PathFileSystem{0, 51, "overlay"}) << int32_t{kDriveUnknown}
                                << "overlay";
    QTest::newRow("nothing known") << std::optional<platform::PathFileSystem>() << int32_t{kDriveUnknown} << "";
  }
  void chrootHomeByItsOwnFileSystem() {
    QFETCH(std::optional<platform::PathFileSystem>, own);
    QFETCH(int32_t, type);
    QFETCH(QString, fsType);
    RootedSources sources(QStringLiteral("chroot"));
    if (own) sources.fileSystems["/home/ann"] = *own;
    sources.volumes["/home/ann"] = {4096, 1000, 500};
    QCOMPARE(DriveTypeOf(sources, QStringLiteral("/home/ann")), type);
    SystemInfo info(sources, ScreenFacts{1024, 768, 24}, QStringLiteral("/home/ann"));
    QCOMPARE(info.Facts().diMediaType, type);
    QCOMPARE(info.Facts().diFileSystem, fsType);
    QCOMPARE(info.Facts().diAvailableDisks, QStringLiteral("/tmp/.X11-unix"));  // the mounts it shows
  }

  void thisMachine() {
    SystemInfo info(platform::SystemSources::Default(), ScreenFacts{1024, 768, 24}, QDir::homePath());
    const SysInfoFacts& f = info.Facts();
    qInfo() << "owner" << f.uiOwner << "computer" << f.uiComputer << "user" << f.osUser;
    qInfo() << "cpu" << f.cpuArchitecture << f.cpuType << f.cpuNumber << f.cpuActiveMask << f.cpuLevel << f.cpuRevision
            << f.cpuVendor << f.cpuVendorID;
    qInfo() << "os" << f.osMajorVersion << f.osMinorVersion << f.osBuildNumber << f.osPlatformId << f.osCSDVersion
            << f.osVersionName << f.osSerial << Qt::hex << f.osMinApplicationAddress << f.osMaxApplicationAddress;
    qInfo() << "memory" << Qt::dec << f.miTotalPhys << f.miFreePhys << f.miTotalVirtual << f.miFreeVirtual
            << f.miTotalPageFile << f.miFreePageFile << f.miFreeMem << f.miPageSize;
    qInfo() << "display" << f.dsDisplayDevice << info.DisplayAdapter() << "monitor" << f.ppMonitor << "mouse"
            << f.ppMouse << "printer" << f.ppPrinter;
    qInfo() << "sound" << f.sdSoundDevice << f.sdWaveOut << f.sdWaveIn << f.sdMIDIOut << f.sdMixer;
    qInfo() << "drive" << f.diSign << f.diMediaType << f.diFileSystem << f.diTotalSpace << f.diFreeSpace
            << f.diBytesPerSector << f.diSectorsPerCluster << f.diTotalClusters << f.diVolumeLabel << f.diSerialNumber;
    qInfo() << "disks" << f.diDiskCount << f.diAvailableDisks;
    QVERIFY(f.miTotalPhys > 0);
    QVERIFY(f.cpuNumber >= 1);
    QVERIFY(!f.osUser.isEmpty());
    QVERIFY(f.diTotalSpace > 0);
    // What holds on every Linux, a chroot or a container included (where "/"
    // need not be a mount of its own): the list and its count agree.
    const QStringList disks = f.diAvailableDisks.split(u' ', Qt::SkipEmptyParts);
    QCOMPARE(int(f.diDiskCount), int(disks.size()));
    for (const QString& disk : disks) QVERIFY2(disk.startsWith(u'/'), qPrintable(disk));
  }
};

QTEST_GUILESS_MAIN(SysInfoTest)
#include "test_sysinfo.moc"
