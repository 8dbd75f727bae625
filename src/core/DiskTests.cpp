#include "core/DiskTests.h"

#include "core/Timing.h"
#include "platform/Clock.h"

namespace torvik {

void DiskTests::Write(const WritePlan& plan) {
  files_.ScratchWrite();
  platform::Sleep(kDiskPauseMs);
  const std::string& name = files_.Name(plan.file);
  FillBlock(files_.Block().Data(), plan.values, plan.firstByte);
  TimingSlot& slot = state_.Results()[plan.slot];
  slot.Begin(ReadTenths());
  files_.WriteBlocks(name, platform::FileMode::CreateUnbuffered, files_.Block(), plan.unbufferedBlocks);
  // A second handle starts at 0: these blocks overwrite the file's first part.
  files_.WriteBlocks(name, platform::FileMode::OpenUnbufferedWriteThrough, files_.Block(), plan.writeThroughBlocks);
  slot.EndAdding(ReadTenths());
  files_.Files().Delete(name);
  state_.ShowResult(plan.slot);
}

void DiskTests::Read(const ReadPlan& plan) {
  files_.ScratchWrite();
  platform::Sleep(kDiskPauseMs);
  const std::string& name = files_.Name(plan.file);
  TimingSlot& slot = state_.Results()[plan.slot];
  slot.Begin(ReadTenths());
  files_.ReadBlocks(name, platform::FileMode::OpenWriteThrough, readBlock_, plan.blocks);
  slot.EndAdding(ReadTenths());
  files_.Files().Delete(name);
  state_.ShowResult(plan.slot);
}

}  // namespace torvik
