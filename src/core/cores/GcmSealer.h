// GcmSealer: AES-256-GCM encryption through OpenSSL's EVP interface (the
// processor's AES and carry-less multiply instructions where present): one
// whole message per call, its 96-bit nonce set, associated data, the
// ciphertext and the 16-byte tag. The key schedule is made once; a message
// costs no allocation. One thread at a time; each measuring thread has its
// own.
#pragma once

#include <cstddef>
#include <cstdint>

struct evp_cipher_ctx_st;
struct evp_cipher_st;

namespace torvik {

class GcmSealer {
 public:
  static constexpr size_t kKeyBytes = 32;
  static constexpr size_t kNonceBytes = 12;
  static constexpr size_t kTagBytes = 16;

  // Throws std::bad_alloc when libcrypto cannot make its context; a key it
  // refuses leaves Ready() false.
  explicit GcmSealer(const uint8_t (&key)[kKeyBytes]);
  ~GcmSealer();
  GcmSealer(const GcmSealer&) = delete;
  GcmSealer& operator=(const GcmSealer&) = delete;

  bool Ready() const { return ready_; }
  // Encrypts in[0, size) into out[0, size) (they may be the same buffer)
  // under `nonce`, authenticating aad[0, aadSize) too, and writes the tag.
  // False when libcrypto fails.
  bool Seal(const uint8_t (&nonce)[kNonceBytes], const void* aad, size_t aadSize, const void* in, size_t size,
            void* out, uint8_t (&tag)[kTagBytes]);

 private:
  evp_cipher_st* cipher_;
  evp_cipher_ctx_st* context_;
  bool ready_ = false;
};

}  // namespace torvik
