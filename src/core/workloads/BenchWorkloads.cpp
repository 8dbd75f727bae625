#include "core/workloads/BenchWorkloads.h"

#include "core/workloads/ArctanLoadWorker.h"
#include "core/base/Errors.h"
#include "core/workloads/PrimeLoadWorker.h"

namespace torvik {

// The handler keeps no use of a worker: it runs and frees itself.
void Benchmark::StartCalcWorker() { new PrimeLoadWorker(); }

void Benchmark::StartRootWorker() { new ArctanLoadWorker(); }

DrawingTests& Benchmark::Drawing() {
  if (drawing_ == nullptr) throw TorvikError(QStringLiteral("The drawing tests need the main window."));
  return *drawing_;
}

}  // namespace torvik
