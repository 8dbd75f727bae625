#include "core/workloads/CheckedFile.h"

#include <cerrno>

#include "core/base/Errors.h"

namespace torvik {

void RaiseIoError(const platform::TestFile& file, int withoutErrno) {
  throw IoError(file.Error() != 0 ? IoCodeOfErrno(file.Error()) : withoutErrno, true);
}

void CheckOpen(const platform::TestFile& file) {
  if (!file.IsOpen()) throw IoError(IoCodeOfErrno(file.Error() != 0 ? file.Error() : ENOENT));
}

void CheckClose(platform::TestFile& file) {
  if (!file.Close()) RaiseIoError(file, kIoDiskFull);
}

}  // namespace torvik
