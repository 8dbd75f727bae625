#include "core/workloads/BenchWorkloads.h"

#include "core/base/Errors.h"
#include "core/workloads/ArctanLoadWorker.h"
#include "core/workloads/PrimeLoadWorker.h"

namespace torvik {

// The handler keeps no use of a worker: it runs and frees itself.
void BenchWorkloads::StartCalcWorker() { new PrimeLoadWorker(); }

void BenchWorkloads::StartRootWorker() { new ArctanLoadWorker(); }

void BenchWorkloads::RunTest(Test test) {
  switch (test) {
    case Test::Calc: return cpu_.PrimeTest();
    case Test::Trig: return cpu_.TrigTest();
    case Test::Square: return Drawing().SquareTest();
    case Test::Circle: return Drawing().CircleTest();
    case Test::Triangle: return Drawing().TriangleTest();
    case Test::Text: return Drawing().TextTest();
    case Test::Scroll: return Drawing().ScrollTest();
    case Test::Memory: return memory_.MemoryCopyTest();
    case Test::Write1: return disk_.Write(kWrite40);
    case Test::Write2: return disk_.Write(kWrite50);
    case Test::Write3: return disk_.Write(kWrite60);
    case Test::Read1: return disk_.Read(kRead40);
    case Test::Read2: return disk_.Read(kRead50);
    case Test::Read3: return disk_.Read(kRead60);
    case Test::Mix: return memory_.MixModeTest();
  }
}

QStringList BenchWorkloads::CleanupTestData() {
  directory_.DeleteTestFiles();
  buffers_.Release();
  return directory_.TakeUndeleted();
}

DrawingWorkloads& BenchWorkloads::Drawing() {
  if (drawing_ == nullptr) throw TorvikError(QStringLiteral("The drawing tests need a screen to draw on."));
  return *drawing_;
}

}  // namespace torvik
