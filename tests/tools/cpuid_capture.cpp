// Prints this machine's CPUID leaves in the register-set format of
// tests/data/cpuid/: "leaf subleaf eax ebx ecx edx", all hexadecimal.
//   build/tests/cpuid_capture "description" > tests/data/cpuid/NAME.txt
#include <cstdio>

#include "platform/ProcessorProbe.h"

using torvik::platform::CpuidRegisters;
using torvik::platform::HardwareProcessor;

namespace {

void Print(uint32_t leaf, uint32_t subleaf) {
  const CpuidRegisters r = HardwareProcessor().Cpuid(leaf, subleaf);
  std::printf("%08x %08x %08x %08x %08x %08x\n", leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("# %s\n", argc > 1 ? argv[1] : "captured with cpuid_capture");
  if (!HardwareProcessor().HasCpuid()) return 0;
  const uint32_t highest = HardwareProcessor().Cpuid(0).eax;
  for (uint32_t leaf = 0; leaf <= highest && leaf <= 4; ++leaf) {
    if (leaf != 4) {
      Print(leaf, 0);
      continue;
    }
    for (uint32_t subleaf = 0; subleaf < 16; ++subleaf) {
      Print(4, subleaf);
      if ((HardwareProcessor().Cpuid(4, subleaf).eax & 0x1F) == 0) break;
    }
  }
  const uint32_t highestExtended = HardwareProcessor().Cpuid(0x80000000).eax;
  for (uint32_t leaf = 0x80000000; leaf <= highestExtended && leaf <= 0x80000006; ++leaf) Print(leaf, 0);
  // AMD's deterministic cache leaves, one subleaf per cache.
  if (highestExtended >= 0x8000001D) {
    for (uint32_t subleaf = 0; subleaf < 16; ++subleaf) {
      Print(0x8000001D, subleaf);
      if ((HardwareProcessor().Cpuid(0x8000001D, subleaf).eax & 0x1F) == 0) break;
    }
  }
  return 0;
}
