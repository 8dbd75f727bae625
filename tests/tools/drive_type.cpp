// Tells whether a folder is on a fixed local disk by the program's own rule,
// the one its disk groups apply to their test folder: exits 0 when it is,
// 1 when not, printing the drive type either way. The end-to-end scripts ask
// it first, so that where no scratch folder can be (a container's overlay),
// they are skipped instead of failing on the program's refusal.
//   build/tests/drive_type DIRECTORY
#include <cstdio>

#include "core/machine/DriveClassifier.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: drive_type DIRECTORY\n");
    return 2;
  }
  static const char* const kNames[] = {"unknown", "no such folder", "removable", "fixed",
                                       "remote",  "CD-ROM",         "RAM disk"};
  const int32_t type = torvik::DriveTypeOf(torvik::platform::SystemSources::Default(), QString::fromLocal8Bit(argv[1]));
  std::printf("%s: %s\n", argv[1], type >= 0 && type <= 6 ? kNames[type] : "unknown");
  return type == torvik::kDriveFixed ? 0 : 1;
}
