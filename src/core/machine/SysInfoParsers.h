// Pure parsers over the Linux files the system information is read from
// (/proc/meminfo, /proc/cpuinfo, os-release, /proc/asound, input devices,
// EDID, pci.ids, mountinfo, printers.conf) and the classification of a file
// system as a drive type. Tested with captured samples; any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/machine/DriveType.h"

namespace torvik {

struct MemInfo {
  int64_t total = 0;      // bytes
  int64_t available = 0;  // bytes
  int64_t swapTotal = 0;
  int64_t swapFree = 0;
};
// MemTotal, MemAvailable (MemFree when the kernel has no MemAvailable),
// SwapTotal, SwapFree, converted from kB.
std::optional<MemInfo> ParseMemInfo(const std::string& text);

// The first processor's block of /proc/cpuinfo; -1 or empty when missing.
struct CpuInfoFacts {
  QString vendorId;
  int family = -1;
  int model = -1;
  int stepping = -1;
};
CpuInfoFacts ParseCpuInfo(const std::string& text);
// "x86 Family 6 Model 15 Stepping 6"; empty when a field is missing.
QString CpuIdentifier(const CpuInfoFacts& facts);

// os-release: PRETTY_NAME and VERSION, unquoted.
struct OsRelease {
  QString prettyName;
  QString version;
};
OsRelease ParseOsRelease(const std::string& text);

struct SoundCard {
  int index = 0;
  QString shortName;
  QString longName;
};
std::vector<SoundCard> ParseAsoundCards(const std::string& text);

struct PcmDevice {
  int card = 0;
  int device = 0;
  QString name;
  bool playback = false;
  bool capture = false;
};
std::vector<PcmDevice> ParseAsoundPcm(const std::string& text);

// The ALSA driver's version as (major, minor): "... Version k6.1.0." gives 6.1.
std::optional<std::pair<int, int>> ParseAsoundVersion(const std::string& text);

// The cards that have a raw MIDI device, from /proc/asound/devices.
std::vector<int> ParseAsoundMidiCards(const std::string& text);

// The name of the first input device with a "mouse" handler.
std::optional<QString> ParseFirstMouse(const std::string& inputDevices);

// The monitor name descriptor (0xFC) of a 128-byte or longer EDID block.
std::optional<QString> ParseEdidMonitorName(const std::string& edid);

// The device's name in pci.ids, "Vendor Device" style as listed there.
std::optional<QString> ParsePciIdsName(const std::string& pciIds, uint16_t vendor, uint16_t device);

struct MountEntry {
  uint32_t major = 0;
  uint32_t minor = 0;
  QString mountPoint;
  QString fsType;
  QString source;
};
std::vector<MountEntry> ParseMountInfo(const std::string& text);

// The drive type of a file system of `fsType`. `hasBlockDevice`: it sits on
// a block device; `removable`: that device (or the disk it is a partition
// of) says it is removable.
int32_t ClassifyFileSystem(const QString& fsType, bool hasBlockDevice, bool removable);

// The default printer of CUPS's printers.conf, else its first printer.
std::optional<QString> ParseDefaultPrinter(const std::string& printersConf);

}  // namespace torvik
