#include "core/workloads/DiskWorkloads.h"

#include "core/results/Timing.h"
#include "platform/Clock.h"

namespace torvik {

void DiskWorkloads::Write(const WritePlan& plan) {
  files_.ScratchWrite();
  platform::Sleep(kDiskPauseMs);
  const std::string& name = files_.Name(plan.file);
  FillBlock(files_.Block().Data(), plan.values, plan.firstByte);
  TimingSlot& slot = state_.Results()[plan.slot];
  slot.Begin(ReadClock());
  files_.WriteBlocks(name, platform::FileMode::CreateUnbuffered, files_.Block(), plan.unbufferedBlocks);
  // A second handle starts at 0: these blocks overwrite the file's first part.
  files_.WriteBlocks(name, platform::FileMode::OpenUnbufferedWriteThrough, files_.Block(), plan.writeThroughBlocks);
  slot.EndAdding(ReadClock());
  slot.work += int64_t{plan.unbufferedBlocks + plan.writeThroughBlocks} * platform::BlockBuffer::kSize;
  files_.Remove(name);
  state_.ShowResult(plan.slot);
}

void DiskWorkloads::Read(const ReadPlan& plan) {
  files_.ScratchWrite();
  platform::Sleep(kDiskPauseMs);
  const std::string& name = files_.Name(plan.file);
  TimingSlot& slot = state_.Results()[plan.slot];
  slot.Begin(ReadClock());
  files_.ReadBlocks(name, platform::FileMode::OpenWriteThrough, readBlock_, plan.blocks);
  slot.EndAdding(ReadClock());
  slot.work += int64_t{plan.blocks} * platform::BlockBuffer::kSize;
  files_.Remove(name);
  state_.ShowResult(plan.slot);
}

}  // namespace torvik
