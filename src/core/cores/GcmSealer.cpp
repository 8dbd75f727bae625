#include "core/cores/GcmSealer.h"

#include <openssl/evp.h>

#include <climits>
#include <new>

namespace torvik {

GcmSealer::GcmSealer(const uint8_t (&key)[kKeyBytes])
    : cipher_(EVP_CIPHER_fetch(nullptr, "AES-256-GCM", nullptr)), context_(EVP_CIPHER_CTX_new()) {
  if (cipher_ == nullptr || context_ == nullptr) {
    EVP_CIPHER_free(cipher_);
    EVP_CIPHER_CTX_free(context_);
    throw std::bad_alloc();
  }
  ready_ = EVP_EncryptInit_ex2(context_, cipher_, key, nullptr, nullptr) == 1;
}

GcmSealer::~GcmSealer() {
  EVP_CIPHER_CTX_free(context_);
  EVP_CIPHER_free(cipher_);
}

bool GcmSealer::Seal(const uint8_t (&nonce)[kNonceBytes], const void* aad, size_t aadSize, const void* in, size_t size,
                     void* out, uint8_t (&tag)[kTagBytes]) {
  if (!ready_ || size > INT_MAX || aadSize > INT_MAX) return false;
  int length = 0;
  if (EVP_EncryptInit_ex2(context_, nullptr, nullptr, nonce, nullptr) != 1) return false;
  if (aadSize > 0 && EVP_EncryptUpdate(context_, nullptr, &length, static_cast<const unsigned char*>(aad),
                                       static_cast<int>(aadSize)) != 1) {
    return false;
  }
  if (EVP_EncryptUpdate(context_, static_cast<unsigned char*>(out), &length, static_cast<const unsigned char*>(in),
                        static_cast<int>(size)) != 1) {
    return false;
  }
  int tail = 0;
  if (EVP_EncryptFinal_ex(context_, static_cast<unsigned char*>(out) + length, &tail) != 1) return false;
  return static_cast<size_t>(length + tail) == size &&
         EVP_CIPHER_CTX_ctrl(context_, EVP_CTRL_GCM_GET_TAG, kTagBytes, tag) == 1;
}

}  // namespace torvik
