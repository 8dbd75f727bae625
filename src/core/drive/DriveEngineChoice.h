// The choice of the drive group's engine, made once per group: io_uring
// where the kernel gives a queue, else the threads. The thread that runs
// the group.
#pragma once

#include <memory>

#include "core/drive/DriveEngine.h"
#include "platform/DriveIo.h"

namespace torvik {

// The engine for `file`: io_uring with a queue of `depth`, or the threads
// where `io` refuses a queue (then `ringError` is the errno of the refusal,
// else 0).
std::unique_ptr<DriveEngine> OpenDriveEngine(platform::DriveIo& io, platform::DirectFile& file, int depth,
                                             int& ringError);

}  // namespace torvik
