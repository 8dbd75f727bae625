#include "core/cores/Sha256Digest.h"

#include <openssl/evp.h>

#include <new>

namespace torvik {

Sha256Digest::Sha256Digest() : md_(EVP_MD_fetch(nullptr, "SHA256", nullptr)), context_(EVP_MD_CTX_new()) {
  if (md_ == nullptr || context_ == nullptr) {
    EVP_MD_free(md_);
    EVP_MD_CTX_free(context_);
    throw std::bad_alloc();
  }
}

Sha256Digest::~Sha256Digest() {
  EVP_MD_CTX_free(context_);
  EVP_MD_free(md_);
}

bool Sha256Digest::Digest(const void* data, size_t size, uint8_t* out) {
  unsigned int length = 0;
  return EVP_DigestInit_ex2(context_, md_, nullptr) == 1 && EVP_DigestUpdate(context_, data, size) == 1 &&
         EVP_DigestFinal_ex(context_, out, &length) == 1 && length == kBytes;
}

}  // namespace torvik
