// RingEngine: a drive job through an io_uring submission queue, on the one
// thread that calls Run. Every request that completes is replaced at once
// by the next one on the same buffer slot, the replacements of one reap
// submitted together, so `depth` requests stay in flight. One job at a
// time.
#pragma once

#include <memory>

#include "core/drive/DriveEngine.h"

namespace torvik {

class RingEngine : public DriveEngine {
 public:
  // Owns `ring`, opened for at least the deepest job's depth.
  explicit RingEngine(std::unique_ptr<platform::IoRing> ring) : ring_(std::move(ring)) {}
  const char* Name() const override { return "io_uring"; }
  void Run(const DriveJob& job, DriveControl& control, DriveRun& run) override;

 private:
  std::unique_ptr<platform::IoRing> ring_;
};

}  // namespace torvik
