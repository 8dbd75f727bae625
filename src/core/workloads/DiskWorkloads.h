// DiskWorkloads: the measured work of the six timed disk tests: writing and
// reading 40, 50 and 60 MB in 8 KB blocks. Each starts with 100 MB of
// scratch writes and a 2-second pause; the timed span covers opening, every
// transfer and closing, nothing else. A test adds its time to its slot, so
// three passes leave their sum. A failed transfer raises IoError out of the
// test, its time not taken. GUI thread only.
#pragma once

#include "core/workloads/DataBlock.h"
#include "core/workloads/TestDirectory.h"

namespace torvik {

struct WritePlan {
  Test slot;
  TestFileName file;
  BlockValues values;
  size_t firstByte;
  int unbufferedBlocks;
  int writeThroughBlocks;  // 1/40 of the blocks, overwriting the file's start
};
inline constexpr WritePlan kWrite40{Test::Write1, TestFileName::Write40, BlockValues::TanK, 0, 4'992, 128};
inline constexpr WritePlan kWrite50{Test::Write2, TestFileName::Write50, BlockValues::CosK, 2, 6'240, 160};
inline constexpr WritePlan kWrite60{Test::Write3, TestFileName::Write60, BlockValues::KTimesPi, 2, 7'488, 192};

struct ReadPlan {
  Test slot;
  TestFileName file;
  int blocks;
};
inline constexpr ReadPlan kRead40{Test::Read1, TestFileName::Read40, 5'120};
inline constexpr ReadPlan kRead50{Test::Read2, TestFileName::Read50, 6'400};
inline constexpr ReadPlan kRead60{Test::Read3, TestFileName::Read60, 7'680};

inline constexpr int kDiskPauseMs = 2'000;

class DiskWorkloads {
 public:
  DiskWorkloads(RunState& state, TestDirectory& files) : state_(state), files_(files) {}

  // DiskWrite40, 50, 60: kWrite40, kWrite50, kWrite60; DiskRead40, 50, 60:
  // kRead40, kRead50, kRead60.
  void Write(const WritePlan& plan);
  void Read(const ReadPlan& plan);

 private:
  RunState& state_;
  TestDirectory& files_;
  platform::BlockBuffer readBlock_;  // what is read is discarded
};

}  // namespace torvik
