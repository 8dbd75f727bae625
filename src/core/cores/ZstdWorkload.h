// ZstdWorkload: zstd at level 3 on the program's text corpus, one direction
// per workload: "zstd-compress" compresses the whole corpus `rounds` times,
// "zstd-decompress" decompresses its compressed form `rounds` times. Each
// thread has its own copy of the input, its own output buffer and its own
// contexts (made and warmed up in Prepare, so no timed call allocates); the
// rate is of uncompressed bytes, as `zstd -b` reports it. A thread's run is
// checked by the round trip giving the corpus back. See CoreWorkload for
// which thread calls what.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/cores/CoreWorkload.h"
#include "core/cores/ZstdCodec.h"

namespace torvik {

class ZstdWorkload : public CoreWorkload {
 public:
  enum class Direction { Compress, Decompress };
  static constexpr int kLevel = 3;

  // `corpus` is shared, read-only, by every workload that uses it; rounds >= 1.
  // Decompression compresses it once here.
  ZstdWorkload(Direction direction, std::shared_ptr<const std::string> corpus, int rounds);

  QString Test() const override;
  QString DisplayName() const override;
  QString Unit() const override { return QStringLiteral("MB/s"); }
  double WorkPerThread() const override { return static_cast<double>(corpus_->size()) * rounds_; }
  int64_t BytesPerThread() const override;

  void Begin(int threads) override;
  void Prepare(int index) override;
  void Run(int index) override;
  bool Verify(int index) override;
  void End() override;

  // The corpus' compressed size (a decompression workload's input).
  size_t CompressedSize() const { return compressed_.size(); }

 private:
  struct Slot {
    std::unique_ptr<ZstdCodec> codec;
    std::unique_ptr<char[]> input;   // the thread's copy of what it works on
    std::unique_ptr<char[]> output;  // capacity `outputCapacity_`
    size_t last = 0;                 // the last call's result
    bool failed = false;             // some call returned an error
  };
  Direction direction_;
  std::shared_ptr<const std::string> corpus_;
  std::string compressed_;
  int rounds_;
  size_t inputSize_ = 0, outputCapacity_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace torvik
