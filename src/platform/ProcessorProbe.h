// ProcessorProbe: the few processor instructions that identification needs
// (the CPUID presence test, CPUID leaves, the time-stamp counter and the
// flag-register tests of processors older than CPUID). Everything built on
// them is pure code over register values, so tests substitute captured
// register sets. Any thread may call a probe; the hardware one has no state.
#pragma once

#include <cstdint>

namespace torvik::platform {

struct CpuidRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
  bool operator==(const CpuidRegisters&) const = default;
};

class ProcessorProbe {
 public:
  virtual ~ProcessorProbe() = default;

  // True when bit 21 of EFLAGS (the ID flag) can be inverted.
  virtual bool HasCpuid() const = 0;
  // Executes CPUID with EAX = leaf and ECX = subleaf. Only with HasCpuid().
  virtual CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf = 0) const = 0;
  // One reading of the 64-bit time-stamp counter (RDTSC). Only when leaf 1
  // reports a time-stamp counter.
  virtual uint64_t ReadTimeStampCounter() const = 0;

  // The flag-register tests that tell processors without CPUID apart. Each
  // puts the previous flags back. Meaningful on 32-bit x86 only; false elsewhere.
  // FLAGS bits 12-15 read back set after being cleared (8086/8088).
  virtual bool FlagsHighBitsStuckSet() const = 0;
  // FLAGS bits 12-15 read back clear after being set (80286).
  virtual bool FlagsHighBitsStuckClear() const = 0;
  // No EFLAGS bit changes when the alignment-check bit is inverted (80386).
  virtual bool AlignmentFlagFixed() const = 0;
};

// The processor this program runs on. The object lives for the whole program.
const ProcessorProbe& HardwareProcessor();

}  // namespace torvik::platform
