// ZstdCodec: one thread's zstd compression and decompression contexts
// (libzstd's one-shot calls on whole buffers, as `zstd -b` times them), so
// that the contexts' memory is made once, before any timed call. One thread
// at a time; each measuring thread has its own.
#pragma once

#include <cstddef>
#include <string>

struct ZSTD_CCtx_s;
struct ZSTD_DCtx_s;

namespace torvik {

class ZstdCodec {
 public:
  ZstdCodec();  // throws std::bad_alloc when libzstd cannot make its contexts
  ~ZstdCodec();
  ZstdCodec(const ZstdCodec&) = delete;
  ZstdCodec& operator=(const ZstdCodec&) = delete;

  // The compressed size, or a zstd error code (IsError).
  size_t Compress(void* out, size_t capacity, const void* in, size_t size, int level);
  // The decompressed size, or a zstd error code.
  size_t Decompress(void* out, size_t capacity, const void* in, size_t size);

  static size_t Bound(size_t size);
  static bool IsError(size_t result);
  static std::string ErrorName(size_t result);

 private:
  ZSTD_CCtx_s* compressor_;
  ZSTD_DCtx_s* decompressor_;
};

}  // namespace torvik
