// DriveBuffers: the transfer buffers of one drive job, one slot of one
// block for each request that may be in flight, aligned for direct
// transfers and filled with incompressible pseudo-random bytes (never
// zeros: a drive that compresses or deduplicates would flatter them).
// Every write first stamps its own sequence number into its block, so no
// two blocks written are the same. Allocated once per job, before its
// timed loop. The thread that owns the job; a slot is touched only by the
// request that holds it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/drive/Xoshiro256.h"

namespace torvik {

class DriveBuffers {
 public:
  // `slots` blocks of `blockBytes` (a multiple of 4096); std::bad_alloc
  // when the memory cannot be had.
  DriveBuffers(int slots, size_t blockBytes, Xoshiro256& random);
  ~DriveBuffers();
  DriveBuffers(const DriveBuffers&) = delete;
  DriveBuffers& operator=(const DriveBuffers&) = delete;

  uint8_t* Slot(int slot) { return data_ + static_cast<size_t>(slot) * blockBytes_; }
  size_t BlockBytes() const { return blockBytes_; }
  // New pseudo-random content for the whole block.
  void Refill(int slot, Xoshiro256& random);
  // The block's first eight bytes become `sequence`.
  void Stamp(int slot, uint64_t sequence);
  // Gives the memory up without freeing it: for requests the kernel could
  // not be made to finish, which may still transfer into it.
  void Abandon() { data_ = nullptr; }

 private:
  uint8_t* data_;
  size_t blockBytes_;
  int slots_;
};

}  // namespace torvik
