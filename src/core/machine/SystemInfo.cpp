#include "core/machine/SystemInfo.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "core/machine/DriveClassifier.h"
#include "core/machine/SysInfoParsers.h"

namespace torvik {
namespace {

QString Text(const std::string& value) { return QString::fromUtf8(value.c_str()).trimmed(); }

// "?" when a present source lacks the entry.
QString OrQuestion(const QString& value) { return value.isEmpty() ? QStringLiteral("?") : value; }

uint16_t ArchitectureOf(const std::string& machine) {
  if (machine == "x86_64") return 9;                                                    // AMD64
  if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86") return 0;  // x86
  if (machine == "aarch64") return 12;                                                  // ARM64
  if (machine.rfind("arm", 0) == 0) return 5;
  return 0xFFFF;
}

// "0x1002" -> 0x1002; 0 when absent or not a number.
uint16_t HexWord(const std::optional<std::string>& text) {
  return text ? Text(*text).remove(QStringLiteral("0x")).toUShort(nullptr, 16) : 0;
}

}  // namespace

SystemInfo::SystemInfo(const platform::SystemSources& sources, ScreenFacts screen, const QString& initialPath)
    : sources_(sources) {
  facts_.About = QStringLiteral("TMSysInfo: a snapshot of this machine, taken when TORVIK starts");
  const platform::SystemFacts system = sources_.System();
  GatherMemory(system);
  GatherProcessor(system);
  GatherOperatingSystem(system);
  facts_.osUser = system.loginName.empty() ? QStringLiteral(".Default") : Text(system.loginName);
  facts_.uiComputer = Text(system.hostName);
  // The owner is the account's full name; Linux keeps no organization.
  facts_.uiOwner = system.hasPasswdEntry ? OrQuestion(Text(system.fullName).section(u',', 0, 0).trimmed()) : QString();
  facts_.uiOrganization = QStringLiteral("?");
  facts_.dsScreenWidth = screen.width;
  facts_.dsScreenHeight = screen.height;
  facts_.dsResolution = screen.depth;
  GatherSound();
  GatherDisplay();
  GatherPeripherals();
  GatherFileSystems();
  SetDiSign(initialPath);
}

void SystemInfo::GatherMemory(const platform::SystemFacts& system) {
  MemInfo memory{system.totalRam, system.freeRam, system.totalSwap, system.freeSwap};
  if (const auto text = sources_.ReadFile("/proc/meminfo")) {
    if (const auto parsed = ParseMemInfo(*text)) memory = *parsed;
  }
  facts_.miTotalPhys = memory.total;
  facts_.miFreePhys = memory.available;
  facts_.miTotalPageFile = memory.swapTotal;
  facts_.miFreePageFile = memory.swapFree;
  const int64_t load = memory.total > 0 ? (memory.total - memory.available) * 100 / memory.total : 0;
  facts_.miFreeMem = static_cast<int32_t>(100 - load);
  facts_.miPageSize = static_cast<int32_t>(system.pageSize);
  facts_.miAllocationGranularity = static_cast<int32_t>(system.pageSize);

  // The user address space, and what this process has not taken of it.
  int64_t minAddress = 65'536;
  if (const auto text = sources_.ReadFile("/proc/sys/vm/mmap_min_addr")) minAddress = Text(*text).toLongLong();
  const int64_t maxAddress = sizeof(void*) == 8 ? (int64_t{1} << 47) - system.pageSize - 1 : 0xBFFFFFFF;
  facts_.osMinApplicationAddress = minAddress;
  facts_.osMaxApplicationAddress = maxAddress;
  facts_.miTotalVirtual = maxAddress - minAddress + 1;
  int64_t used = 0;
  if (const auto status = sources_.ReadFile("/proc/self/status")) {
    for (const QString& line : QString::fromUtf8(status->c_str()).split(u'\n')) {
      if (line.startsWith(QStringLiteral("VmSize:")))
        used = line.mid(7).trimmed().section(u' ', 0, 0).toLongLong() * 1024;
    }
  }
  facts_.miFreeVirtual = facts_.miTotalVirtual - used;
}

void SystemInfo::GatherProcessor(const platform::SystemFacts& system) {
  facts_.cpuArchitecture = ArchitectureOf(system.machine);
  facts_.cpuType = facts_.cpuArchitecture == 9 ? 8664 : facts_.cpuArchitecture == 0 ? 586 : 0;
  facts_.cpuActiveMask = static_cast<int32_t>(system.affinityMask & 0xFFFFFFFFu);
  facts_.cpuNumber = system.processorsOnline;
  if (const auto text = sources_.ReadFile("/proc/cpuinfo")) {
    const CpuInfoFacts cpu = ParseCpuInfo(*text);
    facts_.cpuVendor = OrQuestion(cpu.vendorId);
    facts_.cpuVendorID = OrQuestion(CpuIdentifier(cpu));
    if (cpu.family >= 0) facts_.cpuLevel = static_cast<uint16_t>(cpu.family);
    if (cpu.model >= 0 && cpu.stepping >= 0)
      facts_.cpuRevision = static_cast<uint16_t>((cpu.model << 8) | cpu.stepping);
  }
}

void SystemInfo::GatherOperatingSystem(const platform::SystemFacts& system) {
  OsRelease release;
  const auto osRelease = sources_.ReadFile("/etc/os-release");
  if (osRelease) {
    release = ParseOsRelease(*osRelease);
    facts_.osVersionName = OrQuestion(release.version);
  }
  version_ = LinuxVersionRecord(Text(system.kernelRelease), release.prettyName.left(128));
  facts_.osMajorVersion = version_.majorVersion;
  facts_.osMinorVersion = version_.minorVersion;
  facts_.osBuildNumber = static_cast<uint16_t>(version_.buildNumber & 0xFFFF);
  facts_.osPlatformId = version_.platformId;
  facts_.osCSDVersion = version_.csdVersion;
  if (const auto machineId = sources_.ReadFile("/etc/machine-id")) facts_.osSerial = OrQuestion(Text(*machineId));
}

void SystemInfo::GatherSound() {
  const auto cardsText = sources_.ReadFile("/proc/asound/cards");
  if (!cardsText) return;  // no ALSA: every sound fact stays empty
  const std::vector<SoundCard> cards = ParseAsoundCards(*cardsText);
  facts_.sdSoundDevice = cards.empty() ? QStringLiteral("?") : cards.front().longName;
  QString version;
  if (const auto text = sources_.ReadFile("/proc/asound/version")) {
    if (const auto v = ParseAsoundVersion(*text)) version = QStringLiteral(" v%1.%2").arg(v->first).arg(v->second);
  }
  auto device = [&](const QString& name) { return name.left(32) + version; };
  auto cardName = [&](int index) {
    for (const SoundCard& card : cards) {
      if (card.index == index) return card.shortName;
    }
    return QString();
  };
  const std::vector<PcmDevice> pcms = ParseAsoundPcm(sources_.ReadFile("/proc/asound/pcm").value_or(""));
  for (const PcmDevice& pcm : pcms) {
    if (pcm.playback && facts_.sdWaveOut.isEmpty()) facts_.sdWaveOut = device(pcm.name);
    if (pcm.capture && facts_.sdWaveIn.isEmpty()) facts_.sdWaveIn = device(pcm.name);
  }
  const std::vector<int> midi = ParseAsoundMidiCards(sources_.ReadFile("/proc/asound/devices").value_or(""));
  if (!midi.empty()) facts_.sdMIDIOut = facts_.sdMIDIIn = device(cardName(midi.front()));
  if (!cards.empty()) facts_.sdMixer = device(cards.front().shortName);
  // There is no counterpart of an auxiliary audio device: sdAUX stays empty.
}

void SystemInfo::GatherDisplay() {
  const std::vector<std::string> entries = sources_.ListDirectory("/sys/class/drm");
  std::vector<std::string> cards, connectors;
  for (const std::string& name : entries) {
    if (name.rfind("card", 0) != 0) continue;
    (name.find('-') == std::string::npos ? cards : connectors).push_back(name);
  }
  std::sort(cards.begin(), cards.end());
  std::sort(connectors.begin(), connectors.end());
  facts_.dsDisplayDevice = QStringLiteral("?");
  displayAdapter_ = QStringLiteral("?");
  if (!cards.empty()) {
    const std::string device = "/sys/class/drm/" + cards.front() + "/device";
    QString driver;
    if (const auto link = sources_.ReadLink(device + "/driver")) driver = QFileInfo(Text(*link)).fileName();
    if (!driver.isEmpty()) facts_.dsDisplayDevice = displayAdapter_ = driver;
    const uint16_t vendor = HexWord(sources_.ReadFile(device + "/vendor"));
    const uint16_t model = HexWord(sources_.ReadFile(device + "/device"));
    for (const char* ids : {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"}) {
      const auto text = sources_.ReadFile(ids);
      if (!text) continue;
      if (const auto name = ParsePciIdsName(*text, vendor, model)) displayAdapter_ = *name;
      break;
    }
  }
  if (!entries.empty()) {
    facts_.ppMonitor = QStringLiteral("?");
    for (const std::string& connector : connectors) {
      const auto edid = sources_.ReadFile("/sys/class/drm/" + connector + "/edid");
      if (!edid) continue;
      if (const auto name = ParseEdidMonitorName(*edid)) {
        facts_.ppMonitor = *name;
        break;
      }
    }
  }
}

void SystemInfo::GatherPeripherals() {
  if (const auto devices = sources_.ReadFile("/proc/bus/input/devices")) {
    facts_.ppMouse = ParseFirstMouse(*devices).value_or(QStringLiteral("?"));
  }
  if (const auto printers = sources_.ReadFile("/etc/cups/printers.conf")) {
    facts_.ppPrinter = ParseDefaultPrinter(*printers).value_or(QStringLiteral("?"));
  }
}

void SystemInfo::GatherFileSystems() {
  const std::vector<MountEntry> mounts = ParseMountInfo(sources_.ReadFile("/proc/self/mountinfo").value_or(""));
  QStringList points;
  for (const MountEntry& mount : mounts) {
    if (points.contains(mount.mountPoint)) continue;
    if (ClassifyMountedPath(sources_, mounts, mount.mountPoint.toStdString()).type > kDriveNoRootDir) {
      points << mount.mountPoint;
    }
  }
  facts_.diAvailableDisks = points.join(u' ');
  facts_.diDiskCount = static_cast<uint16_t>(points.size());
}

void SystemInfo::SetDiSign(const QString& path) {
  facts_.diSign = path;
  // Only an absolute path names a place on a disk; anything else has no root.
  const auto resolved = path.startsWith(u'/') ? sources_.RealPath(path.toStdString()) : std::nullopt;
  const std::vector<MountEntry> mounts = ParseMountInfo(sources_.ReadFile("/proc/self/mountinfo").value_or(""));
  const DriveClass drive = resolved ? ClassifyPath(sources_, mounts, *resolved) : DriveClass{};
  facts_.diMediaType = drive.type;
  const QString& fsType = drive.fsType;
  const std::string& device = drive.deviceNode;
  const auto volume = resolved ? sources_.Volume(*resolved) : std::nullopt;
  if (!volume) {
    facts_.diCompressed = false;
    facts_.diTotalSpace = facts_.diFreeSpace = -1;
    facts_.diSectorsPerCluster = facts_.diBytesPerSector = -1;
    facts_.diTotalClusters = -1;
    facts_.diFileSystem = facts_.diVolumeLabel = QStringLiteral("?");
    facts_.diSerialNumber = 0;
    return;
  }
  facts_.diCompressed = false;
  facts_.diTotalSpace = static_cast<int64_t>(volume->blocks * volume->blockSize);
  facts_.diFreeSpace = static_cast<int64_t>(volume->blocksAvailable * volume->blockSize);
  int32_t sector = 512;
  if (!device.empty()) {
    std::string disk = device;
    if (sources_.ReadFile(device + "/partition")) {
      if (const auto real = sources_.RealPath(device)) disk = real->substr(0, real->rfind('/'));
    }
    if (const auto size = sources_.ReadFile(disk + "/queue/logical_block_size"))
      sector = std::max(1, Text(*size).toInt());
  }
  facts_.diBytesPerSector = sector;
  facts_.diSectorsPerCluster = static_cast<int32_t>(std::max<uint64_t>(1, volume->blockSize / sector));
  facts_.diTotalClusters = static_cast<int64_t>(volume->blocks);
  facts_.diFileSystem = fsType;
  facts_.diVolumeLabel.clear();
  facts_.diSerialNumber = 0;
  // Label and serial: the /dev/disk links that name this device's node.
  const auto node = device.empty() ? std::nullopt : sources_.RealPath(device);
  const QString nodeName = node ? QFileInfo(QString::fromStdString(*node)).fileName() : QString();
  if (nodeName.isEmpty()) return;
  auto linkedName = [&](const char* directory) -> QString {
    for (const std::string& name : sources_.ListDirectory(directory)) {
      const auto target = sources_.ReadLink(std::string(directory) + "/" + name);
      if (target && QFileInfo(Text(*target)).fileName() == nodeName) return QString::fromStdString(name);
    }
    return {};
  };
  facts_.diVolumeLabel = linkedName("/dev/disk/by-label").replace(QStringLiteral("\\x20"), QStringLiteral(" "));
  const QString uuid = linkedName("/dev/disk/by-uuid").remove(u'-');
  facts_.diSerialNumber = uuid.left(8).toUInt(nullptr, 16);
}

}  // namespace torvik
