// The operating-system version record and the two descriptions the report
// prints: the OS description ("WindowsNT 4.0 (Build 1381: Service Pack 6)",
// "Linux 6.18 (Build 44: Debian GNU/Linux 12 (bookworm))") and the display
// device description. Pure builders; the registry is read through an
// interface so the Windows rules are testable anywhere. GUI thread.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <map>
#include <optional>

namespace torvik {

inline constexpr int32_t kPlatformWin32s = 0;
inline constexpr int32_t kPlatformWin32Windows = 1;  // Windows 95/98
inline constexpr int32_t kPlatformWin32NT = 2;
// Not a Windows id: a Linux kernel, described in the NT family's format.
inline constexpr int32_t kPlatformLinux = 0x4C4E;

struct VersionRecord {
  int32_t platformId = 0;
  int32_t majorVersion = 0;
  int32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  QString csdVersion;  // the service-pack text (on Linux: os-release PRETTY_NAME)
};

// Kernel release "6.18.44-generic" gives 6, 18 and build 44.
VersionRecord LinuxVersionRecord(const QString& kernelRelease, const QString& prettyName);

QString OsName(const VersionRecord& record);
int64_t OsBuild(const VersionRecord& record);
QString BuildOsDescription(const VersionRecord& record);

// A read-only view of HKEY_LOCAL_MACHINE: an opened key's values, a value
// that is not text held as a non-string QVariant.
class RegistryView {
 public:
  using Key = std::map<QString, QVariant>;
  virtual ~RegistryView() = default;
  virtual std::optional<Key> Open(const QString& path) const = 0;
};

// Starts from `systemIniDisplay` and takes what the registry offers for the
// Windows platforms; on Linux the DRM adapter's description (`linuxAdapter`,
// "?" when there is none). A value of the wrong type raises TorvikError.
QString BuildDisplayDescription(const VersionRecord& record, const QString& systemIniDisplay,
                                const RegistryView& registry, const QString& linuxAdapter);

}  // namespace torvik
