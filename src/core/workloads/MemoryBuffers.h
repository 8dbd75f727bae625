// MemoryBuffers: the two buffers of the memory copy test and the mix mode.
// Prepared from the memory data file "TORVIK.rd0" (102 records of 10,240
// zero bytes, written to the test directory and read back whole into the
// first buffer, then deleted); the second starts empty and takes the first
// buffer's size at its first copy. Alive from PrepareMemoryBuffers to
// Release. Owned by the run session. GUI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "core/workloads/TestDirectory.h"

namespace torvik {

inline constexpr int kMemoryRecords = 102;
inline constexpr int kMemoryRecordSize = 10'240;  // 102 records: 1,044,480 bytes

class MemoryBuffers {
 public:
  // `directory` must outlive the buffers.
  explicit MemoryBuffers(TestDirectory& directory) : directory_(directory) {}

  // Raises RefusalError before any file is made when the test path is
  // unusable, and IoError when a transfer fails (no data file left behind).
  void PrepareMemoryBuffers();
  // Releases both buffers (their memory goes back); safe when none exist.
  void Release();

  std::vector<uint8_t>& First() { return first_; }
  std::vector<uint8_t>& Second() { return second_; }
  bool Exist() const { return exist_; }

 private:
  TestDirectory& directory_;
  std::vector<uint8_t> first_;
  std::vector<uint8_t> second_;
  bool exist_ = false;
};

// Copies the whole of `source` into `target`: same size, same bytes. Storage
// is allocated only when `target` is smaller than `source`.
void CopyWholeBuffer(std::vector<uint8_t>& target, const std::vector<uint8_t>& source);

}  // namespace torvik
