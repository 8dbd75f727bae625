#include "platform/PageMemory.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstdint>

namespace torvik::platform {

MappedBlock& MappedBlock::operator=(MappedBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    bytes_ = std::exchange(other.bytes_, 0);
    mappedBytes_ = std::exchange(other.mappedBytes_, 0);
    mapping_ = std::exchange(other.mapping_, nullptr);
    hugePagesAsked_ = std::exchange(other.hugePagesAsked_, false);
  }
  return *this;
}

void MappedBlock::Release() {
  if (mapping_ != nullptr) munmap(mapping_, mappedBytes_);
  mapping_ = data_ = nullptr;
  bytes_ = mappedBytes_ = 0;
}

namespace {

class LinuxPageMemory : public PageMemory {
 public:
  MappedBlock Map(size_t bytes, bool hugePages, int& error) const override {
    error = 0;
    const size_t kAlign = kHugePageBytes;
    if (bytes == 0 || bytes > SIZE_MAX / 2) {
      error = bytes == 0 ? EINVAL : ENOMEM;
      return {};
    }
    const size_t rounded = (bytes + kAlign - 1) / kAlign * kAlign;
    // Over-map by one huge page, then keep the aligned part inside it.
    const size_t mapped = rounded + kAlign;
    void* mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
      error = errno;
      return {};
    }
    const auto base = reinterpret_cast<uintptr_t>(mapping);
    void* aligned = reinterpret_cast<void*>((base + kAlign - 1) / kAlign * kAlign);
    bool asked = false;
    if (hugePages) asked = madvise(aligned, rounded, MADV_HUGEPAGE) == 0;
    return MappedBlock(aligned, rounded, mapped, mapping, asked);
  }
};

}  // namespace

const PageMemory& PageMemory::Default() {
  static const LinuxPageMemory memory;
  return memory;
}

}  // namespace torvik::platform
