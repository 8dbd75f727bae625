#include "core/cores/ZstdCodec.h"

#include <zstd.h>

#include <new>

namespace torvik {

ZstdCodec::ZstdCodec() : compressor_(ZSTD_createCCtx()), decompressor_(ZSTD_createDCtx()) {
  if (compressor_ == nullptr || decompressor_ == nullptr) {
    ZSTD_freeCCtx(compressor_);
    ZSTD_freeDCtx(decompressor_);
    throw std::bad_alloc();
  }
}

ZstdCodec::~ZstdCodec() {
  ZSTD_freeCCtx(compressor_);
  ZSTD_freeDCtx(decompressor_);
}

size_t ZstdCodec::Compress(void* out, size_t capacity, const void* in, size_t size, int level) {
  return ZSTD_compressCCtx(compressor_, out, capacity, in, size, level);
}

size_t ZstdCodec::Decompress(void* out, size_t capacity, const void* in, size_t size) {
  return ZSTD_decompressDCtx(decompressor_, out, capacity, in, size);
}

size_t ZstdCodec::Bound(size_t size) { return ZSTD_compressBound(size); }
bool ZstdCodec::IsError(size_t result) { return ZSTD_isError(result) != 0; }
std::string ZstdCodec::ErrorName(size_t result) { return ZSTD_getErrorName(result); }

}  // namespace torvik
