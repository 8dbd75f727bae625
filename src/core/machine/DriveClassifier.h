// The classic drive type of the file system that holds a path: a fixed
// local disk, a removable one, a network share, an optical disc, a RAM disk,
// no such path, or unknown. Decided from the mount table and the block
// device's removable flag, read through SystemSources; where the mount table
// shows no mount above the path (inside a chroot), from the path's own file
// system. GUI thread.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/machine/SysInfoParsers.h"
#include "platform/SystemSources.h"

namespace torvik {

struct DriveClass {
  int32_t type = kDriveNoRootDir;
  QString fsType;          // empty when no mount holds the path
  std::string deviceNode;  // /sys/dev/block/M:m of the device, empty without one
};

// The class of `resolved` (an absolute path, links resolved) among `mounts`:
// the longest mount point above it decides, the last mounted one when
// several share it. Unknown when no mount holds it.
DriveClass ClassifyMountedPath(const platform::SystemSources& sources, const std::vector<MountEntry>& mounts,
                               const std::string& resolved);

// The class of `resolved` from the mount table, or from the path's own file
// system when no mount shown holds it.
DriveClass ClassifyPath(const platform::SystemSources& sources, const std::vector<MountEntry>& mounts,
                        const std::string& resolved);

// The drive type of `path`, links resolved; kDriveNoRootDir for a path that
// is not absolute or does not exist.
int32_t DriveTypeOf(const platform::SystemSources& sources, const QString& path);

}  // namespace torvik
