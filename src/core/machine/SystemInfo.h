// SystemInfo: a snapshot of the machine taken when it is created: user and
// computer identity, processor figures, the OS version, memory, screen,
// sound devices, mouse, printer and monitor, the file systems in use, and
// the details of one selected test path (diSign), which is queried afresh
// whenever it is assigned. Read from Linux sources through SystemSources:
// a source that is absent leaves its facts empty; a source that is present
// but lacks the entry gives "?". GUI thread.
#pragma once

#include <QString>
#include <cstdint>

#include "core/machine/OsDescription.h"
#include "core/machine/SysInfoParsers.h"
#include "platform/SystemSources.h"

namespace torvik {

struct ScreenFacts {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;  // bits per pixel
};

// The published facts, named as the component publishes them. Memory and
// disk sizes are 64-bit: a signed 32-bit copy would wrap from 2 GB up.
struct SysInfoFacts {
  QString About;
  QString uiOrganization, uiOwner, uiComputer;
  uint16_t cpuArchitecture = 0;
  int32_t cpuType = 0, cpuActiveMask = 0, cpuNumber = 0;
  uint16_t cpuLevel = 0, cpuRevision = 0;
  QString cpuVendor, cpuVendorID;
  int32_t osMajorVersion = 0, osMinorVersion = 0;
  uint16_t osBuildNumber = 0;
  int32_t osPlatformId = 0;
  QString osCSDVersion;
  int64_t osMinApplicationAddress = 0, osMaxApplicationAddress = 0;
  QString osVersionName, osUser, osSerial;
  QString dsDisplayDevice;
  int32_t dsScreenWidth = 0, dsScreenHeight = 0, dsResolution = 0;
  QString sdSoundDevice, sdWaveIn, sdWaveOut, sdMIDIIn, sdMIDIOut, sdAUX, sdMixer;
  QString ppMouse, ppPrinter, ppMonitor;
  int64_t miTotalPhys = 0, miFreePhys = 0, miTotalVirtual = 0, miFreeVirtual = 0, miTotalPageFile = 0,
          miFreePageFile = 0;
  int32_t miFreeMem = 0, miPageSize = 0, miAllocationGranularity = 0;
  uint16_t diDiskCount = 0;
  QString diSign;
  int64_t diFreeSpace = 0, diTotalSpace = 0;
  bool diCompressed = false;
  int32_t diSectorsPerCluster = 0, diBytesPerSector = 0;
  int64_t diTotalClusters = 0;
  QString diFileSystem;
  uint32_t diSerialNumber = 0;
  QString diVolumeLabel;
  int32_t diMediaType = 0;
  QString diAvailableDisks;  // mount points, separated by a blank
};

class SystemInfo {
 public:
  // `sources` must outlive the component; `initialPath` is the first diSign.
  SystemInfo(const platform::SystemSources& sources, ScreenFacts screen,
             const QString& initialPath = QStringLiteral("/"));

  const SysInfoFacts& Facts() const { return facts_; }
  const VersionRecord& Version() const { return version_; }
  // The display adapter for the report: its pci.ids name, else its kernel
  // driver's name; "?" when the machine has no DRM display device.
  const QString& DisplayAdapter() const { return displayAdapter_; }

  // Classifies the file system holding `path` and fills the di facts.
  void SetDiSign(const QString& path);

 private:
  void GatherProcessor(const platform::SystemFacts& system);
  void GatherOperatingSystem(const platform::SystemFacts& system);
  void GatherMemory(const platform::SystemFacts& system);
  void GatherDisplay();
  void GatherSound();
  void GatherPeripherals();
  void GatherFileSystems();

  const platform::SystemSources& sources_;
  SysInfoFacts facts_;
  VersionRecord version_;
  QString displayAdapter_;
};

}  // namespace torvik
