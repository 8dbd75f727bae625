#include "core/drive/DriveBuffers.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/DriveIo.h"

namespace torvik {

DriveBuffers::DriveBuffers(int slots, size_t blockBytes, Xoshiro256& random)
    : data_(static_cast<uint8_t*>(std::aligned_alloc(platform::kDirectAlignment, slots * blockBytes))),
      blockBytes_(blockBytes),
      slots_(slots) {
  if (data_ == nullptr) throw std::bad_alloc();
  for (int slot = 0; slot < slots_; ++slot) Refill(slot, random);
}

DriveBuffers::~DriveBuffers() { std::free(data_); }

void DriveBuffers::Refill(int slot, Xoshiro256& random) {
  uint8_t* block = Slot(slot);
  for (size_t at = 0; at < blockBytes_; at += sizeof(uint64_t)) {
    const uint64_t word = random.Next();
    std::memcpy(block + at, &word, sizeof word);
  }
}

void DriveBuffers::Stamp(int slot, uint64_t sequence) { std::memcpy(Slot(slot), &sequence, sizeof sequence); }

}  // namespace torvik
