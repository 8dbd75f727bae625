#include "core/Benchmark.h"

#include "core/Errors.h"
#include "core/calc.h"
#include "core/root.h"

namespace torvik {

// The handler keeps no use of a worker: it runs and frees itself.
void Benchmark::StartCalcWorker() { new TCalc(); }

void Benchmark::StartRootWorker() { new TRoot(); }

DrawingTests& Benchmark::Drawing() {
  if (drawing_ == nullptr) throw TorvikError(QStringLiteral("The drawing tests need the main window."));
  return *drawing_;
}

}  // namespace torvik
