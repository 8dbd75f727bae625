// The classic drive types of a path's file system, as the disk groups and
// the settings dialog judge a test directory: only a fixed local disk (3)
// is measured. Constants; any thread.
#pragma once

#include <cstdint>

namespace torvik {

// 0 unknown, 1 no such path, 2 removable, 3 fixed local disk, 4 network,
// 5 optical, 6 RAM disk.
enum DriveType : int32_t {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

}  // namespace torvik
