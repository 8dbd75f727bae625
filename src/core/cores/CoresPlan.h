// CoresPlan: what the cores group will measure: its workloads, each one's
// fixed work per thread, the thread counts and the processor of every
// thread, and what the machine lets the program use. Made by a pure
// function from the machine's topology and allowance, so it can be looked
// at (and tested) before anything runs; a user's smaller work setting goes
// through the same plan. Any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "core/cores/ProcessorAllowance.h"
#include "core/cores/ProcessorTopology.h"
#include "core/cores/ThreadPlan.h"

namespace torvik {

// One thread's work per workload. The standard amounts make a point take
// about a second on one core of the machine the group was written on (the
// figures stand beside CoresWork::Standard()); a smaller setting is a
// user's choice and runs the same code.
struct CoresWork {
  int32_t divisionLast = 0;   // trial division of 1 .. divisionLast
  int64_t corpusBytes = 0;    // the text corpus zstd works on
  int compressRounds = 0;     // whole-corpus compressions
  int decompressRounds = 0;   // whole-corpus decompressions
  int64_t sha256Buffers = 0;  // 16 KiB digests
  int64_t gcmBuffers = 0;     // 16 KiB GCM messages
  QStringList tests;          // which workloads, in this order

  static CoresWork Standard();
  // Every workload the group knows, in the order it runs them.
  static QStringList AllTests();
};

struct CoresPlan {
  ProcessorAllowance allowance;
  ThreadPlan threads;
  CoresWork work;

  // The memory the largest point holds at once (every thread's buffers and
  // contexts, and the corpus shared by all): checked against MemAvailable
  // before the group allocates anything.
  int64_t BytesNeeded() const;
  int PointCount() const { return static_cast<int>(threads.points.size() * work.tests.size()); }
};

CoresPlan PlanCoresGroup(const ProcessorTopology& topology, const ProcessorAllowance& allowance,
                         const CoresWork& work = CoresWork::Standard());

}  // namespace torvik
