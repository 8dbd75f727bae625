#include "core/drive/DriveEngineChoice.h"

#include <cerrno>

#include "core/drive/RingEngine.h"
#include "core/drive/ThreadEngine.h"

namespace torvik {

std::unique_ptr<DriveEngine> OpenDriveEngine(platform::DriveIo& io, platform::DirectFile& file, int depth,
                                             int& ringError) {
  // A queue opened and closed again: each job opens its own on its thread.
  ringError = 0;
  if (io.OpenRing(file, depth, ringError)) return std::make_unique<RingEngine>(io, file);
  if (ringError == 0) ringError = EOPNOTSUPP;  // refused without saying why
  return std::make_unique<ThreadEngine>(file);
}

}  // namespace torvik
