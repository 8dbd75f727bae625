// The processor facts that identification produces: the vendor, the kind of
// processor, the feature flags of leaf 1 and the cache geometry. Plain value
// types; any thread.
#pragma once

#include <cstdint>

namespace torvik {

enum class CpuVendor : uint8_t { vdUnknown, vdIntel, vdAMD, vdCyrix, vdIDT, vdRise };

// The processors the naming tables know, in their fixed order.
enum class KnownCpu : uint8_t {
  cpuUnknown,
  cpu8086,
  cpu80286,
  cpu80386,
  cpu80486,
  cpu80486DX,
  cpu80486SX,
  cpu80486DX2,
  cpu80486SL,
  cpu80486SX2,
  cpu80486DX2WB,
  cpui486DX4,
  cpuMediaGX,
  cpuP5,
  cpuP54C,
  cpuP55C,
  cpuK5,
  cpu6x86,
  cpuC6,
  cpuPentiumPro,
  cpuPentium2,
  cpuCeleron,
  cpuMobilePentium2,
  cpuPentium2orXeon,
  cpuXeon,
  cpuK6,
  cpuK62,
  cpuK63,
  cpuM2,
  cpuWinChip2,
  cpuPentium3,
  cpuPentium3orXeon,
  cpuPentium3Xeon,
  cpuK7,
  cpumP6,
};
inline constexpr int kKnownCpuCount = 35;

// Copies of leaf-1 EDX bits (AMD3DNow by vendor).
struct CpuFeatureFlags {
  bool FPU = false;
  bool VME = false;
  bool DE = false;
  bool PSE = false;
  bool TSC = false;
  bool MSR = false;
  bool PAE = false;
  bool MCE = false;
  bool CX8 = false;
  bool APIC = false;
  bool SEP = false;
  bool MTRR = false;
  bool PGE = false;
  bool MCA = false;
  bool CMOV = false;
  bool PAT = false;
  bool PSE36 = false;
  bool PN = false;
  bool MMX = false;
  bool FXSR = false;
  bool XMM = false;
  bool AMD3DNow = false;
  bool operator==(const CpuFeatureFlags&) const = default;
};

// One cache: ways (or the vendor's raw associativity code), bytes per line,
// lines per tag, kilobytes. All 0 until detection fills them.
struct CacheInfo {
  uint16_t Associativity = 0;
  uint8_t LineSize = 0;
  uint8_t LinesPerTag = 0;
  uint16_t Size = 0;
  bool operator==(const CacheInfo&) const = default;
};

}  // namespace torvik
