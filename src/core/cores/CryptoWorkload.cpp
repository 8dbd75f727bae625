#include "core/cores/CryptoWorkload.h"

#include <QCoreApplication>
#include <cstring>

#include "core/cores/MeasureFailure.h"
#include "core/cores/TextCorpus.h"

namespace torvik {
namespace {

// Fixed key and nonce: the work, not the secrecy, is what is measured.
constexpr uint8_t kKey[GcmSealer::kKeyBytes] = {0x54, 0x4f, 0x52, 0x56, 0x49, 0x4b, 0x20, 0x32, 0x30, 0x32, 0x36,
                                                0x20, 0x6b, 0x65, 0x79, 0x20, 0x6f, 0x66, 0x20, 0x74, 0x68, 0x65,
                                                0x20, 0x63, 0x6f, 0x72, 0x65, 0x73, 0x20, 0x72, 0x75, 0x6e};
constexpr uint8_t kNonce[GcmSealer::kNonceBytes] = {0x6e, 0x6f, 0x6e, 0x63, 0x65, 0x20,
                                                    0x6f, 0x66, 0x20, 0x6f, 0x6e, 0x65};

MeasureFailure CryptoFailed() {
  return MeasureFailure::LibraryFailed(QStringLiteral("libcrypto"),
                                       QCoreApplication::translate("CoresGroup", "EVP の呼び出しが失敗しました"));
}

}  // namespace

CryptoWorkload::CryptoWorkload(Algorithm algorithm, int64_t buffers)
    : algorithm_(algorithm), buffers_(buffers < 1 ? 1 : buffers), plaintext_(kBufferBytes) {
  SplitMix64 random(kCorpusSeed ^ 0x16384);
  for (size_t i = 0; i < kBufferBytes; i += 8) {
    const uint64_t word = random.Next();
    std::memcpy(plaintext_.data() + i, &word, 8);
  }
  if (algorithm_ == Algorithm::Sha256) {
    Sha256Digest digest;
    if (!digest.Digest(plaintext_.data(), kBufferBytes, expected_.data())) throw CryptoFailed();
  } else {
    GcmSealer sealer(kKey);
    expectedCiphertext_.resize(kBufferBytes);
    uint8_t tag[GcmSealer::kTagBytes];
    if (!sealer.Seal(kNonce, nullptr, 0, plaintext_.data(), kBufferBytes, expectedCiphertext_.data(), tag)) {
      throw CryptoFailed();
    }
    std::memcpy(expected_.data(), tag, sizeof tag);
  }
}

QString CryptoWorkload::Test() const {
  return algorithm_ == Algorithm::Sha256 ? QStringLiteral("sha256") : QStringLiteral("aes-256-gcm");
}

QString CryptoWorkload::DisplayName() const {
  return algorithm_ == Algorithm::Sha256 ? QStringLiteral("SHA-256") : QStringLiteral("AES-256-GCM");
}

void CryptoWorkload::Begin(int threads) { slots_.resize(static_cast<size_t>(threads)); }

void CryptoWorkload::Prepare(int index) {
  Slot& slot = slots_[index];
  slot.input = std::make_unique_for_overwrite<uint8_t[]>(kBufferBytes);
  slot.output = std::make_unique_for_overwrite<uint8_t[]>(kBufferBytes);
  std::memcpy(slot.input.get(), plaintext_.data(), kBufferBytes);
  // One untimed call each, into scratch space: the library's first-use
  // work is not timed, and the thread's answer comes from Run alone.
  if (algorithm_ == Algorithm::Sha256) {
    slot.digest = std::make_unique<Sha256Digest>();
    uint8_t digest[Sha256Digest::kBytes];
    if (!slot.digest->Digest(slot.input.get(), kBufferBytes, digest)) throw CryptoFailed();
  } else {
    slot.sealer = std::make_unique<GcmSealer>(kKey);
    uint8_t tag[GcmSealer::kTagBytes];
    if (!slot.sealer->Ready() ||
        !slot.sealer->Seal(kNonce, nullptr, 0, slot.input.get(), kBufferBytes, slot.output.get(), tag)) {
      throw CryptoFailed();
    }
    std::memset(slot.output.get(), 0, kBufferBytes);
  }
}

void CryptoWorkload::Run(int index) {
  Slot& slot = slots_[index];
  bool ok = true;
  if (algorithm_ == Algorithm::Sha256) {
    Sha256Digest& digest = *slot.digest;
    for (int64_t i = 0; i < buffers_; ++i) ok &= digest.Digest(slot.input.get(), kBufferBytes, slot.result.data());
  } else {
    GcmSealer& sealer = *slot.sealer;
    uint8_t tag[GcmSealer::kTagBytes];
    for (int64_t i = 0; i < buffers_; ++i) {
      ok &= sealer.Seal(kNonce, nullptr, 0, slot.input.get(), kBufferBytes, slot.output.get(), tag);
    }
    std::memcpy(slot.result.data(), tag, sizeof tag);
  }
  slot.failed = !ok;
}

bool CryptoWorkload::Verify(int index) {
  const Slot& slot = slots_[index];
  if (slot.failed) return false;
  if (algorithm_ == Algorithm::Sha256) return slot.result == expected_;
  return std::memcmp(slot.result.data(), expected_.data(), GcmSealer::kTagBytes) == 0 &&
         std::memcmp(slot.output.get(), expectedCiphertext_.data(), kBufferBytes) == 0;
}

void CryptoWorkload::End() { slots_.clear(); }

}  // namespace torvik
