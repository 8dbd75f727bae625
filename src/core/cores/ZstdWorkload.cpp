#include "core/cores/ZstdWorkload.h"

#include <QCoreApplication>
#include <cstring>

#include "core/cores/MeasureFailure.h"

namespace torvik {

ZstdWorkload::ZstdWorkload(Direction direction, std::shared_ptr<const std::string> corpus, int rounds)
    : direction_(direction), corpus_(std::move(corpus)), rounds_(rounds < 1 ? 1 : rounds) {
  if (direction_ == Direction::Compress) {
    inputSize_ = corpus_->size();
    outputCapacity_ = ZstdCodec::Bound(corpus_->size());
  } else {
    ZstdCodec codec;
    compressed_.resize(ZstdCodec::Bound(corpus_->size()));
    const size_t size =
        codec.Compress(compressed_.data(), compressed_.size(), corpus_->data(), corpus_->size(), kLevel);
    if (ZstdCodec::IsError(size)) {
      throw MeasureFailure::LibraryFailed(QStringLiteral("zstd"), QString::fromStdString(ZstdCodec::ErrorName(size)));
    }
    compressed_.resize(size);
    inputSize_ = size;
    outputCapacity_ = corpus_->size();
  }
}

QString ZstdWorkload::Test() const {
  return direction_ == Direction::Compress ? QStringLiteral("zstd-compress") : QStringLiteral("zstd-decompress");
}

QString ZstdWorkload::DisplayName() const {
  return direction_ == Direction::Compress ? QCoreApplication::translate("CoresGroup", "zstd 圧縮")
                                           : QCoreApplication::translate("CoresGroup", "zstd 展開");
}

int64_t ZstdWorkload::BytesPerThread() const {
  // Input, output, the round trip's check buffer and the contexts (level
  // 3's tables stay under 2 MiB).
  return static_cast<int64_t>(inputSize_ + outputCapacity_ + corpus_->size()) + (int64_t{2} << 20);
}

void ZstdWorkload::Begin(int threads) { slots_.resize(static_cast<size_t>(threads)); }

void ZstdWorkload::Prepare(int index) {
  Slot& slot = slots_[index];
  slot.codec = std::make_unique<ZstdCodec>();
  slot.input = std::make_unique_for_overwrite<char[]>(inputSize_);
  slot.output = std::make_unique_for_overwrite<char[]>(outputCapacity_);
  const char* source = direction_ == Direction::Compress ? corpus_->data() : compressed_.data();
  std::memcpy(slot.input.get(), source, inputSize_);
  // One untimed call makes the context's tables and touches the output.
  const size_t result =
      direction_ == Direction::Compress
          ? slot.codec->Compress(slot.output.get(), outputCapacity_, slot.input.get(), inputSize_, kLevel)
          : slot.codec->Decompress(slot.output.get(), outputCapacity_, slot.input.get(), inputSize_);
  if (ZstdCodec::IsError(result)) {
    throw MeasureFailure::LibraryFailed(QStringLiteral("zstd"), QString::fromStdString(ZstdCodec::ErrorName(result)));
  }
}

void ZstdWorkload::Run(int index) {
  Slot& slot = slots_[index];
  ZstdCodec& codec = *slot.codec;
  char* out = slot.output.get();
  const char* in = slot.input.get();
  size_t result = 0;
  bool failed = false;
  if (direction_ == Direction::Compress) {
    for (int r = 0; r < rounds_; ++r) {
      result = codec.Compress(out, outputCapacity_, in, inputSize_, kLevel);
      failed |= ZstdCodec::IsError(result);
    }
  } else {
    for (int r = 0; r < rounds_; ++r) {
      result = codec.Decompress(out, outputCapacity_, in, inputSize_);
      failed |= ZstdCodec::IsError(result);
    }
  }
  slot.last = result;
  slot.failed = failed;
}

bool ZstdWorkload::Verify(int index) {
  Slot& slot = slots_[index];
  if (slot.failed || ZstdCodec::IsError(slot.last)) return false;
  if (direction_ == Direction::Decompress) {
    return slot.last == corpus_->size() && std::memcmp(slot.output.get(), corpus_->data(), slot.last) == 0;
  }
  // The compressed output must give the corpus back.
  auto back = std::make_unique_for_overwrite<char[]>(corpus_->size());
  const size_t size = slot.codec->Decompress(back.get(), corpus_->size(), slot.output.get(), slot.last);
  return size == corpus_->size() && std::memcmp(back.get(), corpus_->data(), size) == 0;
}

void ZstdWorkload::End() { slots_.clear(); }

}  // namespace torvik
