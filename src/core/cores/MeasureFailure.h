// MeasureFailure: why a group of the today's-machine set could not measure,
// as a kind the caller decides by and one line for the user. Thrown by the
// group runners (never a figure instead); caught at the handler boundary
// like the classic groups' errors. Any thread may make one.
#pragma once

#include <QString>
#include <cstdint>

#include "core/base/Errors.h"

namespace torvik {

enum class MeasureFailureKind {
  NotEnoughMemory,  // MemAvailable is below what the group needs: nothing was allocated
  MemoryRefused,    // the system refused a block the group asked for
  PinRefused,       // a thread could not be bound to its processor
  ThreadRefused,    // a measuring thread could not be started
  LibraryFailed,    // zstd or libcrypto reported an error
  WrongResult,      // a thread's work did not give the known answer
};

class MeasureFailure : public RefusalError {
 public:
  MeasureFailure(MeasureFailureKind kind, const QString& message) : RefusalError(message), kind_(kind) {}
  MeasureFailureKind Kind() const { return kind_; }

  // "メモリが足りません。計測には 1,152 MiB 必要ですが、使えるのは 800 MiB です"
  static MeasureFailure NotEnoughMemory(int64_t neededBytes, int64_t availableBytes);
  static MeasureFailure MemoryRefused(int64_t bytes, int error);
  static MeasureFailure PinRefused(int processor, int error);
  static MeasureFailure ThreadRefused(int error);
  static MeasureFailure LibraryFailed(const QString& what, const QString& detail);
  // `what`: the workload or kernel; `threads`: the point's thread count.
  static MeasureFailure WrongResult(const QString& what, int threads);

 private:
  MeasureFailureKind kind_;
};

// Bytes in whole MiB, rounded up and grouped by thousands: "1,152".
QString MebibytesText(int64_t bytes);

}  // namespace torvik
