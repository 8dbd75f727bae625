// CryptoWorkload: libcrypto's EVP over 16 KiB buffers, as
// `openssl speed -evp ... -bytes 16384` times it: "sha256" digests the
// thread's buffer `buffers` times, one whole digest each; "aes-256-gcm"
// seals it `buffers` times as one GCM message each (nonce, ciphertext, tag;
// no associated data). Each thread has its own buffers and context. A
// thread's run is checked by its last digest or ciphertext and tag being
// the ones worked out before any timing. See CoreWorkload for which thread
// calls what.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/cores/CoreWorkload.h"
#include "core/cores/GcmSealer.h"
#include "core/cores/Sha256Digest.h"

namespace torvik {

class CryptoWorkload : public CoreWorkload {
 public:
  enum class Algorithm { Sha256, Aes256Gcm };
  static constexpr size_t kBufferBytes = 16384;

  // buffers >= 1.
  CryptoWorkload(Algorithm algorithm, int64_t buffers);

  QString Test() const override;
  QString DisplayName() const override;
  QString Unit() const override { return QStringLiteral("MB/s"); }
  double WorkPerThread() const override { return static_cast<double>(kBufferBytes) * static_cast<double>(buffers_); }
  int64_t BytesPerThread() const override { return 2 * kBufferBytes + 65536; }

  void Begin(int threads) override;
  void Prepare(int index) override;
  void Run(int index) override;
  bool Verify(int index) override;
  void End() override;

 private:
  struct Slot {
    std::unique_ptr<Sha256Digest> digest;
    std::unique_ptr<GcmSealer> sealer;
    std::unique_ptr<uint8_t[]> input, output;  // kBufferBytes each
    std::array<uint8_t, 32> result{};          // the last digest, or the last tag
    bool failed = false;
  };
  Algorithm algorithm_;
  int64_t buffers_;
  std::vector<uint8_t> plaintext_;
  std::array<uint8_t, 32> expected_{};
  std::vector<uint8_t> expectedCiphertext_;
  std::vector<Slot> slots_;
};

}  // namespace torvik
