// PageMemory: large blocks of anonymous memory straight from the system,
// aligned to 2 MiB so that transparent huge pages can back them, with huge
// pages asked for where the caller wants them. Nothing is locked: the pages
// stay the kernel's to move and reclaim. The program uses
// PageMemory::Default(); tests substitute a fake that counts or refuses.
// Any thread may map; a block is freed by the one that owns it.
#pragma once

#include <cstddef>
#include <utility>

namespace torvik::platform {

// A mapped block: `bytes` long at a 2 MiB boundary, zero-filled by the
// system on first touch; unmapped when it goes.
class MappedBlock {
 public:
  MappedBlock() = default;
  MappedBlock(void* data, size_t bytes, size_t mappedBytes, void* mapping, bool hugePagesAsked)
      : data_(data), bytes_(bytes), mappedBytes_(mappedBytes), mapping_(mapping), hugePagesAsked_(hugePagesAsked) {}
  ~MappedBlock() { Release(); }
  MappedBlock(MappedBlock&& other) noexcept { *this = std::move(other); }
  MappedBlock& operator=(MappedBlock&& other) noexcept;
  MappedBlock(const MappedBlock&) = delete;
  MappedBlock& operator=(const MappedBlock&) = delete;

  void* Data() const { return data_; }
  size_t Bytes() const { return bytes_; }
  bool Empty() const { return data_ == nullptr; }
  // madvise(MADV_HUGEPAGE) was accepted for the block (the kernel may still
  // back it with small pages; /proc/self/smaps says what it did).
  bool HugePagesAsked() const { return hugePagesAsked_; }

 private:
  void Release();
  void* data_ = nullptr;
  size_t bytes_ = 0;
  size_t mappedBytes_ = 0;  // the whole mapping, alignment slack included
  void* mapping_ = nullptr;
  bool hugePagesAsked_ = false;
};

class PageMemory {
 public:
  virtual ~PageMemory() = default;
  // A block of `bytes` (rounded up to whole 2 MiB), huge pages asked for
  // when `hugePages`; an empty block and the errno (ENOMEM) when the system
  // refuses.
  virtual MappedBlock Map(size_t bytes, bool hugePages, int& error) const = 0;

  // The system's memory; lives for the whole program.
  static const PageMemory& Default();

  static constexpr size_t kHugePageBytes = size_t{2} << 20;
};

}  // namespace torvik::platform
