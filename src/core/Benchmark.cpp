#include "core/Benchmark.h"

#include "core/Errors.h"
#include "core/calc.h"
#include "core/root.h"

namespace torvik {

// The handler keeps no use of a worker: it runs and frees itself.
void Benchmark::StartCalcWorker() { new TCalc(); }

void Benchmark::StartRootWorker() { new TRoot(); }

void Benchmark::NotBuilt(const char* test) {
  throw TorvikError(QStringLiteral("%1: this test is not available in this build.").arg(QLatin1String(test)));
}

}  // namespace torvik
