#include "core/drive/DriveEngineChoice.h"

#include <cerrno>

#include "core/drive/RingEngine.h"
#include "core/drive/ThreadEngine.h"

namespace torvik {

std::unique_ptr<DriveEngine> OpenDriveEngine(platform::DriveIo& io, platform::DirectFile& file, int depth,
                                             int& ringError) {
  ringError = 0;
  if (std::unique_ptr<platform::IoRing> ring = io.OpenRing(file, depth, ringError)) {
    return std::make_unique<RingEngine>(std::move(ring));
  }
  if (ringError == 0) ringError = EOPNOTSUPP;  // refused without saying why
  return std::make_unique<ThreadEngine>(file);
}

}  // namespace torvik
