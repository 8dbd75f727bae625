#include "core/machine/DriveClassifier.h"

#include <tuple>

namespace torvik {
namespace {

std::string DevicePath(uint32_t major, uint32_t minor) {
  return "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
}

bool IsRemovable(const platform::SystemSources& sources, uint32_t major, uint32_t minor) {
  std::string device = DevicePath(major, minor);
  // A partition says nothing itself: its disk, one level up, does.
  if (sources.ReadFile(device + "/partition")) {
    if (const auto real = sources.RealPath(device)) device = real->substr(0, real->rfind('/'));
  }
  const auto removable = sources.ReadFile(device + "/removable");
  return removable && QString::fromUtf8(removable->c_str()).trimmed() == u"1";
}

DriveClass OfFileSystem(const platform::SystemSources& sources, uint32_t major, uint32_t minor, const QString& fsType) {
  DriveClass result;
  result.fsType = fsType;
  result.deviceNode = major != 0 ? DevicePath(major, minor) : std::string();
  result.type = ClassifyFileSystem(fsType, major != 0, major != 0 && IsRemovable(sources, major, minor));
  return result;
}

}  // namespace

DriveClass ClassifyMountedPath(const platform::SystemSources& sources, const std::vector<MountEntry>& mounts,
                               const std::string& resolved) {
  const QString path = QString::fromStdString(resolved);
  const MountEntry* best = nullptr;
  for (const MountEntry& mount : mounts) {
    const QString& point = mount.mountPoint;
    const bool above = path == point || point == u"/" || path.startsWith(point + u'/');
    if (above && (best == nullptr || point.size() >= best->mountPoint.size())) best = &mount;
  }
  if (best == nullptr) return DriveClass{kDriveUnknown, {}, {}};
  uint32_t major = best->major, minor = best->minor;
  if (major == 0 && best->source.startsWith(QStringLiteral("/dev/"))) {
    // Some file systems (btrfs) show an anonymous device: ask their source node.
    if (const auto node = sources.DeviceNumberOfNode(best->source.toStdString())) std::tie(major, minor) = *node;
  }
  return OfFileSystem(sources, major, minor, best->fsType);
}

DriveClass ClassifyPath(const platform::SystemSources& sources, const std::vector<MountEntry>& mounts,
                        const std::string& resolved) {
  DriveClass drive = ClassifyMountedPath(sources, mounts, resolved);
  if (!drive.fsType.isEmpty()) return drive;  // a mount holds it
  // No mount shown holds it: a chroot, whose mount table lists only what is
  // mounted inside it. The path's own device and file system type decide.
  const auto own = sources.FileSystemOf(resolved);
  return own ? OfFileSystem(sources, own->major, own->minor, QString::fromStdString(own->type)) : drive;
}

int32_t DriveTypeOf(const platform::SystemSources& sources, const QString& path) {
  if (!path.startsWith(u'/')) return kDriveNoRootDir;
  const auto resolved = sources.RealPath(path.toStdString());
  if (!resolved) return kDriveNoRootDir;
  const std::vector<MountEntry> mounts = ParseMountInfo(sources.ReadFile("/proc/self/mountinfo").value_or(""));
  return ClassifyPath(sources, mounts, *resolved).type;
}

}  // namespace torvik
