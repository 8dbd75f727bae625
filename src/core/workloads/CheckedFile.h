// The checks every transfer of a test file passes: a failed open, a failed
// or short write or read and a failed close each raise IoError with the
// runtime's code, so no failure is ever timed as a result. GUI thread (the
// thread that holds the file).
#pragma once

#include "platform/FileSystem.h"

namespace torvik {

// The error of a failed transfer or close of an open file: the system's, or
// `withoutErrno` when the call only moved fewer bytes than asked.
[[noreturn]] void RaiseIoError(const platform::TestFile& file, int withoutErrno);
// IoError when `file` did not open.
void CheckOpen(const platform::TestFile& file);
// Closes `file`; IoError (disk full when the system gives no reason) when
// the close fails.
void CheckClose(platform::TestFile& file);

}  // namespace torvik
