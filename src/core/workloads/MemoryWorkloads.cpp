#include "core/workloads/MemoryWorkloads.h"

#include "X87.h"
#include "core/base/Errors.h"
#include "core/results/Timing.h"
#include "core/workloads/CpuKernels.h"
#include "core/workloads/DataBlock.h"
#include "platform/Clock.h"

namespace torvik {

int32_t MixStepDivisor(int32_t n) {
  for (int32_t d = 2; d < n; ++d) {
    int32_t divisor = d;
    OpaqueRegister(divisor);
    if (n % divisor == 0) return divisor;
  }
  return 0;
}

void MemoryWorkloads::MemoryCopyTest() {
  platform::Sleep(kMemoryPauseMs);
  TimingSlot& slot = state_.Results()[Test::Memory];
  slot.Begin(ReadClock());
  std::vector<uint8_t>& first = buffers_.First();
  std::vector<uint8_t>& second = buffers_.Second();
  for (int i = 0; i < kMemoryCopyRounds; ++i) {
    CopyWholeBuffer(second, first);
    CopyWholeBuffer(first, second);
  }
  slot.End(ReadClock());
  slot.work = int64_t{2} * kMemoryCopyRounds * static_cast<int64_t>(first.size());
  state_.ShowResult(Test::Memory);
}

void MemoryWorkloads::MixStep(int32_t n, const std::string& mixFile) {
  uint8_t* block = mixBlock_.Data();
  const long double x = n;
  PutExtended(block, 0, arch::X87Tan(x));
  PutExtended(block, 1, arch::X87Cos(x));
  PutExtended(block, 2, arch::X87Sin(x));
  CopyWholeBuffer(buffers_.Second(), buffers_.First());
  CopyWholeBuffer(buffers_.First(), buffers_.Second());
  // A failure leaves no mix file behind, but a name this program could not
  // open for writing (another copy's locked file) is not its to delete.
  try {
    files_.WriteBlocks(mixFile, platform::FileMode::CreateUnbuffered, mixBlock_, n);
  } catch (const IoError& error) {
    if (error.AfterOpen()) files_.Remove(mixFile);
    throw;
  }
  CopyWholeBuffer(buffers_.Second(), buffers_.First());
  CopyWholeBuffer(buffers_.First(), buffers_.Second());
  try {
    files_.ReadBlocks(mixFile, platform::FileMode::OpenWriteThrough, mixBlock_, n);
  } catch (const IoError&) {
    files_.Remove(mixFile);  // written by this step
    throw;
  }
  files_.Remove(mixFile);
}

void MemoryWorkloads::MixModeTest() {
  files_.ScratchWrite();
  platform::Sleep(kMixPauseMs);
  int steps = 0;
  int64_t blocks = 0;  // written, and as many read
  // The mix file's name is this copy's for the whole test (another copy
  // mixing in this folder gets a name of its own), chosen before the clock.
  const TestDirectory::ClaimedName claimed = files_.ClaimFixedName(QStringLiteral("TORVIK.rd4"));
  const std::string& mixFile = claimed.path;
  TimingSlot& slot = state_.Results()[Test::Mix];
  slot.Begin(ReadClock());
  FillBlock(mixBlock_.Data(), BlockValues::KTimesPi, 0);
  for (int32_t n = 1; n <= kMixLast; ++n) {
    if (MixStepDivisor(n) == 0) continue;
    try {
      MixStep(n, mixFile);
    } catch (const IoError&) {
      if (claimed.made) files_.Remove(mixFile);  // made for this run, whatever failed
      throw;
    }
    blocks += n;
    if (++steps == kMixStepsPerDisplay) {
      steps = 0;
      slot.End(ReadClock());
      slot.work = 2 * blocks * platform::BlockBuffer::kSize;
      state_.ShowElapsed(Test::Mix);
      state_.View().RepaintLabel(ResultLabel::KMix);
      state_.PumpMessages();
    }
  }
  slot.End(ReadClock());
  slot.work = 2 * blocks * platform::BlockBuffer::kSize;
  state_.ShowResult(Test::Mix);
}

}  // namespace torvik
