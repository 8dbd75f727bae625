// Sha256Digest: SHA-256 through OpenSSL's EVP interface, which runs the
// processor's SHA instructions where it has them: one whole digest per
// call, as `openssl speed -evp sha256` times it. The context is made once;
// each call starts it afresh (OpenSSL 3.0 then makes the digest's small
// state anew inside libcrypto, from the thread's own allocator cache: every
// program that hashes through EVP pays it, `openssl speed` twice over). One
// thread at a time; each measuring thread has its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct evp_md_ctx_st;
struct evp_md_st;

namespace torvik {

class Sha256Digest {
 public:
  static constexpr size_t kBytes = 32;

  Sha256Digest();  // throws std::bad_alloc when libcrypto cannot make its context
  ~Sha256Digest();
  Sha256Digest(const Sha256Digest&) = delete;
  Sha256Digest& operator=(const Sha256Digest&) = delete;

  // The digest of data[0, size) into out[0, 32); false when libcrypto fails.
  bool Digest(const void* data, size_t size, uint8_t* out);

 private:
  evp_md_st* md_;
  evp_md_ctx_st* context_;
};

}  // namespace torvik
